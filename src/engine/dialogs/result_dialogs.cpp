#include "engine/dialogs/result_dialogs.h"

#include "options/options.h"
#include "resource.h"
#include "ui/save_as.h"
#include "ui/text.h"

namespace ravelock::engine {

namespace {

constexpr COLORREF kSuccessTitle = RGB(0, 0, 220);
constexpr COLORREF kFailureTitle = RGB(220, 0, 0);
constexpr int kTitleHeight = 24;

// Writes `text` to a new (or truncated) file at `path`, its line ends as
// the edit box has them (CR LF, once), in UTF-8 so every path in it is
// kept.
bool writeReport(const std::wstring& path, const std::wstring& text) {
  ui::KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return false;
  std::string bytes(static_cast<std::size_t>(WideCharToMultiByte(
                        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                        0, nullptr, nullptr)),
                    '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
  DWORD written = 0;
  return bytes.empty() ||
         (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                    nullptr) &&
          written == bytes.size());
}

} // namespace

int showRunResult(HWND owner, const ui::Resources& resources, const ErrorList& errors,
                  Operation operation) {
  const bool encryption = operation == Operation::Encryption;
  if (errors.empty()) {
    if (options::getErrorsDialog(encryption)) {
      SuccessDialog dialog(resources);
      dialog.runModal(owner);
      if (dialog.dontShowAgain())
        options::setErrorsDialog(encryption, false);
    }
    return 1;
  }
  FailureDialog(resources, errors).runModal(owner);
  return 0;
}

ResultDialog::ResultDialog(const ui::Resources& resources, int templateId,
                           COLORREF titleColour)
    : Dialog(resources, templateId), titleColour_(titleColour) {}

void ResultDialog::makeBigTitle() {
  titleFont_.reset(CreateFontW(kTitleHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_ROMAN, L"MS Serif"));
  SendMessageW(item(IDC_RESULT_TITLE), WM_SETFONT,
               reinterpret_cast<WPARAM>(titleFont_.get()), TRUE);
}

COLORREF ResultDialog::textColour(int control) const {
  return control == IDC_RESULT_TITLE ? titleColour_ : Dialog::textColour(control);
}

SuccessDialog::SuccessDialog(const ui::Resources& resources)
    : ResultDialog(resources, IDD_SUCCESS, kSuccessTitle) {}

bool SuccessDialog::onInit() {
  setTitle(IDS_SUCCESS_CAPTION);
  setString(IDC_RESULT_TITLE, IDS_SUCCESS_TITLE);
  makeBigTitle();
  setString(IDC_RESULT_TEXT, IDS_SUCCESS_TEXT);
  setString(IDC_DONT_SHOW, IDS_DONT_SHOW_AGAIN);
  setChecked(IDC_DONT_SHOW, false);
  setString(IDOK, IDS_OK);
  help().add(IDOK, IDS_HELP_SUCCESS_OK);
  help().add(IDC_DONT_SHOW, IDS_HELP_DONT_SHOW);
  focus(IDOK);
  return false;
}

void SuccessDialog::onOk() {
  dontShowAgain_ = checked(IDC_DONT_SHOW);
  end(IDOK);
}

FailureDialog::FailureDialog(const ui::Resources& resources, const ErrorList& errors)
    : ResultDialog(resources, IDD_FAILURE, kFailureTitle), errors_(errors) {}

bool FailureDialog::onInit() {
  setTitle(IDS_FAILURE_CAPTION);
  setString(IDC_RESULT_TITLE, IDS_FAILURE_TITLE);
  makeBigTitle();
  setString(IDC_RESULT_TEXT, IDS_FAILURE_TEXT);
  setString(IDC_DETAILS, IDS_DETAILS);
  setString(IDOK, IDS_OK);
  focus(IDOK);
  return false;
}

bool FailureDialog::onCommand(int id, int code) {
  if (id != IDC_DETAILS)
    return Dialog::onCommand(id, code);
  // Built anew each time: an edit made in the report is not kept.
  ErrorsDialog(resources(), ui::widen(reportText(errors_))).runModal(hwnd());
  return true;
}

ErrorsDialog::ErrorsDialog(const ui::Resources& resources, std::wstring report)
    : Dialog(resources, IDD_ERRORS), report_(std::move(report)) {}

bool ErrorsDialog::onInit() {
  setTitle(IDS_ERRORS_TITLE);
  setText(IDC_ERRORS_REPORT, report_);
  setString(IDCANCEL, IDS_CLOSE);
  setString(IDC_ERRORS_SAVE, IDS_SAVE);
  help().add(IDCANCEL, IDS_HELP_ERRORS_CLOSE);
  help().add(IDC_ERRORS_SAVE, IDS_HELP_ERRORS_SAVE);
  help().add(IDC_ERRORS_REPORT, IDS_HELP_ERRORS_REPORT);
  // The report to read from its start, not selected for replacing.
  focus(IDC_ERRORS_REPORT);
  SendMessageW(item(IDC_ERRORS_REPORT), EM_SETSEL, 0, 0);
  return false;
}

bool ErrorsDialog::onCommand(int id, int code) {
  if (id != IDC_ERRORS_SAVE)
    return Dialog::onCommand(id, code);
  save();
  return true;
}

void ErrorsDialog::onCancel() {
  report_ = text(IDC_ERRORS_REPORT);
  end(IDCANCEL);
}

void ErrorsDialog::save() {
  report_ = text(IDC_ERRORS_REPORT);
  ui::SaveAsRequest request;
  request.filter = resources().string(IDS_TEXT_FILTER);
  request.defaultExtension = L"txt";
  request.initialPath = L".txt";
  request.confirmOverwrite = true;
  const std::optional<std::wstring> path = ui::saveAs(hwnd(), request);
  if (path && !writeReport(*path, report_))
    message(ui::fill(resources().string(IDS_CANNOT_WRITE_REPORT), *path),
            MB_ICONEXCLAMATION | MB_OK);
}

} // namespace ravelock::engine
