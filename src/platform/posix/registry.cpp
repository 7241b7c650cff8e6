#include "platform/memory_registry.h"

namespace ravelock::platform {

// There is no system registry natively; programs built here keep what they
// would register for the life of the process.
Registry& systemRegistry() {
  static MemoryRegistry registry;
  return registry;
}

} // namespace ravelock::platform
