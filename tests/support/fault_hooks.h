#pragma once
// Fault hooks for the platform seam: fail (or shorten) the n-th call of one
// operation, or count the calls of a clean run to learn every failure point.

#include "platform/fault_injection.h"

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>

#include <atomic>
#include <gtest/gtest.h>

namespace ravelock::test {

class FailNth : public platform::FaultHook {
public:
  FailNth(platform::Op op, int n, platform::Fault fault = platform::Fault::Fail)
      : op_(op), n_(n), fault_(fault) {
    platform::installFaultHook(this);
  }
  ~FailNth() { platform::installFaultHook(nullptr); }
  FailNth(const FailNth&) = delete;
  FailNth& operator=(const FailNth&) = delete;

  platform::Fault onCall(platform::Op op) override {
    return op == op_ && ++calls_ == n_ ? fault_ : platform::Fault::None;
  }
  bool fired() const { return calls_ >= n_; }

private:
  platform::Op op_;
  int n_;
  platform::Fault fault_;
  std::atomic<int> calls_{0};
};

class CountCalls : public platform::FaultHook {
public:
  CountCalls() { platform::installFaultHook(this); }
  ~CountCalls() { platform::installFaultHook(nullptr); }
  CountCalls(const CountCalls&) = delete;
  CountCalls& operator=(const CountCalls&) = delete;

  platform::Fault onCall(platform::Op op) override {
    ++counts_[static_cast<std::size_t>(op)];
    return platform::Fault::None;
  }
  int count(platform::Op op) const { return counts_[static_cast<std::size_t>(op)]; }

private:
  std::array<std::atomic<int>, static_cast<std::size_t>(platform::Op::Count)> counts_{};
};

// Counts the calls of a run; fails the `failOpenAt`-th Open (0: none) and
// applies one fault to the n-th call of one operation.
class FaultPlan : public platform::FaultHook {
public:
  explicit FaultPlan(int failOpenAt, platform::Op op = platform::Op::Count, int n = 0,
                     platform::Fault fault = platform::Fault::None)
      : failOpen_(failOpenAt), op_(op), n_(n), fault_(fault) {
    platform::installFaultHook(this);
  }
  ~FaultPlan() { platform::installFaultHook(nullptr); }
  FaultPlan(const FaultPlan&) = delete;
  FaultPlan& operator=(const FaultPlan&) = delete;

  platform::Fault onCall(platform::Op op) override {
    const int call = ++calls_[static_cast<std::size_t>(op)];
    if (op == platform::Op::Open && call == failOpen_)
      return platform::Fault::Fail;
    return op == op_ && call == n_ ? fault_ : platform::Fault::None;
  }
  int calls(platform::Op op) const { return calls_[static_cast<std::size_t>(op)]; }

private:
  int failOpen_;
  platform::Op op_;
  int n_;
  platform::Fault fault_;
  std::array<std::atomic<int>, static_cast<std::size_t>(platform::Op::Count)> calls_{};
};

// Whether a kind of fault means anything for an operation.
inline bool faultApplies(platform::Op op, platform::Fault fault) {
  using platform::Fault;
  using platform::Op;
  switch (fault) {
  case Fault::Short: return op == Op::Read || op == Op::Write;
  case Fault::NoSpace: return op == Op::Write || op == Op::FreeSpace;
  default: return true;
  }
}

// Drives every failure point of a routine: a clean run counts the platform
// calls it makes, then each call is made to fail in each way that applies,
// one at a time. For every run `prepare()` sets up fresh files (outside the
// fault plan), `run()` calls the routine under the plan and returns its
// result, and `check(op, n, fault, result)` looks at what it left behind.
template <typename Prepare, typename Run, typename Check>
void forEveryFailurePoint(int failOpenAt, Prepare prepare, Run run, Check check) {
  using platform::Fault;
  using platform::Op;
  int counts[static_cast<int>(Op::Count)];
  {
    prepare();
    FaultPlan counter(failOpenAt);
    ASSERT_EQ(run(), 0) << "the clean run";
    for (int op = 0; op < static_cast<int>(Op::Count); ++op)
      counts[op] = counter.calls(static_cast<Op>(op));
  }
  for (int op = 0; op < static_cast<int>(Op::Count); ++op) {
    const Op which = static_cast<Op>(op);
    for (int n = 1; n <= counts[op]; ++n) {
      for (Fault fault : {Fault::Fail, Fault::Short, Fault::NoSpace}) {
        if (!faultApplies(which, fault))
          continue;
        SCOPED_TRACE(testing::Message() << platform::opName(which) << " call " << n
                                        << " fault " << platform::faultName(fault));
        prepare();
        std::int32_t result;
        {
          FaultPlan plan(failOpenAt, which, n, fault);
          result = run();
        }
        check(which, n, fault, result);
      }
    }
  }
}

// Runs `watch(op, n)` at the n-th call of each operation, before the call
// itself, and injects nothing: a test's look at the files at that moment
// (what a crash there would leave), or its own change to them. Calls are
// watched one at a time, whichever thread makes them.
class WatchCalls : public platform::FaultHook {
public:
  explicit WatchCalls(std::function<void(platform::Op, int)> watch)
      : watch_(std::move(watch)) {
    platform::installFaultHook(this);
  }
  ~WatchCalls() { platform::installFaultHook(nullptr); }
  WatchCalls(const WatchCalls&) = delete;
  WatchCalls& operator=(const WatchCalls&) = delete;

  platform::Fault onCall(platform::Op op) override {
    const std::lock_guard<std::recursive_mutex> lock(mutex_);
    watch_(op, ++calls_[static_cast<std::size_t>(op)]);
    return platform::Fault::None;
  }

private:
  std::function<void(platform::Op, int)> watch_;
  std::recursive_mutex mutex_;
  std::array<int, static_cast<std::size_t>(platform::Op::Count)> calls_{};
};

} // namespace ravelock::test
