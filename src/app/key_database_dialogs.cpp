#include "app/key_database_dialogs.h"

#include "keyserver/client.h"
#include "resource.h"
#include "ui/text.h"

#include <commctrl.h>
#include <process.h>

#include <array>
#include <cstdio>
#include <cwchar>

namespace ravelock::app {

namespace {

constexpr unsigned kMaxKeyChars = 56;
constexpr unsigned kMaxNameChars = 32;
// The worker's last step and the dialog's first after it, as the design
// paces them so the full bar shows.
constexpr DWORD kFullBarPauseMs = 50;
// How long the dialog waits for its worker once it reported.
constexpr DWORD kWorkerEndMs = 2000;
constexpr wchar_t kNewKeyName[] = L"My key %u/%.2u/%.2u-%.2u:%.2u:%.2u";

std::wstring nowAs(const std::wstring& pattern) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return formatNumbers(
      pattern, {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

// The name field takes at most 32 bytes; a default longer than that is cut
// on a character boundary.
std::wstring cutToNameField(const std::wstring& name) {
  KeyRecord record{};
  if (!ui::setKeyName(name, record))
    return name.substr(0, kMaxNameChars);
  return ui::keyNameText(std::string_view(record.name));
}

} // namespace

std::wstring formatNumbers(const std::wstring& pattern,
                           std::initializer_list<unsigned> values) {
  std::array<unsigned, 6> v{};
  std::copy_n(values.begin(), std::min(values.size(), v.size()), v.begin());
  wchar_t text[512];
  const int length = _snwprintf(text, std::size(text) - 1, pattern.c_str(), v[0], v[1],
                                v[2], v[3], v[4], v[5]);
  text[std::size(text) - 1] = L'\0';
  return length < 0 ? std::wstring(text)
                    : std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring fillEach(std::wstring_view pattern,
                      std::initializer_list<std::wstring_view> arguments) {
  std::wstring text;
  for (const std::wstring_view argument : arguments) {
    const std::size_t at = pattern.find(L"%s");
    if (at == std::wstring_view::npos)
      break;
    text.append(pattern.substr(0, at)).append(argument);
    pattern.remove_prefix(at + 2);
  }
  return text.append(pattern);
}

// --- Template 145.

KeyEntryDialog::KeyEntryDialog(const ui::Resources& resources, Mode mode)
    : Dialog(resources, IDD_KEY_ENTRY), mode_(mode) {}

INT_PTR KeyEntryDialog::runAgain(HWND owner) {
  retry_ = true;
  return runModal(owner);
}

bool KeyEntryDialog::onInit() {
  const bool database = mode_ == Mode::DatabasePassword;
  setTitle(database ? IDS_PASSWORD_TITLE : IDS_NEW_KEY_TITLE);
  setString(IDC_ENTRY_KEY_LABEL, IDS_KEY_LABEL);
  setString(IDC_ENTRY_CONFIRM_LABEL, IDS_CONFIRM_LABEL);
  setString(IDC_ENTRY_NAME_LABEL, IDS_NAME_LABEL);
  setString(IDOK, IDS_BUTTON_OK);
  setString(IDCANCEL, IDS_BUTTON_CANCEL);
  limitText(IDC_ENTRY_KEY, kMaxKeyChars);
  limitText(IDC_ENTRY_CONFIRM, kMaxKeyChars);
  limitText(IDC_ENTRY_NAME, kMaxNameChars);
  mask_.attach(hwnd(), IDC_ENTRY_MASK, {IDC_ENTRY_KEY, IDC_ENTRY_CONFIRM},
               resources().module());
  if (!retry_) {
    name_ = cutToNameField(
        nowAs(database ? resources().string(IDS_DATABASE_DEFAULT_NAME) : kNewKeyName));
    setText(IDC_ENTRY_NAME, name_);
    return true;
  }
  const ui::SecretText key(ui::keyText(*record_));
  setText(IDC_ENTRY_KEY, key.get());
  setText(IDC_ENTRY_CONFIRM, key.get());
  setText(IDC_ENTRY_NAME, name_);
  focus(IDC_ENTRY_NAME);
  SendMessageW(item(IDC_ENTRY_NAME), EM_SETSEL, 0, -1);
  return false;
}

bool KeyEntryDialog::onCommand(int id, int code) {
  if (id == IDC_ENTRY_MASK && code == BN_CLICKED) {
    mask_.toggle();
    return true;
  }
  return Dialog::onCommand(id, code);
}

std::optional<LRESULT> KeyEntryDialog::onMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_DRAWITEM &&
      mask_.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
    return TRUE;
  return std::nullopt;
}

void KeyEntryDialog::onOk() {
  if (takeEntry())
    end(IDOK);
}

bool KeyEntryDialog::takeEntry() {
  const ui::SecretText key(text(IDC_ENTRY_KEY));
  const ui::SecretText confirmation(text(IDC_ENTRY_CONFIRM));
  name_ = text(IDC_ENTRY_NAME);
  if (key.get() != confirmation.get()) {
    message(IDS_CONFIRMATION_DIFFERS, MB_OK | MB_ICONSTOP);
    focus(IDC_ENTRY_KEY);
    return false;
  }
  if (key.get().empty()) {
    message(IDS_NO_EMPTY_KEYS, MB_OK | MB_ICONSTOP);
    focus(IDC_ENTRY_KEY);
    return false;
  }
  if (name_.empty()) {
    message(IDS_NO_NAME, MB_OK | MB_ICONSTOP);
    focus(IDC_ENTRY_NAME);
    return false;
  }
  platform::Wiped<KeyRecord> record;
  if (!ui::setKey(key.get(), *record)) {
    message(IDS_OUTSIDE_CODE_PAGE, MB_OK | MB_ICONSTOP);
    focus(IDC_ENTRY_KEY);
    return false;
  }
  if (!ui::setKeyName(name_, *record)) {
    message(IDS_OUTSIDE_CODE_PAGE, MB_OK | MB_ICONSTOP);
    focus(IDC_ENTRY_NAME);
    return false;
  }
  *record_ = *record;
  return true;
}

// --- Template 148.

LoadDatabaseDialog::LoadDatabaseDialog(const ui::Resources& resources,
                                       std::wstring databaseName, bool atLogon)
    : Dialog(resources, IDD_LOAD_DATABASE), databaseName_(std::move(databaseName)),
      atLogon_(atLogon) {}

bool LoadDatabaseDialog::onInit() {
  setTitle(IDS_LOAD_TITLE);
  setString(IDC_LOAD_HEADING, IDS_LOAD_HEADING);
  setString(IDC_LOAD_PROMPT, IDS_LOAD_PROMPT);
  setString(IDC_ENTRY_KEY_LABEL, IDS_LOAD_KEY);
  setString(IDC_ENTRY_NAME_LABEL, IDS_LOAD_KEY_NAME);
  setString(IDC_LOAD_LOGON_TEXT, IDS_LOGON_EXPLANATION);
  setString(IDC_LOAD_PURPOSE, IDS_LOAD_PURPOSE);
  setString(IDOK, IDS_BUTTON_OK);
  setString(IDCANCEL, IDS_BUTTON_CANCEL);
  show(IDC_LOAD_LOGON_TEXT, atLogon_);
  limitText(IDC_ENTRY_KEY, kMaxKeyChars);
  setText(IDC_ENTRY_NAME, databaseName_);
  mask_.attach(hwnd(), IDC_ENTRY_MASK, {IDC_ENTRY_KEY}, resources().module());
  // At logon nothing else of the program is on the screen to bring it up.
  if (atLogon_)
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  focus(IDC_ENTRY_KEY);
  return false;
}

bool LoadDatabaseDialog::onCommand(int id, int code) {
  if (id == IDC_ENTRY_MASK && code == BN_CLICKED) {
    mask_.toggle();
    return true;
  }
  return Dialog::onCommand(id, code);
}

std::optional<LRESULT> LoadDatabaseDialog::onMessage(UINT message, WPARAM,
                                                     LPARAM lParam) {
  if (message == WM_DRAWITEM &&
      mask_.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
    return TRUE;
  return std::nullopt;
}

void LoadDatabaseDialog::onOk() {
  const ui::SecretText key(text(IDC_ENTRY_KEY));
  if (key.get().empty()) {
    message(IDS_NO_EMPTY_KEYS, MB_OK | MB_ICONSTOP);
    focus(IDC_ENTRY_KEY);
    return;
  }
  if (!ui::setKey(key.get(), *master_)) {
    message(IDS_OUTSIDE_CODE_PAGE, MB_OK | MB_ICONSTOP);
    focus(IDC_ENTRY_KEY);
    return;
  }
  end(IDOK);
}

// --- Template 146.

DatabaseProgressDialog::DatabaseProgressDialog(const ui::Resources& resources,
                                               bool saving, std::uint32_t count,
                                               std::string path, Work work)
    : Dialog(resources, IDD_DATABASE_PROGRESS), saving_(saving), count_(count),
      path_(std::move(path)), work_(std::move(work)) {}

DatabaseProgressDialog::~DatabaseProgressDialog() {
  // A dialog that could not open never started its worker; one that did
  // closes only once the worker reported.
  if (worker_)
    WaitForSingleObject(worker_.get(), INFINITE);
}

bool DatabaseProgressDialog::onInit() {
  setTitle(saving_ ? IDS_SAVING_TITLE : IDS_LOADING_TITLE);
  setText(
      IDC_DATABASE_LABEL,
      formatNumbers(resources().string(saving_ ? IDS_SAVING_LABEL : IDS_LOADING_LABEL),
                    {count_}));
  setText(IDC_PROGRESS_PATH, ui::widen(path_));
  setString(IDCANCEL, IDS_BUTTON_CANCEL);
  SendDlgItemMessageW(hwnd(), IDC_DATABASE_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  const uintptr_t thread = _beginthreadex(nullptr, 0, threadMain, this, 0, nullptr);
  if (thread == 0)
    PostMessageW(hwnd(), engine::UM_WORK_DONE, static_cast<WPARAM>(-1), 0);
  else
    worker_.reset(reinterpret_cast<HANDLE>(thread));
  return true;
}

unsigned __stdcall DatabaseProgressDialog::threadMain(void* self) {
  auto& dialog = *static_cast<DatabaseProgressDialog*>(self);
  const std::int32_t result = dialog.work_(dialog);
  dialog.send(engine::UM_SET_PROGRESS, 100, 0);
  Sleep(kFullBarPauseMs);
  dialog.post(engine::UM_WORK_DONE, static_cast<std::uint32_t>(result), 0);
  return 0;
}

std::optional<LRESULT> DatabaseProgressDialog::onMessage(UINT message, WPARAM wParam,
                                                         LPARAM) {
  switch (message) {
  case engine::UM_SET_PROGRESS:
    SendDlgItemMessageW(hwnd(), IDC_DATABASE_BAR, PBM_SETPOS, wParam, 0);
    return engine::ANSWER_HANDLED;
  case engine::UM_WORK_DONE:
    workDone(static_cast<std::int32_t>(wParam));
    return engine::ANSWER_HANDLED;
  default: return std::nullopt;
  }
}

void DatabaseProgressDialog::workDone(std::int32_t result) {
  Sleep(kFullBarPauseMs);
  if (worker_) {
    WaitForSingleObject(worker_.get(), kWorkerEndMs);
    worker_.reset();
  }
  if (result == 0) {
    end(IDOK);
    return;
  }
  message(saving_ ? IDS_SAVE_FAILED : IDS_LOAD_FAILED, MB_OK | MB_ICONSTOP);
  end(IDCANCEL);
}

std::intptr_t DatabaseProgressDialog::send(std::uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam) {
  return SendMessageW(hwnd(), message, wParam, lParam);
}

void DatabaseProgressDialog::post(std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
  PostMessageW(hwnd(), message, wParam, lParam);
}

std::uint32_t DatabaseProgressDialog::stopState() {
  AcquireSRWLockShared(&stopLock_);
  const std::uint32_t state = stop_;
  ReleaseSRWLockShared(&stopLock_);
  return state;
}

void DatabaseProgressDialog::setStopState(std::uint32_t state) {
  AcquireSRWLockExclusive(&stopLock_);
  stop_ = state;
  ReleaseSRWLockExclusive(&stopLock_);
}

// --- Template 149.

KeyConflictDialog::KeyConflictDialog(const ui::Resources& resources, std::wstring name)
    : Dialog(resources, IDD_KEY_CONFLICT), name_(std::move(name)) {}

std::intptr_t KeyConflictDialog::ask(HWND owner) {
  answer_ = keyserver::CONFLICT_END_BATCH;
  runModal(owner);
  return answer_;
}

void KeyConflictDialog::choose(std::intptr_t choice) {
  answer_ = choice | (checked(IDC_CONFLICT_FOR_ALL) ? keyserver::CONFLICT_FOR_ALL : 0);
  end(IDOK);
}

bool KeyConflictDialog::onInit() {
  setTitle(IDS_CONFLICT_TITLE);
  setString(IDC_CONFLICT_TEXT, IDS_CONFLICT_TEXT);
  setText(IDC_CONFLICT_NAME, name_);
  setString(IDC_CONFLICT_QUESTION, IDS_CONFLICT_QUESTION);
  setString(IDC_CONFLICT_FOR_ALL, IDS_CONFLICT_FOR_ALL);
  setString(IDC_CONFLICT_OVERWRITE, IDS_CONFLICT_OVERWRITE);
  setString(IDC_CONFLICT_SKIP, IDS_CONFLICT_SKIP);
  setString(IDCANCEL, IDS_BUTTON_CANCEL);
  return true;
}

bool KeyConflictDialog::onCommand(int id, int code) {
  if (code == BN_CLICKED && id == IDC_CONFLICT_OVERWRITE) {
    choose(keyserver::CONFLICT_REPLACE_ALL);
    return true;
  }
  if (code == BN_CLICKED && id == IDC_CONFLICT_SKIP) {
    choose(keyserver::CONFLICT_SKIP);
    return true;
  }
  return Dialog::onCommand(id, code);
}

void KeyConflictDialog::onCancel() {
  if (message(IDS_ABORT_LOADING, MB_YESNO | MB_ICONQUESTION) == IDYES)
    end(IDCANCEL);
}

} // namespace ravelock::app
