#pragma once
// The progress dialog of the command-line tool: a progress line on a
// terminal and questions asked there. Without a terminal nothing is asked;
// an existing target is skipped (never overwritten) unless an answer was
// given on the command line.

#include "engine/progress_link.h"

#include <mutex>
#include <string>

namespace ravelock::cli {

// What the dialog says when a typed key does not fit.
inline constexpr char kIncorrectKeyMessage[] =
    "Incorrect key.\nThe key you have entered is not valid for this file.\nPlease check "
    "if "
    "the Caps Lock is not on and try again.";

enum class ExistingTarget { Ask, Overwrite, Skip };

// The answers a decryption run takes from the command line.
struct DecryptionChoices {
  bool remember = false;    // store the key that fitted in the key server
  bool keepDamaged = false; // keep a result whose CRC does not match
};

// Why the last file ended without a result, beyond its result code.
enum class FileNote { None, TargetExists, NoKey, WrongKey, RepeatedName };

class ConsoleLink : public ProgressLink {
public:
  explicit ConsoleLink(ExistingTarget existing);
  ConsoleLink(ExistingTarget existing, DecryptionChoices choices);

  std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
  void post(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
  std::uint32_t stopState() override;
  void setStopState(std::uint32_t state) override;

  // Starts a file: clears the per-file notes and the progress line.
  // `keyOffered`: a key is tried before the user would be asked.
  void beginFile(const std::string& path, bool keyOffered = false);
  // Ends the progress line before the file's result is printed.
  void endFile();
  FileNote note() const { return note_; }

private:
  std::intptr_t targetExists(char* path);
  std::intptr_t askKey(void* request);
  std::intptr_t askRepeated(char* path, bool writeFailed);
  bool askYesNo(const char* question);
  void draw(unsigned percent);

  ExistingTarget existing_;
  bool decrypting_ = false;
  DecryptionChoices choices_;
  bool terminal_;
  bool drawn_ = false;
  bool keyTried_ = false;
  FileNote note_ = FileNote::None;
  const char* phase_ = "";
  std::string file_;
  std::mutex stopMutex_;
  std::uint32_t stop_ = engine::STOP_NONE;
};

} // namespace ravelock::cli
