#pragma once
// The end of a run: the success dialog when nothing failed (unless the
// user switched it off), else the failure dialog, which leads to the
// report of every failure.

#include "engine/batch/error_list.h"
#include "ui/dialog.h"
#include "ui/handles.h"

#include <string>

namespace ravelock::engine {

// Shows the result of a run of `operation`. 1 when `errors` was empty,
// 0 otherwise.
int showRunResult(HWND owner, const ui::Resources& resources, const ErrorList& errors,
                  Operation operation);

// The success and failure dialogs share a layout: an icon, a big coloured
// title and a line of text.
class ResultDialog : public ui::Dialog {
protected:
  ResultDialog(const ui::Resources& resources, int templateId, COLORREF titleColour);
  // Sets the big title's font; the font goes with the dialog.
  void makeBigTitle();
  COLORREF textColour(int control) const override;

private:
  COLORREF titleColour_;
  ui::FontHandle titleFont_;
};

class SuccessDialog : public ResultDialog {
public:
  explicit SuccessDialog(const ui::Resources& resources);
  // Closed with OK while "Do not display this window next time." was
  // checked.
  bool dontShowAgain() const { return dontShowAgain_; }

private:
  bool onInit() override;
  void onOk() override;

  bool dontShowAgain_ = false;
};

class FailureDialog : public ResultDialog {
public:
  FailureDialog(const ui::Resources& resources, const ErrorList& errors);

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;

  const ErrorList& errors_;
};

class ErrorsDialog : public ui::Dialog {
public:
  ErrorsDialog(const ui::Resources& resources, std::wstring report);
  // The report as the user left it (it can be edited).
  const std::wstring& report() const { return report_; }

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void onOk() override {} // Enter does nothing
  void onCancel() override;
  void save();

  std::wstring report_;
};

} // namespace ravelock::engine
