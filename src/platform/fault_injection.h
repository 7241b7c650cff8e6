#pragma once
// Fault injection at the platform seam. Every file operation of a backend asks
// the installed hook, if any, before it touches the system, so a test can make
// any call fail or come up short and watch the caller clean up. Nothing is
// installed in the product.

#include <cstdint>

namespace ravelock::platform {

enum class Op : std::uint8_t {
  Open,
  Size,
  Read,
  Write,
  Seek,
  SetEnd,
  Flush,
  GetTimes,
  SetTimes,
  GetAttributes,
  SetAttributes,
  Move,
  Delete,
  MapFile,
  MapMemory,
  FreeSpace,
  LongPath,
  Copy,
  ListDirectory,
  OpenNamedObject, // a named mutex, event or section of the session
  StartProcess,
  RegistryOpen,   // opening a key, listing its subkeys
  RegistryCreate, // creating (or opening for writing) a key
  RegistryRead,   // reading a value
  RegistryWrite,  // writing a value
  RegistryDelete, // deleting a key or a value
  ShellLink,      // saving or loading a shortcut file
  Count
};

enum class Fault : std::uint8_t {
  None,
  Fail,   // the call fails as the system would report a failure
  Short,  // a read or write transfers fewer bytes than asked
  NoSpace // free space reads as 0; a write fails as on a full disk
};

class FaultHook {
public:
  virtual Fault onCall(Op op) = 0;

protected:
  ~FaultHook() = default;
};

// The names of the operations and faults, for traces: "Open", "Short".
const char* opName(Op op);
const char* faultName(Fault fault);

// Installs `hook` for all threads; nullptr removes it. Tests only.
void installFaultHook(FaultHook* hook);

// Called by the backends at the start of each operation.
Fault injectedFault(Op op);

} // namespace ravelock::platform
