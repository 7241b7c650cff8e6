#pragma once
// The path list that the drop target and the context menu hand to a new
// vellapp, and the section that carries it. Portable: both ends' rules
// live here, the Windows transport in launch.h and in vellapp.
//
// Path list: each path (ANSI) ended by a NUL, folders with a trailing
// backslash, the list ended by one more NUL. Section: the header below,
// the list, then zero bytes up to list length + 1036.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::handoff {

#pragma pack(push, 1)
struct FileListHeader {
  std::uint32_t doneEvent;  // the receiver's inherited handle of the done event
  std::uint32_t listLength; // bytes of the list, its final NUL included
  std::int32_t itemCount;
};
#pragma pack(pop)
static_assert(sizeof(FileListHeader) == 12);
static_assert(offsetof(FileListHeader, doneEvent) == 0);
static_assert(offsetof(FileListHeader, listLength) == 4);
static_assert(offsetof(FileListHeader, itemCount) == 8);

// Zero bytes behind the list.
inline constexpr std::size_t kSectionSpare = 1024;

inline std::size_t sectionSizeFor(std::uint32_t listLength) {
  return sizeof(FileListHeader) + std::size_t{listLength} + kSectionSpare;
}

// The bytes a path may take in the list with its terminator: the engine
// and vellapp name every item in a buffer of this size.
inline constexpr std::size_t kPathRoom = 260;

// Whether the file name of `path` (after its last backslash) has the
// extension ".rlk", from its last dot, without regard to case; a byte of a
// double-byte character is never taken for a dot or a backslash.
bool hasDecryptableExtension(std::string_view path);

// Builds a path list in the order the items are added, and decides on the
// way whether the selection can be decrypted.
class PathList {
public:
  // A folder gets a trailing backslash unless it has one (a drive root
  // keeps its single one). An empty path would end the list, and a path
  // that does not fit kPathRoom could not be named by the receiver: both
  // are left out (false).
  bool add(std::string_view path, bool isFolder);

  // The list with its final NUL.
  std::string bytes() const { return paths_ + '\0'; }
  std::int32_t count() const { return count_; }
  // At least one item, and every item a file with the extension ".rlk".
  bool decryptable() const { return count_ > 0 && decryptable_; }

private:
  std::string paths_;
  std::int32_t count_ = 0;
  bool decryptable_ = true;
};

// The names of a CF_HDROP block as the shell lays it out: a 20-byte
// DROPFILES header whose first field is the offset of the names, then the
// names (ANSI, or UTF-16 when the header's fWide field is set), each ended
// by a zero, the list ended by one more. Read in one pass and bounded by
// the block's real size; nothing when the offset or the names do not lie
// within it. Wide names go through `toAnsi`, and a name it refuses (the
// code page has no exact form for it) is left out rather than handed on
// as another file's name.
#pragma pack(push, 1)
struct DropFilesHeader {
  std::uint32_t namesOffset; // pFiles
  std::int32_t x, y;         // the drop point
  std::uint32_t nonClient;   // fNC
  std::uint32_t wide;        // fWide
};
#pragma pack(pop)
static_assert(sizeof(DropFilesHeader) == 20);
static_assert(offsetof(DropFilesHeader, wide) == 16);

using ToAnsi = std::function<bool(std::u16string_view wide, std::string& ansi)>;
// Stops at the end of the list; true when a list could be read at all.
// `onName` receives every name kept, in the shell's order.
bool readDropNames(std::span<const unsigned char> block, const ToAnsi& toAnsi,
                   const std::function<void(const std::string& name)>& onName);

// Writes the header and the list into `section`; false when they do not
// fit in it.
bool writeFileListSection(std::span<unsigned char> section, std::uint32_t doneEvent,
                          std::string_view list, std::int32_t count);

// What the receiver takes from a section. Everything in it is untrusted:
// the header and the list are copied out first (the sender could still
// write), the length is bounded by the section's real size, and the list
// must hold exactly `count` non-empty paths followed by the final NUL.
struct ReceivedFileList {
  bool headerRead = false; // doneEvent is known
  std::uint32_t doneEvent = 0;
  bool valid = false;     // list and count can be handed to the engine
  std::vector<char> list; // the list and four more zero bytes
  std::int32_t count = 0;
};

ReceivedFileList readFileListSection(std::span<const unsigned char> section);

} // namespace ravelock::handoff
