#include "engine/dialogs/progress_dialog.h"

#include "engine/dialogs/decrypt_key_dialog.h"
#include "engine/dialogs/repeated_encryption_dialog.h"
#include "engine/dialogs/result_dialogs.h"
#include "engine/dialogs/target_exists_dialog.h"
#include "engine/files/decrypt_file.h"
#include "resource.h"
#include "ui/text.h"

#include <commctrl.h>
#include <process.h>

#include <mutex>

namespace ravelock::engine {

namespace {

// After UM_WORK_DONE the worker only unwinds; it is given this long.
constexpr DWORD kWorkerEndMs = 2000;

struct RoleTexts {
  unsigned title, abortQuestion, finishing, cleaningUp, pleaseWait;
  unsigned helpCancel, helpProgress, helpSkip, helpSource, helpTarget;
};

constexpr RoleTexts kEncryptionTexts{
    IDS_ENCRYPTION_PROGRESS,    IDS_ABORT_ENCRYPTION,       IDS_ENCRYPTION_FINISHING,
    IDS_ENCRYPTION_CLEANING_UP, IDS_ENCRYPTION_PLEASE_WAIT, IDS_HELP_ENCRYPT_CANCEL,
    IDS_HELP_ENCRYPT_PROGRESS,  IDS_HELP_ENCRYPT_SKIP,      IDS_HELP_ENCRYPT_SOURCE,
    IDS_HELP_ENCRYPT_TARGET};
constexpr RoleTexts kDecryptionTexts{
    IDS_DECRYPTION_PROGRESS,    IDS_ABORT_DECRYPTION,       IDS_DECRYPTION_FINISHING,
    IDS_DECRYPTION_CLEANING_UP, IDS_DECRYPTION_PLEASE_WAIT, IDS_HELP_DECRYPT_CANCEL,
    IDS_HELP_DECRYPT_PROGRESS,  IDS_HELP_DECRYPT_SKIP,      IDS_HELP_DECRYPT_SOURCE,
    IDS_HELP_DECRYPT_TARGET};

const RoleTexts& textsOf(Operation role) {
  return role == Operation::Encryption ? kEncryptionTexts : kDecryptionTexts;
}

} // namespace

ProgressDialog::ProgressDialog(const ui::Resources& resources, Operation role)
    : Dialog(resources, IDD_PROGRESS), role_(role) {}

void ProgressDialog::run(HWND owner) {
  runModal(owner);
  // Only when the dialog went away without UM_WORK_DONE (the thread's
  // loop was told to quit): the worker must not outlive its job.
  if (worker_)
    WaitForSingleObject(worker_.get(), INFINITE);
  worker_.reset();
}

std::intptr_t ProgressDialog::send(std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
  return SendMessageW(hwnd(), message, wParam, lParam);
}

void ProgressDialog::post(std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  PostMessageW(hwnd(), message, wParam, lParam);
}

std::uint32_t ProgressDialog::stopState() {
  std::lock_guard lock(stopLock_);
  return stop_;
}

void ProgressDialog::setStopState(std::uint32_t state) {
  std::lock_guard lock(stopLock_);
  stop_ = state;
}

int ProgressDialog::ask(unsigned stringId, UINT flags) {
  std::lock_guard lock(stopLock_);
  return message(stringId, flags);
}

void ProgressDialog::showPath(int control, const char* path) {
  const std::wstring text = ui::widen(path ? path : "");
  setText(control, text);
  // The caret at the end shows the file name of a long path.
  SendMessageW(item(control), EM_SETSEL, text.size(), text.size());
  SendMessageW(item(control), EM_SCROLLCARET, 0, 0);
}

void ProgressDialog::abortRun() {
  setStopState(STOP_FILE);
  aborted_ = true;
}

void ProgressDialog::setBar(unsigned percent) {
  SendMessageW(item(IDC_PROGRESS_BAR), PBM_SETPOS, percent, 0);
}

bool ProgressDialog::onInit() {
  const RoleTexts& texts = textsOf(role_);
  setTitle(texts.title);
  setString(IDC_SOURCE_LABEL, IDS_SOURCE);
  setString(IDC_TARGET_LABEL, IDS_TARGET);
  setString(IDCANCEL, IDS_CANCEL);
  setString(IDC_SKIP, IDS_SKIP);
  SendMessageW(item(IDC_PROGRESS_BAR), PBM_SETRANGE32, 0, 100);
  help().add(IDCANCEL, texts.helpCancel);
  help().add(IDC_PROGRESS_BAR, texts.helpProgress);
  help().add(IDC_SKIP, texts.helpSkip);
  help().add(IDC_SOURCE, texts.helpSource);
  help().add(IDC_SOURCE_LABEL, texts.helpSource);
  help().add(IDC_TARGET, texts.helpTarget);
  help().add(IDC_TARGET_LABEL, texts.helpTarget);
  const uintptr_t thread = _beginthreadex(nullptr, 0, threadMain, this, 0, nullptr);
  worker_.reset(reinterpret_cast<HANDLE>(thread));
  if (!worker_)
    end(IDABORT); // no run without its worker
  focus(IDCANCEL);
  return false;
}

unsigned __stdcall ProgressDialog::threadMain(void* self) {
  // Nothing of the dialog is touched once the worker has returned: it ends
  // by posting UM_WORK_DONE, after which the dialog may be gone.
  auto* dialog = static_cast<ProgressDialog*>(self);
  try {
    dialog->work();
  } catch (...) {
    // A worker that failed (memory ran out) must still let the dialog close.
    dialog->post(UM_WORK_DONE, 0, 0);
  }
  return 0;
}

bool ProgressDialog::onCommand(int id, int code) {
  if (id != IDC_SKIP)
    return Dialog::onCommand(id, code);
  if (shown(IDC_SKIP) && ask(IDS_SKIP_FILE, MB_ICONQUESTION | MB_YESNO) == IDYES)
    setStopState(STOP_FILE);
  return true;
}

void ProgressDialog::onCancel() {
  const RoleTexts& texts = textsOf(role_);
  if (finishing_)
    ask(texts.finishing, MB_ICONINFORMATION | MB_OK);
  else if (ask(texts.abortQuestion, MB_ICONQUESTION | MB_YESNO) != IDYES)
    return;
  // The dialog stays until the worker has unwound (UM_WORK_DONE).
  setStopState(STOP_FILE);
  aborted_ = true;
}

void ProgressDialog::setFinishing(bool finishing) {
  // The title says "Cleaning up..." only while the file is finishing.
  if (finishing_ && !finishing)
    setTitle(textsOf(role_).title);
  finishing_ = finishing;
}

std::optional<LRESULT> ProgressDialog::onMessage(UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  switch (message) {
  case UM_WORK_DONE: workDone(); return ANSWER_HANDLED;
  case UM_TARGET_EXISTS: return targetExists(reinterpret_cast<char*>(wParam));
  case UM_SET_PROGRESS:
    setBar(static_cast<unsigned>(wParam));
    if (role_ == Operation::Encryption)
      setFinishing(false);
    return ANSWER_NONE;
  case UM_SHOW_SKIP:
    showSkip_ = wParam;
    show(IDC_SKIP, wParam > 0);
    return ANSWER_NONE;
  case UM_FILE_SIZE: setFinishing(false); return ANSWER_NONE;
  case UM_QUERY_ABORT: return queryAbort(wParam);
  case UM_RUN_RESULT: {
    const auto* errors = reinterpret_cast<const ErrorList*>(wParam);
    if (errors && (!errors->empty() || !aborted_))
      showRunResult(hwnd(), resources(), *errors, role_);
    return ANSWER_HANDLED;
  }
  case UM_LOADING:
    setString(IDC_SOURCE, IDS_LOADING);
    setBar(0);
    return ANSWER_NONE;
  case UM_SAVING: setString(IDC_TARGET, IDS_SAVING); return ANSWER_NONE;
  case UM_SET_SOURCE:
    showPath(IDC_SOURCE, reinterpret_cast<const char*>(wParam));
    return ANSWER_NONE;
  case UM_SET_TARGET:
    showPath(IDC_TARGET, reinterpret_cast<const char*>(wParam));
    return ANSWER_NONE;
  case UM_CLEANING_UP: {
    const RoleTexts& texts = textsOf(role_);
    finishing_ = true;
    setTitle(texts.cleaningUp);
    setString(IDC_SOURCE, texts.pleaseWait);
    setString(IDC_TARGET, texts.pleaseWait);
    return ANSWER_HANDLED;
  }
  default:
    if (message > WM_USER)
      return onRoleMessage(message, wParam, lParam);
    return std::nullopt;
  }
}

LRESULT ProgressDialog::targetExists(char* path) {
  if (standing_ == Standing::OverwriteAll)
    return TARGET_OVERWRITE;
  if (standing_ == Standing::SkipAll)
    return TARGET_SKIP;
  if (role_ == Operation::Decryption) {
    showPath(IDC_SOURCE, path);
    setBar(0);
  }
  switch (TargetExistsDialog(resources(), role_, path, showSkip_ > 0).ask(hwnd())) {
  case ExistsOutcome::NewName: return TARGET_NEW_NAME;
  case ExistsOutcome::Overwrite: return TARGET_OVERWRITE;
  case ExistsOutcome::OverwriteAll:
    standing_ = Standing::OverwriteAll;
    return TARGET_OVERWRITE;
  case ExistsOutcome::Skip: return TARGET_SKIP;
  case ExistsOutcome::SkipAll: standing_ = Standing::SkipAll; return TARGET_SKIP;
  case ExistsOutcome::Cancel:
    setStopState(STOP_FILE);
    aborted_ = true;
    return TARGET_SKIP;
  }
  return TARGET_SKIP;
}

LRESULT ProgressDialog::queryAbort(WPARAM kind) {
  if (kind == QUERY_INTERNAL_ERROR) {
    aborted_ = true;
    ask(IDS_INTERNAL_ERROR, MB_ICONERROR | MB_OK);
  }
  return aborted_ ? ANSWER_ABORT_RUN : ANSWER_GO_ON;
}

void ProgressDialog::workDone() {
  Sleep(10);
  if (worker_)
    WaitForSingleObject(worker_.get(), kWorkerEndMs);
  // A worker still unwinding after the wait is let go; it no longer
  // touches the dialog.
  worker_.reset();
  end(IDOK);
}

EncryptProgressDialog::EncryptProgressDialog(const ui::Resources& resources,
                                             const EncryptJob& job)
    : ProgressDialog(resources, Operation::Encryption), job_(job) {
  job_.progress = this;
}

DecryptProgressDialog::DecryptProgressDialog(const ui::Resources& resources,
                                             const DecryptJob& job,
                                             const DecryptionChoices& choices)
    : ProgressDialog(resources, Operation::Decryption), job_(job), choices_(choices) {
  job_.progress = this;
}

LRESULT DecryptProgressDialog::askKey(KeyRequest& request) {
  DecryptKeyDialog dialog(resources(), keyserver::KeyServerClient::process(), request,
                          skippable(), choices_);
  switch (dialog.ask(hwnd())) {
  case KeyAnswer::Key: choices_ = dialog.choices(); return ANSWER_YES;
  case KeyAnswer::Skip: setStopState(STOP_FILE); return ANSWER_NO;
  case KeyAnswer::Cancel: abortRun(); return ANSWER_NO;
  }
  return ANSWER_NO;
}

std::optional<LRESULT> DecryptProgressDialog::onRoleMessage(UINT message, WPARAM wParam,
                                                            LPARAM lParam) {
  switch (message) {
  case UM_ASK_KEY: {
    auto* request = reinterpret_cast<KeyRequest*>(wParam);
    showPath(IDC_SOURCE, request->source);
    showPath(IDC_TARGET, request->target);
    setBar(0);
    return askKey(*request);
  }
  case UM_QUERY_REMEMBER: return choices_.remember ? ANSWER_YES : ANSWER_NO;
  case UM_BAD_KEY: ask(IDS_INCORRECT_KEY, MB_ICONERROR | MB_OK); return ANSWER_NONE;
  case UM_ASK_KEEP_BAD_CRC:
    return ask(IDS_KEEP_BAD_CRC, MB_ICONQUESTION | MB_YESNO) == IDYES ? ANSWER_YES
                                                                      : ANSWER_NO;
  case UM_ASK_REPEATED:
    return RepeatedEncryptionDialog(resources(), reinterpret_cast<char*>(wParam),
                                    lParam != 0)
                   .ask(hwnd())
               ? ANSWER_YES
               : ANSWER_NO;
  default: return std::nullopt;
  }
}

} // namespace ravelock::engine
