// Writing the options file: the new bytes go to a temporary file beside it,
// are flushed, and the temporary file is moved over the old one in one
// step. A failure at any point leaves the old file as it was (bytes and
// attributes) and removes the temporary file, so a crash or a full disk
// never leaves half a document for the other programs to read.

#include "options/xml_store.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "platform/system_error.h"

#include <initializer_list>
#include <string>

namespace ravelock::options {

namespace {

using namespace platform;

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

// A new, empty file beside `path`. Its name is short so that it fits
// wherever the options file's own name fits.
File createTemporary(const std::string& path, std::string& name) {
  const std::string folder = folderOf(path);
  for (int n = 0; n < kTemporaryNameTries; ++n) {
    name = folder + "~opt" + std::to_string(n) + ".tmp";
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

// Replaces `path` with the concatenation of `pieces`. `mustExist`: fail when
// the file is gone (another program deleted it since it was read).
bool replaceFile(const char* path, bool mustExist,
                 std::initializer_list<std::string_view> pieces) {
  const std::uint32_t oldAttributes = getAttributes(path);
  const bool existed = oldAttributes != kInvalidAttributes;
  if (mustExist && !existed)
    return false;

  std::string temporary;
  File file = createTemporary(path, temporary);
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

} // namespace

bool XmlSpliceFile(const char* file, std::string_view text, std::string_view previous,
                   std::size_t start, std::size_t end) {
  if (start > end || end > previous.size())
    return false;
  return replaceFile(file, true, {previous.substr(0, start), text, previous.substr(end)});
}

bool XmlWriteFile(const char* file, std::string_view text) {
  return replaceFile(file, false, {text});
}

} // namespace ravelock::options
