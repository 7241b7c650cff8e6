// Named objects of the session and starting programs: the meanings the key
// server protocol relies on, the same on both backends.

#include "platform/fault_injection.h"
#include "platform/ipc.h"
#include "platform/module.h"
#include "platform/process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#ifndef _WIN32
// Natively the objects are files in a folder that only their user can
// reach; here the folder is made in a runtime folder of the test's own.
class PrivateFolder : public ::testing::Test {
protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
      saved_ = old;
    ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
  }
  void TearDown() override {
    if (saved_)
      ::setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
    else
      ::unsetenv("XDG_RUNTIME_DIR");
  }

  std::filesystem::path folder() const { return runtime_.path() / "ravelock"; }
  std::filesystem::path object(const std::string& name) const {
    const char* scope = std::getenv("RAVELOCK_IPC_SCOPE");
    return folder() / (scope ? name + "." + scope : name);
  }
  static mode_t modeOf(const std::filesystem::path& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }

private:
  test::TempDir runtime_;
  std::optional<std::string> saved_;
};

TEST_F(PrivateFolder, ObjectsAreFilesOfTheirUserAloneAndGoWhenRemoved) {
  const std::string name = uniqueName("private");
  EXPECT_EQ(RunningMark::probe(name.c_str()), MarkState::Free);
  EXPECT_FALSE(std::filesystem::exists(object(name))) << "a probe creates nothing";
  {
    SharedSection section = SharedSection::open(name.c_str(), 4096);
    ASSERT_TRUE(section.isValid());
    EXPECT_EQ(modeOf(folder()), 0700u);
    EXPECT_EQ(modeOf(object(name)), 0600u);
  }
  removeNamedObject(name.c_str());
  EXPECT_FALSE(std::filesystem::exists(object(name)));
}

TEST_F(PrivateFolder, WhatOthersCouldReachOrPlantIsRefused) {
  using Opener = std::function<bool(const char*)>;
  const std::pair<const char*, Opener> kinds[] = {
      {"section", [](const char* n) { return SharedSection::open(n, 4096).isValid(); }},
      {"event", [](const char* n) { return NamedEvent::open(n).isValid(); }},
      {"mutex", [](const char* n) { return NamedMutex::open(n).isValid(); }},
      {"mark", [](const char* n) { return RunningMark::take(n, 0).isValid(); }},
  };
  const std::string name = uniqueName("planted");
  namespace fs = std::filesystem;
  const auto plantFile = [&](mode_t mode) {
    test::writeFile(object(name).string(), "planted");
    ::chmod(object(name).c_str(), mode);
  };
  const struct {
    const char* what;
    std::function<void()> plant;
    const char* refusal;
  } cases[] = {
      {"the folder open to others", [&] { ::chmod(folder().c_str(), 0777); },
       "is open to other users"},
      {"the folder readable by its group", [&] { ::chmod(folder().c_str(), 0750); },
       "is open to other users"},
      {"a world-writable object", [&] { plantFile(0666); }, "is open to other users"},
      {"an object its group may read", [&] { plantFile(0640); },
       "is open to other users"},
      {"a link in the object's place",
       [&] {
         test::writeFile((folder() / "elsewhere").string(), "");
         ::chmod((folder() / "elsewhere").c_str(), 0600);
         fs::create_symlink(folder() / "elsewhere", object(name));
       },
       "is a symbolic link"},
      {"a folder in the object's place", [&] { fs::create_directory(object(name)); },
       "is not a regular file"},
      {"the folder a link",
       [&] {
         fs::remove_all(folder());
         fs::create_directory(folder().string() + ".real");
         ::chmod((folder().string() + ".real").c_str(), 0700);
         fs::create_directory_symlink(folder().string() + ".real", folder());
       },
       "is not a folder"},
  };
  for (const auto& c : cases) {
    for (const auto& [kind, open] : kinds) {
      fs::remove_all(folder());
      fs::remove_all(folder().string() + ".real");
      fs::create_directory(folder());
      ::chmod(folder().c_str(), 0700);
      c.plant();
      EXPECT_FALSE(open(name.c_str())) << c.what << ", " << kind;
      EXPECT_NE(namedObjectRefusal().find(c.refusal), std::string::npos)
          << c.what << ", " << kind << ": " << namedObjectRefusal();
    }
  }
  fs::remove_all(folder().string() + ".real");
}

TEST_F(PrivateFolder, AnObjectOfAnotherUserIsRefused) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "only root can give a file to another user";
  const std::string name = uniqueName("foreign");
  ASSERT_TRUE(SharedSection::open(name.c_str(), 4096).isValid());
  ASSERT_EQ(::chown(object(name).c_str(), 65534, 65534), 0);
  EXPECT_FALSE(SharedSection::open(name.c_str(), 4096).isValid());
  EXPECT_NE(namedObjectRefusal().find("belongs to another user"), std::string::npos);
  ASSERT_EQ(::chown(folder().c_str(), 65534, 65534), 0);
  EXPECT_FALSE(NamedEvent::open(uniqueName("other").c_str()).isValid());
  EXPECT_NE(namedObjectRefusal().find(folder().string() + " belongs to another user"),
            std::string::npos);
}
#endif

} // namespace
} // namespace ravelock::platform
