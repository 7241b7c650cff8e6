#pragma once
// The progress dialog of the command-line tool: a progress line on a
// terminal and questions asked there. Without a terminal nothing is asked;
// an existing target is skipped (never overwritten) unless an answer was
// given on the command line.

#include "engine/progress_link.h"

#include <mutex>
#include <string>

namespace ravelock::cli {

enum class ExistingTarget { Ask, Overwrite, Skip };

class ConsoleLink : public ProgressLink {
public:
  explicit ConsoleLink(ExistingTarget existing);

  std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
  void post(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
  std::uint32_t stopState() override;
  void setStopState(std::uint32_t state) override;

  // Starts a file: clears the per-file notes and the progress line.
  void beginFile(const std::string& path);
  // Ends the progress line before the file's result is printed.
  void endFile();
  // Whether the last file was skipped because its target exists.
  bool skippedExisting() const { return skippedExisting_; }

private:
  std::intptr_t targetExists(char* path);
  void draw(unsigned percent);

  ExistingTarget existing_;
  bool terminal_;
  bool drawn_ = false;
  bool skippedExisting_ = false;
  const char* phase_ = "";
  std::string file_;
  std::mutex stopMutex_;
  std::uint32_t stop_ = engine::STOP_NONE;
};

} // namespace ravelock::cli
