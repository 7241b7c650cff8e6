#include "platform/fault_injection.h"

#include <atomic>

namespace ravelock::platform {

namespace {
std::atomic<FaultHook*> installedHook{nullptr};
}

const char* opName(Op op) {
  switch (op) {
  case Op::Open: return "Open";
  case Op::Size: return "Size";
  case Op::Read: return "Read";
  case Op::Write: return "Write";
  case Op::Seek: return "Seek";
  case Op::SetEnd: return "SetEnd";
  case Op::Flush: return "Flush";
  case Op::GetTimes: return "GetTimes";
  case Op::SetTimes: return "SetTimes";
  case Op::GetAttributes: return "GetAttributes";
  case Op::SetAttributes: return "SetAttributes";
  case Op::Move: return "Move";
  case Op::Delete: return "Delete";
  case Op::MapFile: return "MapFile";
  case Op::MapMemory: return "MapMemory";
  case Op::FreeSpace: return "FreeSpace";
  case Op::LongPath: return "LongPath";
  case Op::Copy: return "Copy";
  case Op::ListDirectory: return "ListDirectory";
  case Op::OpenNamedObject: return "OpenNamedObject";
  case Op::StartProcess: return "StartProcess";
  case Op::RegistryOpen: return "RegistryOpen";
  case Op::RegistryCreate: return "RegistryCreate";
  case Op::RegistryRead: return "RegistryRead";
  case Op::RegistryWrite: return "RegistryWrite";
  case Op::RegistryDelete: return "RegistryDelete";
  case Op::ShellLink: return "ShellLink";
  case Op::Count: break;
  }
  return "(no operation)";
}

const char* faultName(Fault fault) {
  switch (fault) {
  case Fault::None: return "None";
  case Fault::Fail: return "Fail";
  case Fault::Short: return "Short";
  case Fault::NoSpace: return "NoSpace";
  }
  return "(no fault)";
}

void installFaultHook(FaultHook* hook) {
  installedHook.store(hook);
}

Fault injectedFault(Op op) {
  FaultHook* hook = installedHook.load(std::memory_order_acquire);
  return hook ? hook->onCall(op) : Fault::None;
}

} // namespace ravelock::platform
