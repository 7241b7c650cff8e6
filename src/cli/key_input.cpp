#include "cli/key_input.h"

#include "engine/format/key_text.h"
#include "platform/console.h"
#include "platform/file.h"
#include "platform/secure_wipe.h"
#include "platform/text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ravelock::cli {

namespace {

// Wipes a string's characters before it is freed.
struct WipedString {
  std::string text;
  ~WipedString() { platform::secureWipe(text.data(), text.size()); }
};

// Every source gives its first line: what comes before the first LF, a CR
// just before it dropped, so a key reads the same from a file written on
// any system, the environment and the terminal.
void keepFirstLine(std::string& text) {
  std::size_t end = text.find('\n');
  if (end == std::string::npos)
    end = text.size();
  if (end > 0 && text[end - 1] == '\r')
    --end;
  platform::secureWipe(text.data() + end, text.size() - end);
  text.resize(end);
}

bool readKeyFile(const std::string& path, std::string& key) {
  using namespace platform;
  File file =
      File::open(path.c_str(), Access::Read, Share::Read, Disposition::OpenExisting);
  if (!file.isOpen())
    return false;
  // Only the first line counts; a key is at most 56 bytes, so reading a
  // little more than that tells a long first line from a short one.
  char buffer[kMaxKeyLength * 4];
  std::size_t got = 0;
  const bool ok = readFully(file, std::as_writable_bytes(std::span(buffer)), got);
  if (ok) {
    key.assign(buffer, got);
    keepFirstLine(key);
  }
  secureWipe(buffer, sizeof buffer);
  return ok;
}

} // namespace

bool keyCodePage(const Arguments& arguments, unsigned& codePage, std::string& problem) {
  codePage = platform::legacyCodePage();
  if (!arguments.given(kCodePageOption))
    return true;
  const std::string text = arguments.value(kCodePageOption);
  unsigned long value = 0;
  std::size_t digits = 0;
  while (digits < text.size() && digits < 6 && text[digits] >= '0' && text[digits] <= '9')
    value = value * 10 + static_cast<unsigned>(text[digits++] - '0');
  if (digits == 0 || digits != text.size() ||
      !platform::isKnownCodePage(static_cast<unsigned>(value))) {
    problem = "unknown code page '" + text + "'";
    return false;
  }
  codePage = static_cast<unsigned>(value);
  return true;
}

std::string keyProblem(const std::string& key) {
  if (key.empty())
    return "the key is empty";
  // A NUL would end the key wherever it is handled as a C string, so the
  // key used would not be the key given.
  if (key.find('\0') != std::string::npos)
    return "the key holds a NUL byte";
  return {};
}

std::string keyBytes(const std::string& text, unsigned codePage, std::string& bytes) {
  bytes.clear();
  std::u16string wide;
  std::string problem;
  if (!platform::fromUtf8Exact(text, wide))
    problem = "the key is no UTF-8 text";
  else if (!platform::encodeInCodePage(wide, codePage, bytes))
    problem =
        "the key has a character code page " + std::to_string(codePage) + " cannot hold";
  else if (bytes.size() > kMaxKeyLength)
    problem = "the key is longer than 56 bytes";
  platform::secureWipe(wide.data(), wide.size() * sizeof(char16_t));
  if (!problem.empty()) {
    platform::secureWipe(bytes.data(), bytes.size());
    bytes.clear();
  }
  return problem;
}

std::string keyNameToStore(const std::string& given, bool& cut) {
  cut = false;
  std::u16string wide;
  std::string name, whole;
  if (!platform::fromUtf8Exact(given, wide) ||
      !engine::storedKeyName(wide, kMaxKeyNameLength, name))
    return {};
  engine::storedKeyName(wide, SIZE_MAX, whole);
  cut = name.size() < whole.size();
  return name;
}

std::string keyNameToShow(std::string_view stored) {
  std::string shown;
  platform::toUtf8Exact(engine::shownKeyName(stored), shown);
  return shown;
}

std::optional<std::string> askKey(const char* prompt) {
  if (!platform::stdinIsTerminal())
    return std::nullopt;
  std::fputs(prompt, stderr);
  std::fflush(stderr);
  std::string line;
  const bool ok = platform::readConsoleLine(line, false);
  std::fputs("\n", stderr);
  if (!ok) {
    platform::secureWipe(line.data(), line.size());
    return std::nullopt;
  }
  keepFirstLine(line);
  return line;
}

bool obtainKey(const KeySource& source, KeyRecord& key) {
  WipedString text;
  if (!source.keyFile.empty()) {
    if (!readKeyFile(source.keyFile, text.text)) {
      std::fprintf(stderr, "ravelock: cannot read the key file '%s'\n",
                   source.keyFile.c_str());
      return false;
    }
  } else if (const char* fromEnvironment = std::getenv(kKeyEnvironment)) {
    text.text = fromEnvironment;
    keepFirstLine(text.text);
  } else {
    auto typed = askKey("Key: ");
    if (!typed) {
      std::fprintf(stderr,
                   "ravelock: no key: give --key-file FILE or set %s (there is no "
                   "terminal to ask on)\n",
                   kKeyEnvironment);
      return false;
    }
    text.text = std::move(*typed);
    if (keyProblem(text.text).empty() && source.confirm) {
      WipedString again;
      auto confirmation = askKey("Confirm key: ");
      again.text = confirmation.value_or("");
      if (again.text != text.text) {
        std::fputs("ravelock: the two keys differ\n", stderr);
        return false;
      }
    }
  }
  WipedString bytes;
  std::string problem = keyProblem(text.text);
  if (problem.empty())
    problem = keyBytes(text.text, source.codePage, bytes.text);
  if (!problem.empty()) {
    std::fprintf(stderr, "ravelock: %s (a key has 1 to 56 characters)\n",
                 problem.c_str());
    return false;
  }
  std::memset(key.key, 0, sizeof key.key);
  std::memcpy(key.key, bytes.text.data(), bytes.text.size());
  key.length = static_cast<std::uint32_t>(bytes.text.size());
  return true;
}

} // namespace ravelock::cli
