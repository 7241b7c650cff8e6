#include "shell/handoff/file_list.h"
#include "platform/text.h"

#include <cstring>

namespace ravelock::handoff {

bool hasDecryptableExtension(std::string_view path) {
  const std::string text(path); // charLength reads up to a terminator
  std::size_t nameStart = 0;
  std::size_t lastDot = std::string::npos;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n = platform::charLength(text.c_str() + at);
    if (n == 1 && text[at] == '\\') {
      nameStart = at + 1;
      lastDot = std::string::npos;
    } else if (n == 1 && text[at] == '.') {
      lastDot = at;
    }
    at += n;
  }
  if (lastDot == std::string::npos || lastDot < nameStart)
    return false;
  return platform::equalIgnoringCase(text.substr(lastDot), ".rlk");
}

bool PathList::add(std::string_view path, bool isFolder) {
  const bool mark = isFolder && !path.empty() && path.back() != '\\';
  if (path.empty() || path.size() + (mark ? 1 : 0) + 1 > kPathRoom || count_ == INT32_MAX)
    return false;
  paths_ += path;
  if (mark)
    paths_ += '\\';
  paths_ += '\0';
  ++count_;
  if (isFolder || !hasDecryptableExtension(path))
    decryptable_ = false;
  return true;
}

bool readDropNames(std::span<const unsigned char> block, const ToAnsi& toAnsi,
                   const std::function<void(const std::string& name)>& onName) {
  DropFilesHeader header;
  if (block.size() < sizeof header)
    return false;
  std::memcpy(&header, block.data(), sizeof header);
  if (header.namesOffset < sizeof header || header.namesOffset > block.size())
    return false;
  const std::size_t unit = header.wide ? 2 : 1;
  const unsigned char* p = block.data() + header.namesOffset;
  // Whole characters only: an odd byte at the end of a wide list is no name.
  const std::size_t units = (block.size() - header.namesOffset) / unit;
  const auto at = [&](std::size_t i) -> char16_t {
    return unit == 1 ? p[i] : static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
  };
  std::u16string wide;
  std::string name;
  std::size_t start = 0;
  for (std::size_t i = 0; i < units; ++i) {
    if (at(i) != 0)
      continue;
    if (i == start)
      return true; // the empty name ends the list
    if (unit == 1) {
      name.assign(reinterpret_cast<const char*>(p) + start, i - start);
      onName(name);
    } else {
      wide.clear();
      for (std::size_t k = start; k < i; ++k)
        wide += at(k);
      if (toAnsi(wide, name))
        onName(name);
    }
    start = i + 1;
  }
  // The block ended before the list did: the names read are still whole.
  return true;
}

bool writeFileListSection(std::span<unsigned char> section, std::uint32_t doneEvent,
                          std::string_view list, std::int32_t count) {
  if (list.size() > UINT32_MAX || section.size() < sizeof(FileListHeader) ||
      list.size() > section.size() - sizeof(FileListHeader))
    return false;
  const FileListHeader header{doneEvent, static_cast<std::uint32_t>(list.size()), count};
  std::memcpy(section.data(), &header, sizeof header);
  std::memcpy(section.data() + sizeof header, list.data(), list.size());
  return true;
}

namespace {

// Exactly `count` non-empty paths, each ended by a NUL, then the final NUL
// as the list's last byte.
bool wellFormed(const std::vector<char>& list, std::size_t length, std::int32_t count) {
  if (count < 1 || length < 2)
    return false;
  std::size_t at = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const void* end = std::memchr(list.data() + at, '\0', length - at);
    if (!end)
      return false;
    const std::size_t nul = static_cast<const char*>(end) - list.data();
    if (nul == at)
      return false; // the list ended before `count` paths
    at = nul + 1;
  }
  return at == length - 1 && list[at] == '\0';
}

} // namespace

ReceivedFileList readFileListSection(std::span<const unsigned char> section) {
  ReceivedFileList received;
  FileListHeader header;
  if (section.size() < sizeof header)
    return received;
  std::memcpy(&header, section.data(), sizeof header);
  received.headerRead = true;
  received.doneEvent = header.doneEvent;
  const std::size_t room = section.size() - sizeof header;
  if (header.listLength > room)
    return received;
  received.list.assign(std::size_t{header.listLength} + 4, '\0');
  std::memcpy(received.list.data(), section.data() + sizeof header, header.listLength);
  if (!wellFormed(received.list, header.listLength, header.itemCount)) {
    received.list.clear();
    return received;
  }
  received.count = header.itemCount;
  received.valid = true;
  return received;
}

} // namespace ravelock::handoff
