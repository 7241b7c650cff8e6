#pragma once
// The progress dialog of a batch run. It starts the run's worker thread
// and is the worker's only way to the user: it is the run's ProgressLink,
// answering the worker's messages (sent to its window and handled on the
// user-interface thread) and holding the stop state that Skip and Cancel
// set. One class serves both runs; the encryption and decryption dialogs
// add their job and the decryption-only questions.

#include "engine/batch/jobs.h"
#include "engine/progress_link.h"
#include "ui/dialog.h"
#include "ui/handles.h"

#include <cstdint>
#include <optional>

namespace ravelock::engine {

struct KeyRequest;

class ProgressDialog : public ui::Dialog, public ProgressLink {
public:
  // Runs the dialog and with it the whole run; returns when both ended.
  void run(HWND owner);

  // ProgressLink, used from the worker thread.
  std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
  void post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  std::uint32_t stopState() override;
  void setStopState(std::uint32_t state) override;

protected:
  ProgressDialog(const ui::Resources& resources, Operation role);

  // The worker thread's body: the run's worker over the job.
  virtual void work() = 0;
  // Messages only one role handles.
  virtual std::optional<LRESULT> onRoleMessage(UINT, WPARAM, LPARAM) {
    return std::nullopt;
  }

  // A message box of this dialog, shown with the stop-state lock held so
  // that a worker polling the stop state waits for the answer.
  int ask(unsigned stringId, UINT flags);
  void showPath(int control, const char* path);
  void setBar(unsigned percent);
  // The user ended the run: the current file stops, no other starts.
  void abortRun();
  // Whether files follow the current one (the last UM_SHOW_SKIP).
  bool skippable() const { return showSkip_ > 0; }

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void onOk() override {} // Enter does nothing
  void onCancel() override;
  std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  static unsigned __stdcall threadMain(void* self);
  LRESULT targetExists(char* path);
  LRESULT queryAbort(WPARAM kind);
  void workDone();
  void setFinishing(bool finishing);

  // The stop state's lock: recursive, so a handler that holds it for a
  // question may set the state, and without a kernel call per poll (the
  // file routines poll every 512 bytes).
  class StopLock {
  public:
    StopLock() { InitializeCriticalSection(&section_); }
    ~StopLock() { DeleteCriticalSection(&section_); }
    StopLock(const StopLock&) = delete;
    StopLock& operator=(const StopLock&) = delete;
    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
  };

  Operation role_;
  StopLock stopLock_;
  ui::KernelHandle worker_;
  std::uint32_t stop_ = STOP_NONE;
  bool aborted_ = false;
  bool finishing_ = false;
  std::uintptr_t showSkip_ = 0;
  enum class Standing { None, OverwriteAll, SkipAll } standing_ = Standing::None;
};

class EncryptProgressDialog : public ProgressDialog {
public:
  // The job's progress link becomes this dialog.
  EncryptProgressDialog(const ui::Resources& resources, const EncryptJob& job);

private:
  void work() override { encryptWorker(job_); }

  EncryptJob job_;
};

// The run's choices the decrypt key dialog shows and may change; they are
// written back as the options' new defaults after the run.
struct DecryptionChoices {
  bool hasFolder = false;
  bool subfolders = true;
  bool remember = true;
  bool keep = true;
};

class DecryptProgressDialog : public ProgressDialog {
public:
  DecryptProgressDialog(const ui::Resources& resources, const DecryptJob& job,
                        const DecryptionChoices& choices);
  const DecryptionChoices& choices() const { return choices_; }

private:
  void work() override { decryptWorker(job_); }
  std::optional<LRESULT> onRoleMessage(UINT message, WPARAM wParam,
                                       LPARAM lParam) override;
  // UM_ASK_KEY: the decrypt key dialog; 1 when a key was entered.
  LRESULT askKey(KeyRequest& request);

  DecryptJob job_;
  DecryptionChoices choices_;
};

} // namespace ravelock::engine
