#include "platform/ipc.h"
#include "platform/win32/section.h"

#include <windows.h>

namespace ravelock::platform {

namespace {

DWORD waitTime(std::uint32_t timeoutMs) {
  return timeoutMs == kWaitForever ? INFINITE : timeoutMs;
}

WaitResult waitFor(HANDLE handle, std::uint32_t timeoutMs) {
  switch (WaitForSingleObject(handle, waitTime(timeoutMs))) {
  case WAIT_OBJECT_0: return WaitResult::Signalled;
  case WAIT_ABANDONED: return WaitResult::Abandoned;
  case WAIT_TIMEOUT: return WaitResult::TimedOut;
  default: return WaitResult::Failed;
  }
}

// Owns one kernel handle.
struct Handle {
  HANDLE h = nullptr;
  explicit Handle(HANDLE handle) : h(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (h)
      CloseHandle(h);
  }
};

} // namespace

// --- NamedMutex

struct NamedMutex::Impl : Handle {
  using Handle::Handle;
};

NamedMutex::NamedMutex() = default;
NamedMutex::NamedMutex(NamedMutex&& other) noexcept = default;
NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept = default;
NamedMutex::~NamedMutex() = default;

NamedMutex NamedMutex::openBackend(const char* name) {
  NamedMutex m;
  HANDLE h = CreateMutexA(nullptr, FALSE, name);
  if (h)
    m.impl_ = std::make_unique<Impl>(h);
  return m;
}

WaitResult NamedMutex::lock(std::uint32_t timeoutMs) {
  return impl_ ? waitFor(impl_->h, timeoutMs) : WaitResult::Failed;
}

void NamedMutex::unlock() {
  if (impl_)
    ReleaseMutex(impl_->h);
}

void NamedMutex::close() {
  impl_.reset();
}

// --- NamedEvent

struct NamedEvent::Impl : Handle {
  using Handle::Handle;
};

NamedEvent::NamedEvent() = default;
NamedEvent::NamedEvent(NamedEvent&& other) noexcept = default;
NamedEvent& NamedEvent::operator=(NamedEvent&& other) noexcept = default;
NamedEvent::~NamedEvent() = default;

NamedEvent NamedEvent::openBackend(const char* name) {
  NamedEvent e;
  HANDLE h = CreateEventA(nullptr, FALSE, FALSE, name);
  if (h)
    e.impl_ = std::make_unique<Impl>(h);
  return e;
}

bool NamedEvent::signal() {
  return impl_ && SetEvent(impl_->h);
}

void NamedEvent::reset() {
  if (impl_)
    ResetEvent(impl_->h);
}

WaitResult NamedEvent::wait(std::uint32_t timeoutMs) {
  return impl_ ? waitFor(impl_->h, timeoutMs) : WaitResult::Failed;
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
  win32::SectionView mapped;
  if (!win32::mapSection(INVALID_HANDLE_VALUE, size, true, name, mapped))
    return s;
  s.data_ = static_cast<unsigned char*>(mapped.view);
  s.size_ = size;
  s.handle_ = reinterpret_cast<std::intptr_t>(mapped.section);
  return s;
}

void SharedSection::close() {
  if (data_)
    UnmapViewOfFile(data_);
  if (handle_ != -1)
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
  data_ = nullptr;
  size_ = 0;
  handle_ = -1;
}

// --- RunningMark: the owner holds the mutex; its existence tells others.

struct RunningMark::Impl : Handle {
  using Handle::Handle;
  ~Impl() { ReleaseMutex(h); }
};

RunningMark::RunningMark() = default;
RunningMark::RunningMark(RunningMark&& other) noexcept = default;
RunningMark& RunningMark::operator=(RunningMark&& other) noexcept = default;
RunningMark::~RunningMark() = default;

RunningMark RunningMark::takeBackend(const char* name, std::uint32_t timeoutMs) {
  RunningMark mark;
  HANDLE h = CreateMutexA(nullptr, FALSE, name);
  if (!h)
    return mark;
  const WaitResult got = waitFor(h, timeoutMs);
  if (got != WaitResult::Signalled && got != WaitResult::Abandoned) {
    CloseHandle(h);
    return mark;
  }
  mark.impl_ = std::make_unique<Impl>(h);
  return mark;
}

MarkState RunningMark::probeBackend(const char* name) {
  SetLastError(ERROR_SUCCESS);
  HANDLE h = CreateMutexA(nullptr, FALSE, name);
  if (!h)
    return MarkState::Unknown;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  CloseHandle(h);
  return existed ? MarkState::Held : MarkState::Free;
}

void RunningMark::release() {
  impl_.reset();
}

void removeNamedObject(const char*) {}

std::string namedObjectRefusal() {
  return {};
}

} // namespace ravelock::platform
