#pragma once
// Fault hooks for the platform seam: fail (or shorten) the n-th call of one
// operation, or count the calls of a clean run to learn every failure point.

#include "platform/fault_injection.h"

#include <array>
#include <atomic>

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

} // namespace ravelock::test
