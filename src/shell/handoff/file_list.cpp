#include "shell/handoff/file_list.h"

#include <cstring>

namespace ravelock::handoff {

void PathList::add(std::string_view path, bool isFolder) {
  if (path.empty())
    return;
  paths_ += path;
  if (isFolder && path.back() != '\\')
    paths_ += '\\';
  paths_ += '\0';
  ++count_;
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
