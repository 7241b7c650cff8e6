#pragma once
#include "engine/format/header.h"

#include <cstdint>

namespace ravelock::engine {

// Whether `path` is an encrypted file: 0, or the first failing check:
// 1 cannot open, 2 size unreadable, 3 shorter than the header, 4 header not
// read whole, 5 wrong identifier, 6 payload not whole blocks, 7 payload size
// does not fit the original size. `info` (may be null) is filled whenever the
// header was read, and left untouched otherwise.
std::int32_t testEncryptedFile(const char* path, HeaderInfo* info);

} // namespace ravelock::engine
