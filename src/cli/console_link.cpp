#include "cli/console_link.h"

#include "cli/arguments.h"
#include "cli/key_input.h"
#include "cli/report.h"
#include "engine/batch/error_list.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/file_note.h"
#include "engine/files/target_naming.h"
#include "platform/console.h"
#include "platform/secure_wipe.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace ravelock::cli {

using namespace engine;

namespace {
std::atomic<bool> interruptRequested{false};
void onInterrupt() {
  interruptRequested.store(true);
}
} // namespace

ExistingTarget existingTargetChoice(const Arguments& a) {
  return a.has("--overwrite")       ? ExistingTarget::Overwrite
         : a.has("--skip-existing") ? ExistingTarget::Skip
                                    : ExistingTarget::Ask;
}

std::string existingTargetProblem(const Arguments& a) {
  return a.has("--overwrite") && a.has("--skip-existing")
             ? "--overwrite and --skip-existing exclude each other"
             : "";
}

std::string itemList(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths)
    list += path + '\0';
  return list + '\0';
}

bool ConsoleLink::interrupted() {
  return interruptRequested.load();
}
void ConsoleLink::catchInterrupt() {
  platform::onInterrupt(onInterrupt);
}

ConsoleLink::ConsoleLink(bool decrypting, RunChoices choices)
    : decrypting_(decrypting), choices_(choices),
      terminal_(platform::stderrIsTerminal()) {}

std::uint32_t ConsoleLink::stopState() {
  if (interrupted())
    return STOP_FILE;
  std::lock_guard lock(stopMutex_);
  return stop_;
}

void ConsoleLink::setStopState(std::uint32_t state) {
  std::lock_guard lock(stopMutex_);
  stop_ = state;
}

void ConsoleLink::clearLine() {
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
               printable(file_).c_str());
  std::fflush(stderr);
  drawn_ = true;
}

// Why a file is about to end without a result; reported when it has ended.
void ConsoleLink::note(const std::string& text, const std::string& path) {
  pendingNote_ = text;
  pendingPath_ = path;
}

void ConsoleLink::printFileNote() {
  const engine::FileNoteRecord& last = engine::lastFileNote();
  const char* text = nullptr;
  switch (last.note) {
  case engine::FileNote::None: return;
  case engine::FileNote::SourceIsLink:
    text = "A symbolic link is not followed: name the file it points to";
    break;
  case engine::FileNote::SourceInUse:
    text = "The file is in use by another run or program; try again once it ends";
    break;
  case engine::FileNote::SourceChanged:
    text = "The file changed while it was read: it is kept as it is, and no result "
           "was written";
    break;
  case engine::FileNote::NoRoomForCopy:
    text = "No room for a copy of the file. --in-place-without-copy overwrites it "
           "where it is, but a power loss or crash during that loses the file";
    break;
  }
  printReportLine(stderr, text, last.path);
  engine::clearFileNote();
}

bool ConsoleLink::askYesNo(const char* question) {
  if (!platform::stdinIsTerminal())
    return false;
  clearLine();
  std::fprintf(stderr, "%s [y/n] ", question);
  std::string answer;
  return platform::readConsoleLine(answer, true) && (answer == "y" || answer == "Y");
}

std::intptr_t ConsoleLink::targetExists(char* path) {
  const char* what = decrypting_ ? "Skipped: the decrypted file exists"
                                 : "Skipped: the encrypted file exists";
  switch (choices_.existing) {
  case ExistingTarget::Overwrite: return TARGET_OVERWRITE;
  case ExistingTarget::Skip: note(what, path); return TARGET_SKIP;
  case ExistingTarget::Ask: break;
  }
  if (!platform::stdinIsTerminal()) {
    note(std::string(what) + " (use --overwrite)", path);
    return TARGET_SKIP;
  }
  clearLine();
  for (;;) {
    std::fprintf(
        stderr,
        "%s exists. Overwrite it, skip this file, or write to a new name? [o/s/n] ",
        printable(path).c_str());
    std::string answer;
    if (!platform::readConsoleLine(answer, true) || answer == "s" || answer == "S") {
      note(what, path);
      return TARGET_SKIP;
    }
    if (answer == "o" || answer == "O")
      return TARGET_OVERWRITE;
    if (answer == "n" || answer == "N") {
      std::fputs("New name: ", stderr);
      std::string name;
      if (platform::readConsoleLine(name, true) && !name.empty() &&
          name.size() < kMaxPath) {
        std::memcpy(path, name.c_str(), name.size() + 1);
        return TARGET_NEW_NAME;
      }
    }
  }
}

// The key given on the command line first, then one typed on the terminal.
std::intptr_t ConsoleLink::askKey(void* request) {
  auto& r = *static_cast<KeyRequest*>(request);
  if (choices_.givenKey && !givenKeyTried_) {
    givenKeyTried_ = true;
    std::memcpy(r.key->key, choices_.givenKey->key, sizeof r.key->key);
    r.key->length = choices_.givenKey->length;
    return ANSWER_YES;
  }
  const bool rejected = r.key->length > 0;
  note(rejected ? kIncorrectKeyMessage
                : "Skipped: no key for this file (give --key-file or RAVELOCK_KEY)",
       r.source);
  if (!platform::stdinIsTerminal())
    return ANSWER_NO;
  clearLine();
  const std::string keyName =
      keyNameToShow({r.key->name, strnlen(r.key->name, kMaxKeyNameLength)});
  const std::string prompt =
      "Key \"" + printable(keyName) + "\" for " + printable(r.source) + ": ";
  auto typed = cli::askKey(prompt.c_str());
  std::string bytes;
  const bool usable = typed && keyProblem(*typed).empty() &&
                      keyBytes(*typed, choices_.keyCodePage, bytes).empty();
  if (typed)
    platform::secureWipe(typed->data(), typed->size());
  if (!usable)
    return ANSWER_NO;
  std::memset(r.key->key, 0, sizeof r.key->key);
  std::memcpy(r.key->key, bytes.data(), bytes.size());
  r.key->length = static_cast<std::uint32_t>(bytes.size());
  platform::secureWipe(bytes.data(), bytes.size());
  pendingNote_.clear();
  return ANSWER_YES;
}

// The result is itself encrypted and its encrypted name is taken.
std::intptr_t ConsoleLink::askRepeated(char* path, bool writeFailed) {
  note("Skipped: the decrypted file is itself encrypted and its name is taken", path);
  if (!platform::stdinIsTerminal())
    return ANSWER_NO;
  clearLine();
  if (writeFailed)
    std::fprintf(stderr, "Cannot write %s.\n", printable(path).c_str());
  std::fprintf(stderr,
               "The decrypted file is itself encrypted and %s is taken.\n"
               "Name to save it under (empty to drop it): ",
               printable(path).c_str());
  std::string name;
  if (!platform::readConsoleLine(name, true) || name.empty() || name.size() >= kMaxPath)
    return ANSWER_NO;
  std::memcpy(path, name.c_str(), name.size() + 1);
  pendingNote_.clear();
  return ANSWER_YES;
}

std::intptr_t ConsoleLink::send(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
  switch (message) {
  case UM_SHOW_SKIP: // a file begins
    givenKeyTried_ = false;
    saving_ = false;
    pendingNote_.clear();
    file_.clear();
    return ANSWER_NONE;
  case UM_TARGET_EXISTS: return targetExists(reinterpret_cast<char*>(wParam));
  case UM_ASK_KEY: return askKey(reinterpret_cast<void*>(wParam));
  case UM_BAD_KEY:
    if (platform::stdinIsTerminal())
      std::fprintf(stderr, "%s\n", kIncorrectKeyMessage);
    return ANSWER_NONE;
  case UM_ASK_KEEP_BAD_CRC:
    return choices_.keepDamaged ||
                   askYesNo("The decrypted file's CRC does not match: it may be "
                            "damaged. Keep it?")
               ? ANSWER_YES
               : ANSWER_NO;
  case UM_ASK_REPEATED: return askRepeated(reinterpret_cast<char*>(wParam), lParam != 0);
  case UM_QUERY_REMEMBER: return choices_.remember ? ANSWER_YES : ANSWER_NO;
  case UM_SET_SOURCE:
    file_ = reinterpret_cast<const char*>(wParam);
    phase_ = decrypting_ ? "deciphering" : "enciphering";
    return ANSWER_NONE;
  case UM_SET_TARGET: file_ = reinterpret_cast<const char*>(wParam); return ANSWER_NONE;
  case UM_LOADING:
    phase_ = "reading";
    draw(0);
    return ANSWER_NONE;
  case UM_SAVING:
    phase_ = "writing";
    saving_ = true;
    return ANSWER_NONE;
  case UM_CLEANING_UP: phase_ = "cleaning up"; return ANSWER_HANDLED;
  case UM_SET_PROGRESS: draw(static_cast<unsigned>(wParam)); return ANSWER_NONE;
  case UM_QUERY_ABORT:
    clearLine();
    if (wParam == QUERY_FILE_FAILED)
      printFileNote();
    if (wParam == QUERY_FILE_DONE && !interrupted()) {
      if (!pendingNote_.empty()) {
        printReportLine(stderr, pendingNote_, pendingPath_);
        ++failures_;
      } else if (saving_) {
        printReportLine(stdout, decrypting_ ? "decrypted" : "encrypted", file_);
      }
    }
    pendingNote_.clear();
    if (wParam == QUERY_INTERNAL_ERROR) {
      std::fputs("ravelock: internal error; the run ends here\n", stderr);
      return ANSWER_ABORT_RUN;
    }
    return interrupted() ? ANSWER_ABORT_RUN : ANSWER_GO_ON;
  case UM_RUN_RESULT: {
    clearLine();
    const auto& errors = *reinterpret_cast<const ErrorList*>(wParam);
    for (const ErrorList::Entry& e : errors.entries())
      printReportLine(stderr, errorText(e.operation, e.code), e.path);
    failures_ += static_cast<int>(errors.size());
    return ANSWER_HANDLED;
  }
  default: return ANSWER_NONE;
  }
}

} // namespace ravelock::cli
