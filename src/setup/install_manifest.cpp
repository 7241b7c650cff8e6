#include "setup/install_manifest.h"
#include "platform/directory.h"

#include <charconv>
#include <vector>

namespace ravelock::setup {

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t at = 0;;) {
    const std::size_t tab = line.find('\t', at);
    fields.push_back(line.substr(at, tab == std::string_view::npos ? tab : tab - at));
    if (tab == std::string_view::npos)
      return fields;
    at = tab + 1;
  }
}

std::string unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

template <typename Number> bool parseNumber(std::string_view text, Number& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<UninstallData> dataFromManifest(std::string_view manifest,
                                              const std::string& installFolder,
                                              std::string& error) {
  std::string folder = installFolder;
  if (folder.empty() || !platform::isPathSeparator(folder.back()))
    folder += platform::kPathSeparator;
  const auto inFolder = [&](std::string_view relative) {
    std::string path(relative);
    for (char& c : path)
      if (platform::isPathSeparator(c))
        c = platform::kPathSeparator;
    return folder + path;
  };

  UninstallData data;
  std::size_t lineNumber = 0;
  for (std::size_t at = 0; at <= manifest.size();) {
    std::size_t end = manifest.find('\n', at);
    if (end == std::string_view::npos)
      end = manifest.size();
    std::string_view line = manifest.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (line.empty() || line.front() == '#')
      continue;

    const std::vector<std::string_view> f = splitFields(line);
    const std::string_view key = f[0];
    bool ok = true;
    const auto need = [&](std::size_t n) { return ok = ok && f.size() == n + 1; };
    if (key == "caption" && need(1)) {
      data.caption = unescape(f[1]);
    } else if (key == "question" && need(1)) {
      data.question = unescape(f[1]);
    } else if (key == "all-removed" && need(1)) {
      data.allRemovedMessage = unescape(f[1]);
    } else if (key == "something-left" && need(1)) {
      data.somethingLeftMessage = unescape(f[1]);
    } else if (key == "program1-error" && need(1)) {
      data.program1ErrorText = unescape(f[1]);
    } else if (key == "program1" && need(2)) {
      data.flags |= kRunProgram1;
      data.program1Path = inFolder(f[1]);
      data.program1Arguments = std::string(f[2]);
    } else if (key == "program1-failure" && need(1)) {
      ok = parseNumber(f[1], data.program1FailureMode);
    } else if (key == "own-path" && need(1)) {
      data.ownPath = inFolder(f[1]);
    } else if ((key == "file" || key == "file-and-folder") && need(1)) {
      data.entries.push_back({kEntryFile,
                              static_cast<std::uint8_t>(key == "file" ? 0 : 1), 0, "",
                              inFolder(f[1])});
    } else if (key == "registry-key" && need(2)) {
      UninstallEntry entry{kEntryRegistry, 1, 0, "", std::string(f[2])};
      ok = parseNumber(f[1], entry.hive);
      data.entries.push_back(entry);
    } else if (key == "registry-value" && need(3)) {
      UninstallEntry entry{kEntryRegistry, 0, 0, std::string(f[3]), std::string(f[2])};
      ok = parseNumber(f[1], entry.hive);
      data.entries.push_back(entry);
    } else {
      ok = false;
    }
    if (!ok) {
      error = "line " + std::to_string(lineNumber) + ": " + std::string(line);
      return std::nullopt;
    }
  }
  return data;
}

void addOutsideFile(UninstallData& data, const std::string& path, bool withFolder) {
  data.entries.push_back(
      {kEntryFile, static_cast<std::uint8_t>(withFolder ? 1 : 0), 0, "", path});
}

} // namespace ravelock::setup
