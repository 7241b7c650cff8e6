#pragma once
// One plain file becomes one encrypted file: beside the source, or in place
// of it when the original is not kept.

#include "engine/format/header.h"
#include "engine/progress_link.h"
#include "keyserver/key_record.h"

#include <cstdint>

#ifdef EncryptFile
#undef EncryptFile
#endif

namespace ravelock::engine {

// `requestedTarget` null or empty derives the target from the source. The
// result is a code of the encryption table (0 success, 817 skipped or
// cancelled, 818 no key, ...). Progress and questions go to `progress`.
std::int32_t EncryptFile(const char* source, const char* requestedTarget,
                         const KeyRecord* key, ProgressLink* progress,
                         int deleteOriginal);

// The header's key name: the record's name cut at 32 bytes on a character
// boundary and zero-filled, or "My key <local date and time>" when empty.
void headerKeyName(const KeyRecord& key, char (&name)[kKeyNameBytes]);

} // namespace ravelock::engine
