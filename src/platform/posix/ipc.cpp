#include "platform/ipc.h"

#include <errno.h>
#include <fcntl.h>
#include <semaphore.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace ravelock::platform {

namespace {

using Clock = std::chrono::steady_clock;

bool isScopeText(const char* text) {
  if (!*text)
    return false;
  for (const char* p = text; *p; ++p) {
    const char c = *p;
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                    (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!ok)
      return false;
  }
  return true;
}

// shm_open and sem_open share one flat name space for the whole machine.
std::string objectName(const char* name) {
  std::string scoped = "/";
  scoped += name;
  scoped += '.';
  scoped += std::to_string(::geteuid());
  const char* scope = std::getenv("RAVELOCK_IPC_SCOPE");
  if (scope && isScopeText(scope)) {
    scoped += '.';
    scoped += scope;
  }
  return scoped;
}

// The user's shared file of that name, created empty when missing. One that
// another user planted, or that others may open, is refused: the section
// carries keys.
int openSharedFile(const char* name) {
  const std::string scoped = objectName(name);
  const int fd = ::shm_open(scoped.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0)
    return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// flock has no time-out: poll the non-blocking form until the deadline.
WaitResult flockWithin(int fd, int operation, std::uint32_t timeoutMs) {
  if (timeoutMs == kWaitForever) {
    while (::flock(fd, operation) != 0)
      if (errno != EINTR)
        return WaitResult::Failed;
    return WaitResult::Signalled;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (::flock(fd, operation | LOCK_NB) == 0)
      return WaitResult::Signalled;
    if (errno != EWOULDBLOCK && errno != EINTR)
      return WaitResult::Failed;
    if (Clock::now() >= deadline)
      return WaitResult::TimedOut;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
}

timespec monotonicAfter(std::uint32_t timeoutMs) {
  timespec t;
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  t.tv_sec += timeoutMs / 1000;
  t.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
  if (t.tv_nsec >= 1000000000L) {
    t.tv_sec += 1;
    t.tv_nsec -= 1000000000L;
  }
  return t;
}

} // namespace

// --- NamedMutex: a lock on a shared file between processes; flock does not
// exclude threads that share the descriptor, so a process mutex does that.

struct NamedMutex::Impl {
  int fd = -1;
  std::timed_mutex threads;
  ~Impl() { ::close(fd); }
};

NamedMutex::NamedMutex() = default;
NamedMutex::NamedMutex(NamedMutex&& other) noexcept = default;
NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept = default;
NamedMutex::~NamedMutex() = default;

NamedMutex NamedMutex::openBackend(const char* name) {
  NamedMutex m;
  const int fd = openSharedFile(name);
  if (fd < 0)
    return m;
  m.impl_ = std::make_unique<Impl>();
  m.impl_->fd = fd;
  return m;
}

WaitResult NamedMutex::lock(std::uint32_t timeoutMs) {
  if (!impl_)
    return WaitResult::Failed;
  const auto start = Clock::now();
  if (timeoutMs == kWaitForever) {
    impl_->threads.lock();
  } else if (!impl_->threads.try_lock_until(start +
                                            std::chrono::milliseconds(timeoutMs))) {
    return WaitResult::TimedOut;
  }
  std::uint32_t left = timeoutMs;
  if (timeoutMs != kWaitForever) {
    const auto spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)
            .count();
    left = spent >= timeoutMs ? 0 : timeoutMs - static_cast<std::uint32_t>(spent);
  }
  const WaitResult result = flockWithin(impl_->fd, LOCK_EX, left);
  if (result != WaitResult::Signalled)
    impl_->threads.unlock();
  return result;
}

void NamedMutex::unlock() {
  if (!impl_)
    return;
  ::flock(impl_->fd, LOCK_UN);
  impl_->threads.unlock();
}

void NamedMutex::close() {
  impl_.reset();
}

// --- NamedEvent: a named semaphore kept at 0 or 1.

struct NamedEvent::Impl {
  sem_t* sem = nullptr;
  ~Impl() { ::sem_close(sem); }
};

NamedEvent::NamedEvent() = default;
NamedEvent::NamedEvent(NamedEvent&& other) noexcept = default;
NamedEvent& NamedEvent::operator=(NamedEvent&& other) noexcept = default;
NamedEvent::~NamedEvent() = default;

NamedEvent NamedEvent::openBackend(const char* name) {
  NamedEvent e;
  const std::string scoped = objectName(name);
  sem_t* sem = ::sem_open(scoped.c_str(), O_CREAT, 0600, 0);
  if (sem == SEM_FAILED)
    return e;
  e.impl_ = std::make_unique<Impl>();
  e.impl_->sem = sem;
  return e;
}

bool NamedEvent::signal() {
  if (!impl_)
    return false;
  // An event is either set or not: a second signal before a wait is lost,
  // as it is on Windows. One signaller at a time is the protocol's rule.
  int value = 0;
  if (::sem_getvalue(impl_->sem, &value) == 0 && value > 0)
    return true;
  return ::sem_post(impl_->sem) == 0;
}

void NamedEvent::reset() {
  if (!impl_)
    return;
  while (::sem_trywait(impl_->sem) == 0) {
  }
}

WaitResult NamedEvent::wait(std::uint32_t timeoutMs) {
  if (!impl_)
    return WaitResult::Failed;
  if (timeoutMs == kWaitForever) {
    while (::sem_wait(impl_->sem) != 0)
      if (errno != EINTR)
        return WaitResult::Failed;
    return WaitResult::Signalled;
  }
  const timespec deadline = monotonicAfter(timeoutMs);
  while (::sem_clockwait(impl_->sem, CLOCK_MONOTONIC, &deadline) != 0) {
    if (errno == ETIMEDOUT)
      return WaitResult::TimedOut;
    if (errno != EINTR)
      return WaitResult::Failed;
  }
  return WaitResult::Signalled;
}

void NamedEvent::close() {
  impl_.reset();
}

// --- SharedSection

SharedSection::SharedSection() = default;

SharedSection SharedSection::openBackend(const char* name, std::size_t size) {
  SharedSection s;
  if (size == 0)
    return s;
  const int fd = openSharedFile(name);
  if (fd < 0)
    return s;
  struct stat st;
  // A new object is empty; touching a page past its end would raise SIGBUS.
  if (::fstat(fd, &st) != 0 || (static_cast<std::size_t>(st.st_size) < size &&
                                ::ftruncate(fd, static_cast<off_t>(size)) != 0)) {
    ::close(fd);
    return s;
  }
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    ::close(fd);
    return s;
  }
  s.data_ = static_cast<unsigned char*>(view);
  s.size_ = size;
  s.handle_ = fd;
  return s;
}

void SharedSection::close() {
  if (data_)
    ::munmap(data_, size_);
  if (handle_ >= 0)
    ::close(static_cast<int>(handle_));
  data_ = nullptr;
  size_ = 0;
  handle_ = -1;
}

// --- RunningMark: the owner holds an exclusive lock on a shared file; a
// probe asks for a shared one without waiting. The kernel drops the lock of
// a process that ends, however it ends.

struct RunningMark::Impl {
  int fd = -1;
  ~Impl() {
    ::flock(fd, LOCK_UN);
    ::close(fd);
  }
};

RunningMark::RunningMark() = default;
RunningMark::RunningMark(RunningMark&& other) noexcept = default;
RunningMark& RunningMark::operator=(RunningMark&& other) noexcept = default;
RunningMark::~RunningMark() = default;

RunningMark RunningMark::takeBackend(const char* name, std::uint32_t timeoutMs) {
  RunningMark mark;
  const int fd = openSharedFile(name);
  if (fd < 0)
    return mark;
  if (flockWithin(fd, LOCK_EX, timeoutMs) != WaitResult::Signalled) {
    ::close(fd);
    return mark;
  }
  mark.impl_ = std::make_unique<Impl>();
  mark.impl_->fd = fd;
  return mark;
}

MarkState RunningMark::probeBackend(const char* name) {
  const int fd = openSharedFile(name);
  if (fd < 0)
    return MarkState::Unknown;
  MarkState state = MarkState::Unknown;
  if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
    ::flock(fd, LOCK_UN);
    state = MarkState::Free;
  } else if (errno == EWOULDBLOCK) {
    state = MarkState::Held;
  }
  ::close(fd);
  return state;
}

void RunningMark::release() {
  impl_.reset();
}

void removeNamedObject(const char* name) {
  // One name may stand for a semaphore or a shared file.
  const std::string scoped = objectName(name);
  ::shm_unlink(scoped.c_str());
  ::sem_unlink(scoped.c_str());
}

} // namespace ravelock::platform
