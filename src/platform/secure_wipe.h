#pragma once
#include <cstddef>

namespace ravelock::platform {

// Zeroes key material in a way the optimiser cannot drop as a dead store.
void secureWipe(void* data, std::size_t size);

} // namespace ravelock::platform
