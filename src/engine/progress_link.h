#pragma once
// The dialog seam: the only way the worker and the file routines meet the
// user. The Windows progress dialog implements it over its window handle
// (SendMessage / PostMessage and a mutex-guarded stop state); the
// command-line tool and the tests implement the same protocol with handler
// objects. The message numbers below are the protocol.

#include <cstdint>

namespace ravelock::engine {

inline constexpr std::uint32_t kWmUser = 0x0400;

enum ProgressMessage : std::uint32_t {
  UM_WORK_DONE = kWmUser + 309,
  UM_TARGET_EXISTS = kWmUser + 310,
  UM_SET_PROGRESS = kWmUser + 311,
  UM_SHOW_SKIP = kWmUser + 312,
  UM_FILE_SIZE = kWmUser + 314,
  UM_QUERY_ABORT = kWmUser + 315,
  UM_RUN_RESULT = kWmUser + 316,
  UM_ASK_KEY = kWmUser + 317,
  UM_QUERY_REMEMBER = kWmUser + 318,
  UM_BAD_KEY = kWmUser + 319,
  UM_ASK_KEEP_BAD_CRC = kWmUser + 320,
  UM_ASK_REPEATED = kWmUser + 321,
  UM_LOADING = kWmUser + 322,
  UM_SAVING = kWmUser + 323,
  UM_SET_SOURCE = kWmUser + 324,
  UM_SET_TARGET = kWmUser + 325,
  UM_CLEANING_UP = kWmUser + 330,
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
