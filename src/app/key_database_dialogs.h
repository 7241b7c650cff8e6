#pragma once
// Windows only: the key manager's dialogs. Template 145 asks for a new
// key or a database's master key, 148 for the master key of a database
// being loaded, 146 shows a database being enciphered or deciphered on a
// worker thread, and 149 asks what to do with a loaded key whose name is
// taken.

#include "engine/progress_link.h"
#include "keyserver/key_record.h"
#include "platform/secure_wipe.h"
#include "ui/dialog.h"
#include "ui/handles.h"
#include "ui/key_entry.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ravelock::app {

// Template 145: a key typed twice and its name.
class KeyEntryDialog : public ui::Dialog {
public:
  enum class Mode {
    NewKey,           // title 310, name "My key <date and time>"
    DatabasePassword, // title 309, name 272 with the date and time
  };
  KeyEntryDialog(const ui::Resources& resources, Mode mode);

  // Opens the dialog again after the name was taken: the typed key and name
  // stay, and the name is selected for the user to change.
  INT_PTR runAgain(HWND owner);
  // The key and its name once OK was pressed.
  const KeyRecord& record() const { return *record_; }

private:
  bool onInit() override;
  void onOk() override;
  bool onCommand(int id, int code) override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // OK's checks in their order; false when one failed (it said so).
  bool takeEntry();

  Mode mode_;
  bool retry_ = false;
  std::wstring name_;
  platform::Wiped<KeyRecord> record_;
  ui::MaskingButton mask_;
};

// Template 148: the master key of a database, its name shown from the
// file's header.
class LoadDatabaseDialog : public ui::Dialog {
public:
  LoadDatabaseDialog(const ui::Resources& resources, std::wstring databaseName,
                     bool atLogon);
  // The master key (key bytes; the name is the header's) after OK.
  const KeyRecord& master() const { return *master_; }

private:
  bool onInit() override;
  void onOk() override;
  bool onCommand(int id, int code) override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  std::wstring databaseName_;
  bool atLogon_;
  platform::Wiped<KeyRecord> master_;
  ui::MaskingButton mask_;
};

// Template 146. Its worker runs `work` with the dialog as the progress
// link and reports the result; the dialog closes with IDOK for result 0,
// else says so (string 301 or 307) and closes with IDCANCEL. Cancel only
// asks the work to stop.
class DatabaseProgressDialog : public ui::Dialog, public ::ProgressLink {
public:
  using Work = std::function<std::int32_t(::ProgressLink&)>;
  DatabaseProgressDialog(const ui::Resources& resources, bool saving, std::uint32_t count,
                         std::string path, Work work);
  ~DatabaseProgressDialog() override;

  std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
  void post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  std::uint32_t stopState() override;
  void setStopState(std::uint32_t state) override;

private:
  bool onInit() override;
  void onOk() override {} // Enter does nothing
  void onCancel() override { setStopState(engine::STOP_FILE); }
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  static unsigned __stdcall threadMain(void* self);
  void workDone(std::int32_t result);

  bool saving_;
  std::uint32_t count_;
  std::string path_;
  Work work_;
  ui::KernelHandle worker_;
  SRWLOCK stopLock_ = SRWLOCK_INIT;
  std::uint32_t stop_ = engine::STOP_NONE;
};

// Template 149: Overwrite, Skip or Cancel (after the 366 question) for a
// key whose name the key server already holds.
class KeyConflictDialog : public ui::Dialog {
public:
  KeyConflictDialog(const ui::Resources& resources, std::wstring name);
  // The UM_KEY_CONFLICT answer: 0 cancel, 1 skip, 2 overwrite, each choice
  // plus 128 when the answer is for all other keys.
  std::intptr_t ask(HWND owner);

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void onOk() override {}
  void onCancel() override;
  // Ends with Overwrite or Skip, and the box's "for all".
  void choose(std::intptr_t choice);

  std::wstring name_;
  std::intptr_t answer_ = 0;
};

// Pattern texts of the string tables filled with numbers ("%u", "%d",
// "%.2u"); the pattern is the program's own resource.
std::wstring formatNumbers(const std::wstring& pattern,
                           std::initializer_list<unsigned> values);

// "%s\n\n%s" and its kind: each "%s" in turn, the arguments never read as
// patterns.
std::wstring fillEach(std::wstring_view pattern,
                      std::initializer_list<std::wstring_view> arguments);

} // namespace ravelock::app
