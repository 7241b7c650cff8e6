#pragma once
// The dialog seam: the only way the worker and the file routines meet the
// user. The Windows progress dialog implements it over its window handle
// (SendMessage / PostMessage and a mutex-guarded stop state); the
// command-line tool and the tests implement the same protocol with handler
// objects. The message numbers below are the protocol.

#include <cstdint>

namespace ravelock::engine {

inline constexpr std::uint32_t kWmUser = 0x0400;

// Each message with what it carries and the answer it expects. A path
// buffer is 260 bytes (kMaxPath) and the dialog may write a new path of at
// most 259 bytes into it.
enum ProgressMessage : std::uint32_t {
  // Posted once the run's worker is done; 0, 0.
  UM_WORK_DONE = kWmUser + 309,
  // wParam: path buffer holding the target that exists. Answer: a
  // TargetExistsAnswer.
  UM_TARGET_EXISTS = kWmUser + 310,
  // wParam: the percentage done (0-100).
  UM_SET_PROGRESS = kWmUser + 311,
  // A file begins. wParam: how many items follow it (Skip is shown above 0).
  UM_SHOW_SKIP = kWmUser + 312,
  // wParam: the size of the file being read.
  UM_FILE_SIZE = kWmUser + 314,
  // After each file. wParam: an AbortQuery; lParam: the file's result code.
  // Answer: ANSWER_ABORT_RUN ends the run.
  UM_QUERY_ABORT = kWmUser + 315,
  // wParam: the run's ErrorList (engine/batch/error_list.h).
  UM_RUN_RESULT = kWmUser + 316,
  // wParam: a KeyRequest (engine/files/decrypt_file.h) the dialog fills in.
  // Answer: ANSWER_YES with a key, ANSWER_NO when the file is skipped or the
  // run cancelled.
  UM_ASK_KEY = kWmUser + 317,
  // Answer: ANSWER_YES stores the key that fitted in the key server.
  UM_QUERY_REMEMBER = kWmUser + 318,
  // The key given for UM_ASK_KEY does not fit; the question follows again.
  UM_BAD_KEY = kWmUser + 319,
  // The content CRC failed. Answer: ANSWER_YES keeps the result.
  UM_ASK_KEEP_BAD_CRC = kWmUser + 320,
  // The result is itself an encrypted file and its encrypted name is taken.
  // wParam: path buffer with the proposed name; lParam: 1 when copying to
  // the previous answer failed. Answer: ANSWER_YES copies the result to the
  // buffer's path, ANSWER_NO drops it.
  UM_ASK_REPEATED = kWmUser + 321,
  // Reading the source begins; then writing the result begins.
  UM_LOADING = kWmUser + 322,
  UM_SAVING = kWmUser + 323,
  // wParam: the path shown as source / target.
  UM_SET_SOURCE = kWmUser + 324,
  UM_SET_TARGET = kWmUser + 325,
  // The file failed or was stopped and its partial output is being removed.
  UM_CLEANING_UP = kWmUser + 330,
};

// Answers. Notifications need none (ANSWER_NONE); a dialog that acted on
// one may say so (ANSWER_HANDLED), which nobody reads.
enum ProgressAnswer : std::intptr_t {
  ANSWER_NONE = 0,
  ANSWER_HANDLED = 1,
  ANSWER_NO = 0,
  ANSWER_YES = 1,
};

// UM_TARGET_EXISTS.
enum TargetExistsAnswer : std::intptr_t {
  TARGET_OVERWRITE = 0,
  TARGET_SKIP = 1,
  TARGET_NEW_NAME = 2, // the new name is in the path buffer
};

// UM_QUERY_ABORT's wParam, and its answers.
enum AbortQuery : std::uintptr_t {
  QUERY_FILE_DONE = 0,       // succeeded or skipped
  QUERY_FILE_FAILED = 1,     // failed; lParam says how
  QUERY_INTERNAL_ERROR = 10, // no key or a bad buffer size: the run ends
};
enum AbortAnswer : std::intptr_t {
  ANSWER_GO_ON = 0,
  ANSWER_ABORT_RUN = 1,
};

// Stop state values: run on, or end the current file now.
inline constexpr std::uint32_t STOP_NONE = 0;
inline constexpr std::uint32_t STOP_FILE = 255;

} // namespace ravelock::engine

// Declared at global scope because the engine's C exports take a pointer to
// it; C callers only pass it through.
struct ProgressLink {
  // Synchronous: returns when the dialog has handled the message, with its answer.
  virtual std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
  // Asynchronous.
  virtual void post(std::uint32_t message, std::uintptr_t wParam,
                    std::intptr_t lParam) = 0;
  // Read and set under the link's mutex.
  virtual std::uint32_t stopState() = 0;
  virtual void setStopState(std::uint32_t state) = 0;

protected:
  ~ProgressLink() = default;
};

namespace ravelock::engine {

// A routine may run without a dialog (tests, tools): then nothing is shown,
// every question is answered 0 and nothing stops it.
inline std::intptr_t sendTo(ProgressLink* link, std::uint32_t message,
                            std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
  return link ? link->send(message, wParam, lParam) : 0;
}

inline std::intptr_t sendText(ProgressLink* link, std::uint32_t message,
                              const char* text) {
  return sendTo(link, message, reinterpret_cast<std::uintptr_t>(text));
}

inline bool stopRequested(ProgressLink* link) {
  return link && link->stopState() == STOP_FILE;
}

} // namespace ravelock::engine
