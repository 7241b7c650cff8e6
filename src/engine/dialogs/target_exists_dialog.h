#pragma once
// Asked when a run's target file already exists: overwrite it, write to
// another name, skip this file, or cancel the run; with "Use this answer
// next time" the answer holds for the rest of the run.

#include "engine/batch/error_list.h"
#include "ui/dialog.h"

namespace ravelock::engine {

enum class ExistsOutcome { NewName, Overwrite, OverwriteAll, Skip, SkipAll, Cancel };

class TargetExistsDialog : public ui::Dialog {
public:
  // `path`: the engine's 260-byte buffer with the existing target; a new
  // name chosen with Rename... is written back into it. Without
  // `showSkip` (the last file of a run) there is no Skip and no standing
  // answer.
  TargetExistsDialog(const ui::Resources& resources, Operation role, char* path,
                     bool showSkip);

  ExistsOutcome ask(HWND owner);

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void onOk() override {} // Enter does nothing
  void onCancel() override;
  void rename();

  Operation role_;
  char* path_;
  bool showSkip_;
  ExistsOutcome outcome_ = ExistsOutcome::Skip;
};

} // namespace ravelock::engine
