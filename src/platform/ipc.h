#pragma once
// Named objects shared by the processes of one logon session: mutexes,
// auto-reset events, a shared-memory section, and the mark a program holds
// while it runs.
//
// On Windows they are the kernel objects of exactly these names. Natively
// they are files of these names in a folder private to the user:
// "ravelock" in $XDG_RUNTIME_DIR, or else "ravelock-UID" in /dev/shm (/tmp
// where there is none), created mode 0700. A mutex or mark is a flock on its
// file, an event a process-shared semaphore mapped from its file, a section
// the mapped file itself. A folder or file that another user owns, that
// others may open, or that is a link is refused: the object is not opened.
// When RAVELOCK_IPC_SCOPE is set (letters, digits, '-', '_') its value is
// added to each name, which gives a test run objects of its own.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ravelock::platform {

inline constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;

enum class WaitResult : std::uint8_t {
  Signalled, // the event came, or the mutex is now ours
  Abandoned, // the mutex is ours; its last owner ended while holding it
  TimedOut,
  Failed
};

// A mutex of the session. Threads of one process exclude each other as
// processes do.
class NamedMutex {
public:
  NamedMutex();
  NamedMutex(NamedMutex&& other) noexcept;
  NamedMutex& operator=(NamedMutex&& other) noexcept;
  ~NamedMutex();

  // Creates the mutex, not owned, or opens the one that exists. An invalid
  // object when the system refuses.
  static NamedMutex open(const char* name);

  bool isValid() const { return impl_ != nullptr; }

  // Natively a process that ends while holding the mutex releases it
  // through the kernel, so Abandoned is a Windows answer only.
  WaitResult lock(std::uint32_t timeoutMs);
  void unlock();

  void close();

private:
  // The backend's part of the operation above, after the fault hook.
  static NamedMutex openBackend(const char* name);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// An auto-reset event of the session, not signalled when created: a wait
// that sees the signal consumes it; signals that no one consumes do not add up.
class NamedEvent {
public:
  NamedEvent();
  NamedEvent(NamedEvent&& other) noexcept;
  NamedEvent& operator=(NamedEvent&& other) noexcept;
  ~NamedEvent();

  static NamedEvent open(const char* name);

  bool isValid() const { return impl_ != nullptr; }

  bool signal();
  // Drops a signal that no one has consumed.
  void reset();
  WaitResult wait(std::uint32_t timeoutMs);

  void close();

private:
  // The backend's part of the operation above, after the fault hook.
  static NamedEvent openBackend(const char* name);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A shared-memory section of the session backed by the paging file, mapped
// whole for reading and writing. Other processes may write to it at any
// time: copy what is read out of it before checking it.
class SharedSection {
public:
  SharedSection();
  SharedSection(SharedSection&& other) noexcept;
  SharedSection& operator=(SharedSection&& other) noexcept;
  ~SharedSection();

  // Creates the section with `size` bytes (zeroed) or opens the one that
  // exists; it must be at least that large.
  static SharedSection open(const char* name, std::size_t size);

  bool isValid() const { return data_ != nullptr; }
  unsigned char* data() const { return data_; }
  std::size_t size() const { return size_; }

  // Unmaps the view and closes the section.
  void close();

private:
  // The backend's part of the operation above, after the fault hook.
  static SharedSection openBackend(const char* name, std::size_t size);
  unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
  std::intptr_t handle_ = -1; // section handle or descriptor
};

enum class MarkState : std::uint8_t { Held, Free, Unknown };

// A named mutex that a program owns for as long as it runs, so that others
// can tell that it runs and a second copy can tell that it is not alone.
class RunningMark {
public:
  RunningMark();
  RunningMark(RunningMark&& other) noexcept;
  RunningMark& operator=(RunningMark&& other) noexcept;
  ~RunningMark(); // releases the mark

  // Takes the mark. Others that only look at it hold it for a moment, so
  // this waits up to `timeoutMs`; an invalid object when another program
  // still holds it then, or when the system refuses.
  static RunningMark take(const char* name, std::uint32_t timeoutMs);

  // Whether a program holds the mark. On Windows this creates the mutex and
  // asks whether it existed before (and closes it at once), so a program
  // that has just started and not yet taken it counts as not running.
  static MarkState probe(const char* name);

  bool isValid() const { return impl_ != nullptr; }

  // On Windows a mutex belongs to a thread: release on the thread that took it.
  void release();

private:
  // The backend's part of the operation above, after the fault hook.
  static RunningMark takeBackend(const char* name, std::uint32_t timeoutMs);
  static MarkState probeBackend(const char* name);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Natively named objects stay until removed, as files do: the key server
// removes its objects when it ends, tests the ones they made. Those open
// keep using what they opened. On Windows an object goes with its last
// handle, so this does nothing there.
void removeNamedObject(const char* name);

// Natively, the last refusal of this process to use a named object, for
// the user ("/run/user/1000/ravelock is open to other users"); empty when
// nothing was refused, and always on Windows.
std::string namedObjectRefusal();

} // namespace ravelock::platform
