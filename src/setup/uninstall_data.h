#pragma once
// The uninstall data file (".uds"): what an installation put in place and
// every text the removal shows. The installer writes it, velluninst and
// vellsetup replay it. Little-endian; a text is a 16-bit length n and n
// bytes (no zero byte in the file).
//
//   0      1  flags (UninstallFlag)
//   1      4  number of entries
//   5      2  X: the own-path text lies at 7 + X
//   7      2  L: the message texts begin at 9 + L
//   7 + X     text: own path, the installed copy of the uninstall tool
//   9 + L     texts: caption, question, all-removed message,
//             something-left message, program 1 path and arguments;
//             1 byte program 1 failure mode; texts: program 1 error text,
//             program 2 path and arguments; the restart-or-logoff question
//             only with kOfferRestart or kOfferLogoff; then the entries.
//
// Entry: type (1), option (1), path length n (2); registry entries then
// the hive (2) and the value name (text); then the n bytes of the path.
//
// The file is untrusted: the reader takes it whole and refuses it (before
// anything acts on it) when a length runs past the bytes that remain or past
// the buffer a tool keeps it in.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ravelock::setup {

enum UninstallFlag : std::uint8_t {
  kRunProgram1 = 0x01,      // run program 1 before removing
  kRunProgram2 = 0x02,      // run program 2 after removing
  kOfferRestart = 0x04,     // ask to restart the system at the end
  kOfferLogoff = 0x08,      // ask to log the user off at the end
  kNoWaitForProgram2 = 0x80 // start program 2 and do not wait for it
};

// Program 1's failure mode when it cannot be started.
enum Program1Failure : std::uint8_t {
  kFailureStops = 0x01,    // end the removal
  kFailureShowsText = 0x02 // show the error text
};

enum EntryType : std::uint8_t {
  kEntryFile = 0,
  kEntryRegistry = 1 // other values are read and ignored
};

enum Hive : std::uint16_t {
  kHiveClassesRoot = 0,
  kHiveCurrentUser = 1,
  kHiveLocalMachine = 2,
  kHiveUsers = 3,
  kHiveCurrentConfig = 4
};

// The fixed buffers the tools keep the texts in, zero byte included. A
// longer text does not fit and the file is refused.
inline constexpr std::size_t kMaxPathBuffer = 260;  // paths and registry keys
inline constexpr std::size_t kMaxValueBuffer = 256; // registry value names
inline constexpr std::size_t kMaxTextBuffer = 2048; // messages and arguments

// Larger files are refused unread: thousands of entries fit well below.
inline constexpr std::uint64_t kMaxDataFileSize = 4u << 20;

// Positions of the fixed fields, and the packed layout they form.
#pragma pack(push, 1)
struct UninstallDataHeader {
  std::uint8_t flags;
  std::uint32_t entryCount;
  std::uint16_t ownPathOffset; // X
  std::uint16_t textsOffset;   // L
};
struct UninstallEntryHeader {
  std::uint8_t type;
  std::uint8_t option;
  std::uint16_t pathLength;
};
#pragma pack(pop)
static_assert(sizeof(UninstallDataHeader) == 9);
static_assert(offsetof(UninstallDataHeader, entryCount) == 1);
static_assert(offsetof(UninstallDataHeader, ownPathOffset) == 5);
static_assert(offsetof(UninstallDataHeader, textsOffset) == 7);
static_assert(sizeof(UninstallEntryHeader) == 4);
static_assert(offsetof(UninstallEntryHeader, pathLength) == 2);

// X and L count from these positions.
inline constexpr std::size_t kOwnPathBase = offsetof(UninstallDataHeader, textsOffset);
inline constexpr std::size_t kTextsBase = sizeof(UninstallDataHeader);

struct UninstallEntry {
  std::uint8_t type = kEntryFile;
  // File: 1 also removes the file's folder. Registry: non-zero removes the
  // whole key, 0 the value `valueName`.
  std::uint8_t option = 0;
  std::uint16_t hive = 0; // registry entries only
  std::string valueName;  // registry entries only
  std::string path;       // file path or registry key path
};

struct UninstallData {
  std::uint8_t flags = 0;
  std::string ownPath;
  std::string caption;
  std::string question;
  std::string allRemovedMessage;
  std::string somethingLeftMessage;
  std::string program1Path;
  std::string program1Arguments;
  std::uint8_t program1FailureMode = 0;
  std::string program1ErrorText;
  std::string program2Path;
  std::string program2Arguments;
  std::string restartQuestion; // only with kOfferRestart or kOfferLogoff
  std::vector<UninstallEntry> entries;

  bool offersRestartOrLogoff() const { return flags & (kOfferRestart | kOfferLogoff); }
};

// The data in `bytes`, or nothing when they break the layout.
std::optional<UninstallData> parseUninstallData(std::span<const std::uint8_t> bytes);

// The layout of `data`, with the own path right after the fixed fields
// (X = 2, L = the own-path text's size). Nothing when a text does not fit
// its buffer, so a written file is always one the reader takes.
std::optional<std::vector<std::uint8_t>>
serializeUninstallData(const UninstallData& data);

enum class DataFileResult : std::uint8_t {
  Ok,
  CannotOpen, // cannot be opened or read
  Refused     // too large, or breaks the layout
};

DataFileResult readUninstallDataFile(const std::string& path, UninstallData& out);

// Writes `data` to `path` through a temporary file beside it, flushed and
// moved over, so an older file is replaced only by a complete one. False
// (and nothing left behind) on any failure.
bool writeUninstallDataFile(const std::string& path, const UninstallData& data);

} // namespace ravelock::setup
