#pragma once
// A ProgressLink for tests: records every message and answers from a
// script; the stop state can be set to fire at the n-th poll.

#include "engine/progress_link.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace ravelock::test {

struct Message {
  std::uint32_t id;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

class ScriptedLink : public ProgressLink {
public:
  std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
  void post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  std::uint32_t stopState() override;
  void setStopState(std::uint32_t state) override { stop_ = state; }

  // Answers sent messages; unanswered messages get 0.
  std::function<std::intptr_t(const Message&)> answer;
  // The stop state turns to STOP_FILE at this poll (1-based); 0 = never.
  int stopAtPoll = 0;

  std::vector<Message> sent;
  std::vector<Message> posted;
  int polls = 0;

  std::vector<std::uintptr_t> progressValues() const;

private:
  std::uint32_t stop_ = 0;
};

} // namespace ravelock::test
