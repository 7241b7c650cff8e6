#include "app/path_list.h"

namespace ravelock::app {

PathList buildPathList(std::span<const std::string> paths, std::size_t limit) {
  PathList list;
  for (const std::string& path : paths) {
    // This path, its zero and the list's final zero must all fit.
    if (list.bytes.size() + path.size() + 2 > limit)
      break;
    list.bytes += path;
    list.bytes += '\0';
    ++list.count;
  }
  list.bytes += '\0';
  return list;
}

PathList folderList(std::string folder) {
  if (folder.empty())
    return {};
  if (folder.back() != '\\')
    folder += '\\';
  folder += '\0';
  folder += '\0';
  return {std::move(folder), 1};
}

std::vector<std::wstring> splitSelection(std::wstring_view buffer) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start < buffer.size()) {
    const std::size_t end = buffer.find(L'\0', start);
    if (end == std::wstring_view::npos)
      return {}; // cut short: no name of it can be trusted
    if (end == start)
      break;
    parts.emplace_back(buffer.substr(start, end - start));
    start = end + 1;
  }
  if (parts.size() <= 1)
    return parts;
  std::wstring folder = std::move(parts.front());
  if (folder.back() != L'\\')
    folder += L'\\';
  std::vector<std::wstring> paths;
  for (std::size_t i = 1; i < parts.size(); ++i)
    paths.push_back(folder + parts[i]);
  return paths;
}

} // namespace ravelock::app
