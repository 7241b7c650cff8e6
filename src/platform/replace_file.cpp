#include "platform/replace_file.h"
#include "platform/directory.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "platform/system_error.h"

#include <random>
#include <span>
#include <string>

namespace ravelock::platform {

namespace {

// Random names collide only by chance; a few tries settle it.
constexpr int kTemporaryNameTries = 16;

// A temporary file of a writer that crashed. A live writer holds its own
// for well under this (and on Windows keeps it unshared, so it cannot be
// opened to be judged at all).
constexpr std::uint64_t kStaleAfter = 10ull * 60 * 10'000'000; // 10 minutes, file time

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

constexpr char kTemporarySuffix[] = ".tmp";

// "<prefix>" hexadecimal digits ".tmp": the names this writer makes (and the
// decimal ones earlier versions made).
bool isTemporaryName(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix) || !name.ends_with(kTemporarySuffix))
    return false;
  const std::string_view digits = name.substr(
      prefix.size(), name.size() - prefix.size() - (sizeof kTemporarySuffix - 1));
  if (digits.empty())
    return false;
  for (char c : digits)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
      return false;
  return true;
}

// A new, empty file beside `path`, created exclusively under a name no
// other writer is likely to pick.
File createTemporary(const std::string& path, std::string_view prefix,
                     std::string& name) {
  static constexpr char kHex[] = "0123456789abcdef";
  const std::string folder = folderOf(path);
  std::random_device random;
  for (int n = 0; n < kTemporaryNameTries; ++n) {
    std::uint32_t bits = random();
    std::string digits(8, '0');
    for (char& digit : digits) {
      digit = kHex[bits & 0xF];
      bits >>= 4;
    }
    name = folder + std::string(prefix) + digits + kTemporarySuffix;
    File file =
        File::open(name.c_str(), Access::Write, Share::None, Disposition::CreateNew);
    if (file.isOpen() || !pathExists(name.c_str()))
      return file;
  }
  return File();
}

// Removes the temporary files of crashed writers: those whose last write is
// well before that of `fresh`, just made. Best effort: nothing here fails
// the write.
void removeStaleTemporaries(const std::string& folder, std::string_view prefix,
                            const File& fresh, const std::string& freshName) {
  KeepFirstError keep;
  FileTimes now;
  if (!fresh.getTimes(now) || now.lastWrite < kStaleAfter)
    return;
  const auto entries = listDirectory(folder, std::string("*") + kTemporarySuffix);
  if (!entries)
    return;
  for (const DirectoryEntry& entry : *entries) {
    const std::string name = folder + entry.name;
    if ((entry.attributes & kAttrDirectory) || name == freshName ||
        !isTemporaryName(entry.name, prefix))
      continue;
    FileTimes times;
    bool stale = false;
    {
      File old =
          File::open(name.c_str(), Access::Read, Share::Read, Disposition::OpenExisting);
      stale = old.isOpen() && old.getTimes(times) && times.lastWrite != 0 &&
              times.lastWrite < now.lastWrite - kStaleAfter;
    }
    if (stale)
      deleteFile(name.c_str());
  }
}

bool writeTemporary(const std::string& temporary, File& file,
                    std::initializer_list<std::string_view> pieces) {
  bool ok = true;
  for (std::string_view piece : pieces)
    ok = ok && writeFully(file, std::as_bytes(std::span(piece.data(), piece.size())));
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

bool replaceFile(const char* givenPath, bool mustExist, std::string_view temporaryPrefix,
                 std::initializer_list<std::string_view> pieces) {
  // Through a link the link's target is replaced; the link stays a link.
  const std::string target = followFileLinks(givenPath);
  const char* const path = target.c_str();
  const std::uint32_t oldAttributes = getAttributes(path);
  const bool existed = oldAttributes != kInvalidAttributes;
  if (mustExist && !existed)
    return false;

  std::string temporary;
  File file = createTemporary(target, temporaryPrefix, temporary);
  if (!file.isOpen())
    return false;
  removeStaleTemporaries(folderOf(target), temporaryPrefix, file, temporary);
  if (!writeTemporary(temporary, file, pieces))
    return false;

  auto fail = [&](bool restoreAttributes) {
    KeepFirstError keep;
    if (restoreAttributes)
      setAttributes(path, oldAttributes);
    deleteFile(temporary.c_str());
    return false;
  };
  if (existed && !carryOverOwnerAndMode(path, temporary.c_str()))
    return fail(false);
  // The new file keeps what a fresh file lacks (hidden, system...), but a
  // read-only file is written and stays writable afterwards (its mode, just
  // carried over, is made writable again).
  constexpr std::uint32_t kFreshFileBits = kAttrArchive | kAttrNormal;
  const std::uint32_t kept = oldAttributes & ~kAttrReadOnly;
  if (existed && (oldAttributes & ~kFreshFileBits) != 0 &&
      !setAttributes(temporary.c_str(), kept ? kept : kAttrNormal))
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
