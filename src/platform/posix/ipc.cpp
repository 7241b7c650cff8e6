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
#include <cstring>
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

std::mutex refusalMutex;
std::string lastRefusal;

void refuse(const std::string& path, const std::string& why) {
  std::lock_guard lock(refusalMutex);
  lastRefusal = path + " " + why;
}

// Why `st` is not a safe place for keys: owned by another user, open to
// others, or not of the kind wanted. Null when it is safe.
const char* unsafeBecause(const struct stat& st, bool folder) {
  if (folder ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode))
    return folder ? "is not a folder" : "is not a regular file";
  if (st.st_uid != ::geteuid())
    return "belongs to another user";
  if ((st.st_mode & 077) != 0)
    return "is open to other users";
  return nullptr;
}

// The user's private folder of named objects: "ravelock" in the runtime
// folder the session gives, or else "ravelock-UID" in memory-backed
// /dev/shm (or /tmp where there is none). The section carries keys, so only
// this user may reach anything in it.
std::string folderPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/')
    return std::string(runtime) + "/ravelock";
  struct stat st;
  const char* base =
      ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
  return std::string(base) + "/ravelock-" + std::to_string(::geteuid());
}

// The folder, created when missing; empty when it is not safe.
std::string privateFolder() {
  const std::string folder = folderPath();
  if (::mkdir(folder.c_str(), 0700) == 0)
    ::chmod(folder.c_str(), 0700); // whatever the umask took away
  struct stat st;
  if (::lstat(folder.c_str(), &st) != 0) {
    refuse(folder, "cannot be created");
    return {};
  }
  if (const char* why = unsafeBecause(st, true)) {
    refuse(folder, why);
    return {};
  }
  return folder;
}

// An object's file: its name, and RAVELOCK_IPC_SCOPE when set.
std::string objectFile(const std::string& folder, const char* name) {
  std::string path = folder + "/" + name;
  const char* scope = std::getenv("RAVELOCK_IPC_SCOPE");
  if (scope && isScopeText(scope)) {
    path += '.';
    path += scope;
  }
  return path;
}

// The user's file of that name in the private folder, created empty when
// missing and `create`. One that is not ours alone is refused (errno EACCES);
// a missing one that is not to be created gives ENOENT.
int openSharedFile(const char* name, bool create) {
  const std::string folder = privateFolder();
  if (folder.empty()) {
    errno = EACCES;
    return -1;
  }
  const std::string path = objectFile(folder, name);
  const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (create ? O_CREAT : 0);
  const int fd = ::open(path.c_str(), flags, 0600);
  if (fd < 0) {
    const int error = errno;
    if (error == ELOOP)
      refuse(path, "is a symbolic link");
    else if (error == EISDIR)
      refuse(path, "is not a regular file");
    else if (error != ENOENT)
      refuse(path, std::string("cannot be opened (") + std::strerror(error) + ")");
    errno = error;
    return -1;
  }
  struct stat st;
  const char* why =
      ::fstat(fd, &st) != 0 ? "cannot be examined" : unsafeBecause(st, false);
  if (why) {
    refuse(path, why);
    ::close(fd);
    errno = EACCES;
    return -1;
  }
  return fd;
}

// Whether `fd` is still the file that `name` stands for: a server that ends
// removes its mark while others may already wait for it.
bool stillNamed(int fd, const char* name) {
  struct stat opened, named;
  const std::string path = objectFile(folderPath(), name);
  return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
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
  const int fd = openSharedFile(name, true);
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

// --- NamedEvent: a process-shared semaphore kept at 0 or 1, in a file of
// the private folder mapped by every user of the event.

struct NamedEvent::Impl {
  sem_t* sem = nullptr;
  ~Impl() { ::munmap(sem, sizeof(sem_t)); }
};

NamedEvent::NamedEvent() = default;
NamedEvent::NamedEvent(NamedEvent&& other) noexcept = default;
NamedEvent& NamedEvent::operator=(NamedEvent&& other) noexcept = default;
NamedEvent::~NamedEvent() = default;

NamedEvent NamedEvent::openBackend(const char* name) {
  NamedEvent e;
  const int fd = openSharedFile(name, true);
  if (fd < 0)
    return e;
  // The first opener sizes the file and sets the semaphore up; the lock
  // keeps the others from using it half made.
  void* view = MAP_FAILED;
  if (flockWithin(fd, LOCK_EX, kWaitForever) == WaitResult::Signalled) {
    struct stat st;
    const bool fresh = ::fstat(fd, &st) == 0 && st.st_size == 0;
    if (fresh ? ::ftruncate(fd, sizeof(sem_t)) == 0
              : st.st_size == static_cast<off_t>(sizeof(sem_t)))
      view = ::mmap(nullptr, sizeof(sem_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view != MAP_FAILED && fresh &&
        ::sem_init(static_cast<sem_t*>(view), /*pshared=*/1, 0) != 0) {
      ::munmap(view, sizeof(sem_t));
      view = MAP_FAILED;
    }
    ::flock(fd, LOCK_UN);
  }
  ::close(fd);
  if (view == MAP_FAILED)
    return e;
  e.impl_ = std::make_unique<Impl>();
  e.impl_->sem = static_cast<sem_t*>(view);
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
  const int fd = openSharedFile(name, true);
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
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const int fd = openSharedFile(name, true);
    if (fd < 0)
      return mark;
    std::uint32_t left = timeoutMs;
    if (timeoutMs != kWaitForever) {
      const auto now = Clock::now();
      left =
          now >= deadline
              ? 0
              : static_cast<std::uint32_t>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now)
                        .count());
    }
    if (flockWithin(fd, LOCK_EX, left) != WaitResult::Signalled) {
      ::close(fd);
      return mark;
    }
    // The owner before us removed the file on its way out: the mark is the
    // file the name stands for now.
    if (stillNamed(fd, name)) {
      mark.impl_ = std::make_unique<Impl>();
      mark.impl_->fd = fd;
      return mark;
    }
    ::close(fd);
  }
}

MarkState RunningMark::probeBackend(const char* name) {
  // Looking must not create the mark: a server that ended removed it.
  const int fd = openSharedFile(name, false);
  if (fd < 0)
    return errno == ENOENT ? MarkState::Free : MarkState::Unknown;
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
  ::unlink(objectFile(folderPath(), name).c_str());
}

std::string namedObjectRefusal() {
  std::lock_guard lock(refusalMutex);
  return lastRefusal;
}

} // namespace ravelock::platform
