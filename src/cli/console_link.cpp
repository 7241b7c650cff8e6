#include "cli/console_link.h"

#include "engine/files/target_naming.h"
#include "platform/console.h"

#include <cstdio>
#include <cstring>

namespace ravelock::cli {

using namespace engine;

ConsoleLink::ConsoleLink(ExistingTarget existing)
    : existing_(existing), terminal_(platform::stderrIsTerminal()) {}

std::uint32_t ConsoleLink::stopState() {
  std::lock_guard lock(stopMutex_);
  return stop_;
}

void ConsoleLink::setStopState(std::uint32_t state) {
  std::lock_guard lock(stopMutex_);
  stop_ = state;
}

void ConsoleLink::beginFile(const std::string& path) {
  file_ = path;
  skippedExisting_ = false;
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
  std::fprintf(stderr, "\r\033[K%-11s [%s] %3u%%  %s", phase_, bar, percent, file_.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

std::intptr_t ConsoleLink::targetExists(char* path) {
  switch (existing_) {
  case ExistingTarget::Overwrite: return 0;
  case ExistingTarget::Skip: skippedExisting_ = true; return 1;
  case ExistingTarget::Ask: break;
  }
  if (!platform::stdinIsTerminal()) {
    skippedExisting_ = true;
    return 1;
  }
  endFile();
  for (;;) {
    std::fprintf(stderr, "%s exists. Overwrite it, skip this file, or write to a new name? "
                         "[o/s/n] ",
                 path);
    std::string answer;
    if (!platform::readConsoleLine(answer, true)) {
      skippedExisting_ = true;
      return 1;
    }
    if (answer == "o" || answer == "O")
      return 0;
    if (answer == "s" || answer == "S") {
      skippedExisting_ = true;
      return 1;
    }
    if (answer == "n" || answer == "N") {
      std::fputs("New name: ", stderr);
      std::string name;
      if (platform::readConsoleLine(name, true) && !name.empty() && name.size() < kMaxPath) {
        std::memcpy(path, name.c_str(), name.size() + 1);
        return 2;
      }
    }
  }
}

std::intptr_t ConsoleLink::send(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t) {
  switch (message) {
  case UM_TARGET_EXISTS: return targetExists(reinterpret_cast<char*>(wParam));
  case UM_LOADING: phase_ = "reading"; draw(0); return 0;
  case UM_SET_SOURCE: phase_ = "enciphering"; return 0;
  case UM_SAVING: phase_ = "writing"; return 0;
  case UM_CLEANING_UP: phase_ = "cleaning up"; return 1;
  case UM_SET_PROGRESS: draw(static_cast<unsigned>(wParam)); return 0;
  default: return 0;
  }
}

} // namespace ravelock::cli
