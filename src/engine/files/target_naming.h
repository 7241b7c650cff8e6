#pragma once
// Names of encrypted files: ".rlk" appended on encryption, removed on
// decryption, compared without regard to case and never inside a
// double-byte character. And the path buffers through which the dialog
// names another target.

#include "engine/progress_link.h"
#include "platform/filesystem.h"

#include <cstdint>
#include <string>

namespace ravelock::engine {

using platform::kMaxPath;

bool hasEncryptedExtension(const std::string& path);

// `path` with ".rlk" appended unless it already ends in it.
std::string withEncryptedExtension(const std::string& path);

// `path` without its ".rlk", or `path` when it does not end in it.
std::string withoutEncryptedExtension(const std::string& path);

// Writes `path` into a buffer of kMaxPath bytes, zero-filled and cut to fit
// with its terminator.
void storePath(const std::string& path, char* buffer);

// The path in a buffer of kMaxPath bytes, read no further than its last
// byte whatever the buffer holds.
std::string loadPath(const char* buffer);

// A path handed to the dialog in the protocol's buffer, where the dialog may
// write another path (UM_TARGET_EXISTS, UM_ASK_REPEATED).
class PathBuffer {
public:
  explicit PathBuffer(const std::string& path) { storePath(path, text_); }

  // Sends `message` with the buffer as wParam; the dialog's answer.
  std::intptr_t ask(ProgressLink* link, std::uint32_t message, std::intptr_t lParam = 0) {
    return sendTo(link, message, reinterpret_cast<std::uintptr_t>(text_), lParam);
  }

  std::string path() const { return loadPath(text_); }

private:
  char text_[kMaxPath];
};

} // namespace ravelock::engine
