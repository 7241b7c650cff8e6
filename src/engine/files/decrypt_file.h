#pragma once
// One encrypted file back to its plain content, with the search for a key
// that fits before anything is created.

#include "engine/progress_link.h"
#include "keyserver/key_record.h"

#include <cstdint>

#ifdef DecryptFile
#undef DecryptFile
#endif

namespace ravelock::engine {

// Sent with UM_ASK_KEY: the dialog fills in the key (and may choose a target
// and change the delete-original flag).
struct KeyRequest {
  const char* source;
  char* target; // 260 bytes; empty unless the user chose a target
  std::int32_t* deleteOriginal;
  KeyRecord* key; // the file's key name; length 0 or the rejected key
};

// `target` (260 bytes) empty derives the target from the source; on success
// it holds the path written. `currentKey` is tried first and on return holds
// the key that fitted; `namedKey` (the key server's record under the file's
// key name, length 0 when none) next; then the user is asked. The result is
// a code of the decryption table.
std::int32_t DecryptFile(const char* source, char* target, KeyRecord* currentKey,
                         const KeyRecord* namedKey, ProgressLink* progress,
                         std::int32_t* deleteOriginal);

} // namespace ravelock::engine
