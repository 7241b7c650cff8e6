#include "platform/replace_file.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "platform/system_error.h"

#include <span>
#include <string>

namespace ravelock::platform {

namespace {

// Leftovers of a crashed writer are skipped, not reused.
constexpr int kTemporaryNameTries = 100;

// Cleans up after a failure without losing the failure's own error code.
class KeepFirstError {
public:
  KeepFirstError() : code_(lastSystemError()) {}
  ~KeepFirstError() { setLastSystemError(code_); }
  KeepFirstError(const KeepFirstError&) = delete;
  KeepFirstError& operator=(const KeepFirstError&) = delete;

private:
  std::uint32_t code_;
};

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A new, empty file beside `path`.
File createTemporary(const std::string& path, std::string_view prefix,
                     std::string& name) {
  const std::string folder = folderOf(path);
  for (int n = 0; n < kTemporaryNameTries; ++n) {
    name = folder + std::string(prefix) + std::to_string(n) + ".tmp";
    File file =
        File::open(name.c_str(), Access::Write, Share::None, Disposition::CreateNew);
    if (file.isOpen() || !pathExists(name.c_str()))
      return file;
  }
  return File();
}

// A short write is a failure: on a file it means the disk is full.
bool writeWhole(File& file, std::string_view bytes) {
  if (bytes.empty())
    return true;
  std::size_t written = 0;
  return file.write(std::as_bytes(std::span(bytes.data(), bytes.size())), written) &&
         written == bytes.size();
}

bool writeTemporary(const std::string& temporary, File& file,
                    std::initializer_list<std::string_view> pieces) {
  bool ok = true;
  for (std::string_view piece : pieces)
    ok = ok && writeWhole(file, piece);
  ok = ok && file.flush();
  if (!ok) {
    KeepFirstError keep;
    file.close();
    deleteFile(temporary.c_str());
    return false;
  }
  file.close();
  return true;
}

} // namespace

bool replaceFile(const char* path, bool mustExist, std::string_view temporaryPrefix,
                 std::initializer_list<std::string_view> pieces) {
  const std::uint32_t oldAttributes = getAttributes(path);
  const bool existed = oldAttributes != kInvalidAttributes;
  if (mustExist && !existed)
    return false;

  std::string temporary;
  File file = createTemporary(path, temporaryPrefix, temporary);
  if (!file.isOpen() || !writeTemporary(temporary, file, pieces))
    return false;

  auto fail = [&](bool restoreAttributes) {
    KeepFirstError keep;
    if (restoreAttributes)
      setAttributes(path, oldAttributes);
    deleteFile(temporary.c_str());
    return false;
  };
  // The new file keeps what a fresh file lacks (hidden, system...), but a
  // read-only file is written and stays writable afterwards.
  constexpr std::uint32_t kFreshFileBits = kAttrReadOnly | kAttrArchive | kAttrNormal;
  if (existed && (oldAttributes & ~kFreshFileBits) != 0 &&
      !setAttributes(temporary.c_str(), oldAttributes & ~kAttrReadOnly))
    return fail(false);
  // A read-only target refuses to be replaced.
  const bool readOnly = existed && (oldAttributes & kAttrReadOnly);
  if (readOnly && !setAttributes(path, oldAttributes & ~kAttrReadOnly))
    return fail(false);
  if (!moveFile(temporary.c_str(), path, true))
    return fail(readOnly);
  return true;
}

} // namespace ravelock::platform
