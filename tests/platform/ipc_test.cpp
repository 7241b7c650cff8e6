// Named objects of the session and starting programs: the meanings the key
// server protocol relies on, the same on both backends.

#include "platform/fault_injection.h"
#include "platform/ipc.h"
#include "platform/module.h"
#include "platform/process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace ravelock::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Natively named objects outlive the test: each test removes its own.
struct Removed {
  std::string name;
  ~Removed() { removeNamedObject(name.c_str()); }
};

// Names of this build's test program, so the test programs of two builds
// running side by side never meet, and one build reuses its names.
std::string uniqueName(const char* what) {
  static const int here = 0;
  static const std::size_t build = std::hash<std::string>{}(modulePath(&here));
  return std::string("ravelock_test_") + what + "_" + std::to_string(build % 1000000007);
}

TEST(NamedEvent, AutoResetSignalsDoNotAddUp) {
  const std::string name = uniqueName("event");
  const Removed removed{name};
  NamedEvent a = NamedEvent::open(name.c_str());
  NamedEvent b = NamedEvent::open(name.c_str());
  ASSERT_TRUE(a.isValid() && b.isValid());

  EXPECT_EQ(b.wait(0), WaitResult::TimedOut) << "created not signalled";
  a.signal();
  a.signal();
  EXPECT_EQ(b.wait(0), WaitResult::Signalled);
  EXPECT_EQ(b.wait(0), WaitResult::TimedOut) << "a wait consumes the signal";

  a.signal();
  b.reset();
  const auto start = Clock::now();
  EXPECT_EQ(b.wait(100), WaitResult::TimedOut);
  EXPECT_GE(Clock::now() - start, 95ms);

  std::thread later([&] {
    std::this_thread::sleep_for(50ms);
    a.signal();
  });
  EXPECT_EQ(b.wait(5000), WaitResult::Signalled);
  later.join();
}

TEST(NamedMutex, ExcludesOtherThreadsThroughOneObjectOrTwo) {
  const std::string name = uniqueName("mutex");
  const Removed removed{name};
  NamedMutex shared = NamedMutex::open(name.c_str());
  NamedMutex other = NamedMutex::open(name.c_str());
  ASSERT_TRUE(shared.isValid() && other.isValid());

  ASSERT_EQ(shared.lock(kWaitForever), WaitResult::Signalled);
  std::thread contender([&] {
    EXPECT_EQ(shared.lock(50), WaitResult::TimedOut);
    EXPECT_EQ(other.lock(50), WaitResult::TimedOut);
  });
  contender.join();
  shared.unlock();

  std::thread owner([&] {
    EXPECT_EQ(other.lock(1000), WaitResult::Signalled);
    other.unlock();
  });
  owner.join();
}

TEST(SharedSection, OpenersShareTheBytes) {
  const std::string name = uniqueName("section");
  const Removed removed{name};
  SharedSection a = SharedSection::open(name.c_str(), 16384);
  SharedSection b = SharedSection::open(name.c_str(), 16384);
  ASSERT_TRUE(a.isValid() && b.isValid());
  EXPECT_EQ(a.size(), 16384u);
  // Natively the section outlives this run: change what is there.
  const auto next = static_cast<unsigned char>(a.data()[16383] + 1);
  a.data()[16383] = next;
  EXPECT_EQ(b.data()[16383], next);
  b.close();
  EXPECT_FALSE(b.isValid());
}

TEST(RunningMark, TellsWhetherItsOwnerRuns) {
  const std::string name = uniqueName("mark");
  const Removed removed{name};
  EXPECT_EQ(RunningMark::probe(name.c_str()), MarkState::Free);
  RunningMark mark = RunningMark::take(name.c_str(), 100);
  ASSERT_TRUE(mark.isValid());
  EXPECT_EQ(RunningMark::probe(name.c_str()), MarkState::Held);
  // A second owner, as a second copy of a program would try.
  std::thread second(
      [&] { EXPECT_FALSE(RunningMark::take(name.c_str(), 50).isValid()); });
  second.join();
  mark.release();
  EXPECT_EQ(RunningMark::probe(name.c_str()), MarkState::Free);
}

TEST(Process, AMissingProgramDoesNotStart) {
  test::TempDir dir;
  const std::string missing = dir.file(executableFileName("no_such_program"));
  EXPECT_FALSE(launchDetached(missing, "without_icon"));
  EXPECT_FALSE(ChildProcess::start(missing, {}).isValid());
}

TEST(Faults, NamedObjectsAndProgramStartsCanBeMadeToFail) {
  struct FailAll : FaultHook {
    Fault onCall(Op op) override {
      return op == Op::OpenNamedObject || op == Op::StartProcess ? Fault::Fail
                                                                 : Fault::None;
    }
  } hook;
  const std::string name = uniqueName("faults");
  installFaultHook(&hook);
  EXPECT_FALSE(NamedMutex::open(name.c_str()).isValid());
  EXPECT_FALSE(NamedEvent::open(name.c_str()).isValid());
  EXPECT_FALSE(SharedSection::open(name.c_str(), 4096).isValid());
  EXPECT_FALSE(RunningMark::take(name.c_str(), 0).isValid());
  EXPECT_EQ(RunningMark::probe(name.c_str()), MarkState::Unknown);
  EXPECT_FALSE(launchDetached("anything", ""));
  installFaultHook(nullptr);
}

} // namespace
} // namespace ravelock::platform
