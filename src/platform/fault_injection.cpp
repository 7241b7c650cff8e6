#include "platform/fault_injection.h"

#include <atomic>

namespace ravelock::platform {

namespace {
std::atomic<FaultHook*> installedHook{nullptr};
}

void installFaultHook(FaultHook* hook) {
  installedHook.store(hook);
}

Fault injectedFault(Op op) {
  FaultHook* hook = installedHook.load(std::memory_order_acquire);
  return hook ? hook->onCall(op) : Fault::None;
}

} // namespace ravelock::platform
