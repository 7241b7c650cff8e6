#pragma once
// The progress dialog of the command-line tool: a progress line on a
// terminal, questions asked there, and the run's report at its end. Without
// a terminal nothing is asked: an existing target is skipped (never
// overwritten) unless an answer was given on the command line, and a file
// whose key is not at hand fails. Ctrl-C stops the current file (which
// cleans up after itself) and ends the run.

#include "engine/progress_link.h"
#include "keyserver/key_record.h"

#include <mutex>
#include <string>
#include <vector>

namespace ravelock::cli {

// What the dialog says when a typed key does not fit.
inline constexpr char kIncorrectKeyMessage[] =
    "Incorrect key.\nThe key you have entered is not valid for this file.\nPlease check "
    "if the Caps Lock is not on and try again.";

enum class ExistingTarget { Ask, Overwrite, Skip };

class Arguments;

// --overwrite / --skip-existing, or asking.
ExistingTarget existingTargetChoice(const Arguments& a);
// Why the two answers cannot both be given, or "".
std::string existingTargetProblem(const Arguments& a);
// A batch run's item list: each path with its NUL, then one more NUL.
std::string itemList(const std::vector<std::string>& paths);

struct RunChoices {
  ExistingTarget existing = ExistingTarget::Ask;
  bool remember = false;               // decryption: store the key that fitted
  bool keepDamaged = false;            // decryption: keep a result whose CRC fails
  const KeyRecord* givenKey = nullptr; // decryption: tried before asking
  unsigned keyCodePage = 0;            // decryption: of a key typed when asked
};

class ConsoleLink : public ProgressLink {
public:
  ConsoleLink(bool decrypting, RunChoices choices);

  std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
  void post(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
  std::uint32_t stopState() override;
  void setStopState(std::uint32_t state) override;

  // Lines for files that ended without a result and without an entry in
  // the run's error list (skipped), then the error list's own lines.
  int failures() const { return failures_; }
  // Whether Ctrl-C ended the run.
  static bool interrupted();
  // Routes Ctrl-C to the stop state of the running file.
  static void catchInterrupt();

  // Ends the progress line before something else is printed.
  void clearLine();

private:
  std::intptr_t targetExists(char* path);
  std::intptr_t askKey(void* request);
  std::intptr_t askRepeated(char* path, bool writeFailed);
  bool askYesNo(const char* question);
  void note(const std::string& text, const std::string& path);
  // Why the file that just failed failed, where the engine knows more than
  // its result code says.
  void printFileNote();
  void draw(unsigned percent);

  bool decrypting_;
  RunChoices choices_;
  bool terminal_;
  bool drawn_ = false;
  bool givenKeyTried_ = false;
  bool saving_ = false; // the current file got as far as writing
  std::string pendingNote_, pendingPath_;
  int failures_ = 0;
  const char* phase_ = "";
  std::string file_;
  std::mutex stopMutex_;
  std::uint32_t stop_ = engine::STOP_NONE;
};

} // namespace ravelock::cli
