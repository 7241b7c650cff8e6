#include "options/startup_lists.h"

#include "options/options_location.h"
#include "options/xml_store.h"
#include "options/xml_text.h"
#include "platform/filesystem.h"

#include <string>

namespace ravelock::options {

namespace {

constexpr std::string_view kListsElement = "StartUp_users";

struct ListKeys {
  std::string_view list;
  std::string_view count;
};

ListKeys keysOf(StartupList list) {
  return list == StartupList::KeyManager
             ? ListKeys{"StartUpUsers", "StartUpUsersCount"}
             : ListKeys{"StartUpUsersPondlet", "StartUpUsersPondletCount"};
}

bool readCount(const std::string& file, std::string_view key, std::uint32_t& count) {
  std::size_t size = sizeof count;
  return XmlGetValue(file.c_str(), XML_UNSIGNED, &count, size,
                     {kRootElement, kListsElement, key}) == 1;
}

// The list is read whole: the count only ever sized a buffer for it, and a
// count that drifted from the list must not lose entries.
bool readList(const std::string& file, std::string_view key, std::string& list) {
  return XmlGetText(file.c_str(), list, {kRootElement, kListsElement, key}) == 1;
}

void trimSpace(std::string& text, bool leading, bool trailing) {
  std::size_t begin = 0, end = text.size();
  while (leading && begin < end && isXmlSpace(text[begin]))
    ++begin;
  while (trailing && end > begin && isXmlSpace(text[end - 1]))
    --end;
  text = text.substr(begin, end - begin);
}

} // namespace

std::int64_t updateStartupList(StartupList which, std::string_view shortcut, bool add,
                               const std::string& file) {
  if (shortcut.empty())
    return -1;
  std::string path(shortcut);
  for (char& c : path)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');

  const ListKeys keys = keysOf(which);
  std::uint32_t count = 0;
  if (!readCount(file, keys.count, count)) {
    if (!add)
      return -1;
    count = 0;
  }
  std::string list;
  if (!readList(file, keys.list, list)) {
    if (!add)
      return -1;
    list.clear();
  }

  const std::size_t found = list.find(path);
  if (add) {
    if (found != std::string::npos)
      return count;
    list += ' ';
    list += path;
    trimSpace(list, true, false);
    ++count;
  } else {
    if (found == std::string::npos)
      return count;
    // Only the path goes; the spaces around it stay until the ends are trimmed.
    list.erase(found, path.size());
    trimSpace(list, true, true);
    if (count > 0)
      --count;
  }

  if (XmlSetValue(file.c_str(), XML_STRING, list.c_str(), XML_ADD_OR_REPLACE, XML_AT_END,
                  {kRootElement, kListsElement, keys.list}) != 0 ||
      XmlSetValue(file.c_str(), XML_UNSIGNED, &count, XML_ADD_OR_REPLACE, XML_AT_END,
                  {kRootElement, kListsElement, keys.count}) != 0)
    return -1;
  return count;
}

std::vector<std::string> listedShortcuts(StartupList which, const std::string& file) {
  std::vector<std::string> paths;
  std::string list;
  if (!readList(file, keysOf(which).list, list))
    return paths;
  std::size_t begin = 0;
  while (begin <= list.size()) {
    std::size_t end = list.find(' ', begin);
    if (end == std::string::npos)
      end = list.size();
    if (end > begin)
      paths.push_back(list.substr(begin, end - begin));
    begin = end + 1;
  }
  return paths;
}

int deleteListedShortcuts(StartupList which, const std::string& file) {
  std::uint32_t count = 0;
  if (!readCount(file, keysOf(which).count, count))
    return 0;
  std::string list;
  if (!readList(file, keysOf(which).list, list))
    return 0;
  for (const std::string& path : listedShortcuts(which, file))
    platform::deleteFile(path.c_str());
  return 1;
}

} // namespace ravelock::options
