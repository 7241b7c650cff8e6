#pragma once
// Progress of one pass over a buffer or a file as the dialog sees it: whole
// percentages that only grow, each sent once, and the stop state polled at
// the same points.

#include "engine/progress_link.h"

#include <cstdint>

namespace ravelock::engine {

class ProgressMeter {
public:
  // Only percentages above `shown` are sent.
  ProgressMeter(ProgressLink* link, std::uint64_t total, std::uint32_t shown = 0)
      : link_(link), total_(total), lastSent_(shown) {}

  bool stopped() const { return stopRequested(link_); }

  // `done` of the total bytes are through: sends the percentage if it grew.
  void advanced(std::uint64_t done) {
    lastComputed_ = static_cast<std::uint32_t>(done * 100 / total_);
    if (lastComputed_ > lastSent_) {
      lastSent_ = lastComputed_;
      sendTo(link_, UM_SET_PROGRESS, lastComputed_);
    }
  }

  // Polls, then reports `done`; false when the user stopped the file.
  bool reached(std::uint64_t done) {
    if (stopped())
      return false;
    advanced(done);
    return true;
  }

  // The whole total is through (nothing to show for an empty one).
  void finished() {
    if (total_ != 0)
      advanced(total_);
  }

  // Sends the last percentage computed again, sent before or not.
  void resendLast() { sendTo(link_, UM_SET_PROGRESS, lastComputed_); }

private:
  ProgressLink* link_;
  std::uint64_t total_;
  std::uint32_t lastSent_;
  std::uint32_t lastComputed_ = 0;
};

} // namespace ravelock::engine
