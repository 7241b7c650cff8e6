#include "cli/console_link.h"

#include "cli/key_input.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/target_naming.h"
#include "platform/console.h"
#include "platform/secure_wipe.h"

#include <cstdio>
#include <cstring>

namespace ravelock::cli {

using namespace engine;

ConsoleLink::ConsoleLink(ExistingTarget existing)
    : existing_(existing), terminal_(platform::stderrIsTerminal()) {}

ConsoleLink::ConsoleLink(ExistingTarget existing, DecryptionChoices choices)
    : existing_(existing), decrypting_(true), choices_(choices),
      terminal_(platform::stderrIsTerminal()) {}

std::uint32_t ConsoleLink::stopState() {
  std::lock_guard lock(stopMutex_);
  return stop_;
}

void ConsoleLink::setStopState(std::uint32_t state) {
  std::lock_guard lock(stopMutex_);
  stop_ = state;
}

void ConsoleLink::beginFile(const std::string& path, bool keyOffered) {
  file_ = path;
  note_ = FileNote::None;
  keyTried_ = keyOffered;
  phase_ = "";
}

void ConsoleLink::endFile() {
  if (drawn_) {
    std::fputs("\r\033[K", stderr);
    drawn_ = false;
  }
}

void ConsoleLink::draw(unsigned percent) {
  if (!terminal_)
    return;
  constexpr int kWidth = 30;
  char bar[kWidth + 1];
  const int filled = static_cast<int>(percent > 100 ? 100 : percent) * kWidth / 100;
  for (int i = 0; i < kWidth; ++i)
    bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = '\0';
  std::fprintf(stderr, "\r\033[K%-11s [%s] %3u%%  %s", phase_, bar, percent,
               file_.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

std::intptr_t ConsoleLink::targetExists(char* path) {
  switch (existing_) {
  case ExistingTarget::Overwrite: return 0;
  case ExistingTarget::Skip: note_ = FileNote::TargetExists; return 1;
  case ExistingTarget::Ask: break;
  }
  if (!platform::stdinIsTerminal()) {
    note_ = FileNote::TargetExists;
    return 1;
  }
  endFile();
  for (;;) {
    std::fprintf(stderr,
                 "%s exists. Overwrite it, skip this file, or write to a new name? "
                 "[o/s/n] ",
                 path);
    std::string answer;
    if (!platform::readConsoleLine(answer, true)) {
      note_ = FileNote::TargetExists;
      return 1;
    }
    if (answer == "o" || answer == "O")
      return 0;
    if (answer == "s" || answer == "S") {
      note_ = FileNote::TargetExists;
      return 1;
    }
    if (answer == "n" || answer == "N") {
      std::fputs("New name: ", stderr);
      std::string name;
      if (platform::readConsoleLine(name, true) && !name.empty() &&
          name.size() < kMaxPath) {
        std::memcpy(path, name.c_str(), name.size() + 1);
        return 2;
      }
    }
  }
}

bool ConsoleLink::askYesNo(const char* question) {
  if (!platform::stdinIsTerminal())
    return false;
  endFile();
  std::fprintf(stderr, "%s [y/n] ", question);
  std::string answer;
  return platform::readConsoleLine(answer, true) && (answer == "y" || answer == "Y");
}

// A key typed for this file; none without a terminal.
std::intptr_t ConsoleLink::askKey(void* request) {
  auto& r = *static_cast<KeyRequest*>(request);
  const bool rejected = r.key->length > 0 || keyTried_;
  keyTried_ = true;
  note_ = rejected ? FileNote::WrongKey : FileNote::NoKey;
  if (!platform::stdinIsTerminal())
    return 0;
  endFile();
  char prompt[128];
  std::snprintf(prompt, sizeof prompt, "Key \"%.32s\" for %s: ", r.key->name,
                file_.c_str());
  auto typed = cli::askKey(prompt);
  if (!typed || !keyProblem(*typed).empty()) {
    if (typed)
      platform::secureWipe(typed->data(), typed->size());
    return 0;
  }
  std::memset(r.key->key, 0, sizeof r.key->key);
  std::memcpy(r.key->key, typed->data(), typed->size());
  r.key->length = static_cast<std::uint32_t>(typed->size());
  platform::secureWipe(typed->data(), typed->size());
  note_ = FileNote::None;
  return 1;
}

// The result is itself encrypted and its encrypted name is taken.
std::intptr_t ConsoleLink::askRepeated(char* path, bool writeFailed) {
  note_ = FileNote::RepeatedName;
  if (!platform::stdinIsTerminal())
    return 0;
  endFile();
  if (writeFailed)
    std::fprintf(stderr, "Cannot write %s.\n", path);
  std::fprintf(stderr,
               "The decrypted file is itself encrypted and %s is taken.\n"
               "Name to save it under (empty to drop it): ",
               path);
  std::string name;
  if (!platform::readConsoleLine(name, true) || name.empty() || name.size() >= kMaxPath)
    return 0;
  std::memcpy(path, name.c_str(), name.size() + 1);
  note_ = FileNote::None;
  return 1;
}

std::intptr_t ConsoleLink::send(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
  switch (message) {
  case UM_TARGET_EXISTS: return targetExists(reinterpret_cast<char*>(wParam));
  case UM_ASK_KEY: return askKey(reinterpret_cast<void*>(wParam));
  case UM_BAD_KEY:
    if (platform::stdinIsTerminal())
      std::fprintf(stderr, "%s\n", kIncorrectKeyMessage);
    return 0;
  case UM_ASK_KEEP_BAD_CRC:
    return choices_.keepDamaged ||
           askYesNo(
               "The decrypted file's CRC does not match: it may be damaged. Keep it?");
  case UM_ASK_REPEATED: return askRepeated(reinterpret_cast<char*>(wParam), lParam != 0);
  case UM_QUERY_REMEMBER: return choices_.remember;
  case UM_LOADING:
    phase_ = "reading";
    draw(0);
    return 0;
  case UM_SET_SOURCE: phase_ = decrypting_ ? "deciphering" : "enciphering"; return 0;
  case UM_SAVING: phase_ = "writing"; return 0;
  case UM_CLEANING_UP: phase_ = "cleaning up"; return 1;
  case UM_SET_PROGRESS: draw(static_cast<unsigned>(wParam)); return 0;
  default: return 0;
  }
}

} // namespace ravelock::cli
