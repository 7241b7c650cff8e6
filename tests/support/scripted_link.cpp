#include "support/scripted_link.h"

namespace ravelock::test {

std::intptr_t ScriptedLink::send(std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
  sent.push_back({message, wParam, lParam});
  return answer ? answer(sent.back()) : 0;
}

void ScriptedLink::post(std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) {
  posted.push_back({message, wParam, lParam});
}

std::uint32_t ScriptedLink::stopState() {
  if (++polls == stopAtPoll)
    stop_ = engine::STOP_FILE;
  return stop_;
}

std::vector<std::uintptr_t> ScriptedLink::progressValues() const {
  std::vector<std::uintptr_t> values;
  for (const Message& m : sent)
    if (m.id == engine::UM_SET_PROGRESS)
      values.push_back(m.wParam);
  return values;
}

} // namespace ravelock::test
