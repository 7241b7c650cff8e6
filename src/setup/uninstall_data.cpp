#include "setup/uninstall_data.h"
#include "platform/file.h"
#include "platform/replace_file.h"

#include <cstring>
#include <string_view>

namespace ravelock::setup {

namespace {

// Reads the file front to back with one sticky failure: after the first
// length that does not fit, every further read gives nothing and the
// caller asks once at the end.
class DataReader {
public:
  explicit DataReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool failed() const { return failed_; }
  std::size_t remaining() const { return failed_ ? 0 : bytes_.size() - at_; }

  void seek(std::size_t position) {
    if (position > bytes_.size())
      failed_ = true;
    else if (!failed_)
      at_ = position;
  }

  std::uint8_t u8() {
    const std::uint8_t* p = take(1);
    return p ? p[0] : 0;
  }
  std::uint16_t u16() {
    const std::uint8_t* p = take(2);
    return p ? static_cast<std::uint16_t>(p[0] | p[1] << 8) : 0;
  }
  std::uint32_t u32() {
    const std::uint8_t* p = take(4);
    return p ? static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                   static_cast<std::uint32_t>(p[2]) << 16 |
                   static_cast<std::uint32_t>(p[3]) << 24
             : 0;
  }

  // `length` bytes that must fit a buffer of `bufferSize` with their zero
  // byte. A zero byte inside would make the tool act on a shorter text than
  // the file shows, so it breaks the layout too.
  std::string bytes(std::size_t length, std::size_t bufferSize) {
    if (length >= bufferSize)
      failed_ = true;
    const std::uint8_t* p = take(length);
    if (!p)
      return {};
    if (std::memchr(p, 0, length)) {
      failed_ = true;
      return {};
    }
    return std::string(reinterpret_cast<const char*>(p), length);
  }

  std::string text(std::size_t bufferSize) {
    const std::uint16_t length = u16();
    return bytes(length, bufferSize);
  }

private:
  const std::uint8_t* take(std::size_t n) {
    if (failed_ || n > bytes_.size() - at_) {
      failed_ = true;
      return nullptr;
    }
    const std::uint8_t* p = bytes_.data() + at_;
    at_ += n;
    return p;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

// The fewest bytes an entry takes (a file entry with an empty path).
constexpr std::size_t kMinEntrySize = sizeof(UninstallEntryHeader);

UninstallEntry readEntry(DataReader& in) {
  UninstallEntry entry;
  entry.type = in.u8();
  entry.option = in.u8();
  const std::uint16_t pathLength = in.u16();
  if (entry.type == kEntryRegistry) {
    entry.hive = in.u16();
    entry.valueName = in.text(kMaxValueBuffer);
  }
  entry.path = in.bytes(pathLength, kMaxPathBuffer);
  return entry;
}

class DataWriter {
public:
  bool failed() const { return failed_; }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

  void u8(std::uint8_t v) { bytes_.push_back(v); }
  void u16(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void u32(std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  void raw(std::string_view s, std::size_t bufferSize) {
    if (s.size() >= bufferSize || s.find('\0') != std::string_view::npos)
      failed_ = true;
    bytes_.insert(bytes_.end(), s.begin(), s.end());
  }
  void text(std::string_view s, std::size_t bufferSize) {
    u16(static_cast<std::uint16_t>(s.size()));
    raw(s, bufferSize);
  }

private:
  std::vector<std::uint8_t> bytes_;
  bool failed_ = false;
};

} // namespace

std::optional<UninstallData> parseUninstallData(std::span<const std::uint8_t> bytes) {
  DataReader in(bytes);
  UninstallData data;
  data.flags = in.u8();
  const std::uint32_t count = in.u32();
  const std::uint16_t ownPathOffset = in.u16();
  const std::uint16_t textsOffset = in.u16();

  // The own path must not overlap the fixed fields it is found through.
  if (kOwnPathBase + ownPathOffset < kTextsBase)
    return std::nullopt;
  in.seek(kOwnPathBase + ownPathOffset);
  data.ownPath = in.text(kMaxPathBuffer);

  in.seek(kTextsBase + textsOffset);
  data.caption = in.text(kMaxTextBuffer);
  data.question = in.text(kMaxTextBuffer);
  data.allRemovedMessage = in.text(kMaxTextBuffer);
  data.somethingLeftMessage = in.text(kMaxTextBuffer);
  data.program1Path = in.text(kMaxPathBuffer);
  data.program1Arguments = in.text(kMaxTextBuffer);
  data.program1FailureMode = in.u8();
  data.program1ErrorText = in.text(kMaxTextBuffer);
  data.program2Path = in.text(kMaxPathBuffer);
  data.program2Arguments = in.text(kMaxTextBuffer);
  if (data.offersRestartOrLogoff())
    data.restartQuestion = in.text(kMaxTextBuffer);

  // A count the remaining bytes cannot hold is refused before any room is
  // made for it.
  if (in.failed() || count > in.remaining() / kMinEntrySize)
    return std::nullopt;
  data.entries.reserve(count);
  for (std::uint32_t i = 0; i < count && !in.failed(); ++i)
    data.entries.push_back(readEntry(in));
  if (in.failed())
    return std::nullopt;
  return data;
}

std::optional<std::vector<std::uint8_t>>
serializeUninstallData(const UninstallData& data) {
  DataWriter out;
  out.u8(data.flags);
  out.u32(static_cast<std::uint32_t>(data.entries.size()));
  // The own path follows the fixed fields; the texts follow the own path.
  out.u16(static_cast<std::uint16_t>(kTextsBase - kOwnPathBase));
  out.u16(static_cast<std::uint16_t>(2 + data.ownPath.size()));
  out.text(data.ownPath, kMaxPathBuffer);
  out.text(data.caption, kMaxTextBuffer);
  out.text(data.question, kMaxTextBuffer);
  out.text(data.allRemovedMessage, kMaxTextBuffer);
  out.text(data.somethingLeftMessage, kMaxTextBuffer);
  out.text(data.program1Path, kMaxPathBuffer);
  out.text(data.program1Arguments, kMaxTextBuffer);
  out.u8(data.program1FailureMode);
  out.text(data.program1ErrorText, kMaxTextBuffer);
  out.text(data.program2Path, kMaxPathBuffer);
  out.text(data.program2Arguments, kMaxTextBuffer);
  if (data.offersRestartOrLogoff())
    out.text(data.restartQuestion, kMaxTextBuffer);
  for (const UninstallEntry& entry : data.entries) {
    out.u8(entry.type);
    out.u8(entry.option);
    out.u16(static_cast<std::uint16_t>(entry.path.size()));
    if (entry.type == kEntryRegistry) {
      out.u16(entry.hive);
      out.text(entry.valueName, kMaxValueBuffer);
    }
    out.raw(entry.path, kMaxPathBuffer);
  }
  if (out.failed() || out.bytes().size() > kMaxDataFileSize)
    return std::nullopt;
  return std::move(out.bytes());
}

DataFileResult readUninstallDataFile(const std::string& path, UninstallData& out) {
  using namespace platform;
  File file =
      File::open(path.c_str(), Access::Read, Share::Read, Disposition::OpenExisting);
  std::uint64_t size = 0;
  if (!file.isOpen() || !file.size(size))
    return DataFileResult::CannotOpen;
  if (size > kMaxDataFileSize)
    return DataFileResult::Refused;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::size_t got = 0;
  if (!readFully(file, std::as_writable_bytes(std::span(bytes)), got))
    return DataFileResult::CannotOpen;
  bytes.resize(got);
  std::optional<UninstallData> data = parseUninstallData(bytes);
  if (!data)
    return DataFileResult::Refused;
  out = std::move(*data);
  return DataFileResult::Ok;
}

bool writeUninstallDataFile(const std::string& path, const UninstallData& data) {
  const std::optional<std::vector<std::uint8_t>> bytes = serializeUninstallData(data);
  if (!bytes)
    return false;
  const std::string_view content(reinterpret_cast<const char*>(bytes->data()),
                                 bytes->size());
  return platform::replaceFile(path.c_str(), false, "~uds", {content});
}

} // namespace ravelock::setup
