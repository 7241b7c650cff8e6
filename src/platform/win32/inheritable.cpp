#include "platform/inheritable.h"
#include "platform/fault_injection.h"

#include <windows.h>

#include <utility>

namespace ravelock::platform {

namespace {

std::uint32_t valueOf(void* handle) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

HANDLE fromValue(std::uint32_t value) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value));
}

SECURITY_ATTRIBUTES inheritable() {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.bInheritHandle = TRUE;
  return attributes;
}

} // namespace

InheritableSection::InheritableSection(InheritableSection&& other) noexcept
    : view_(std::exchange(other.view_, nullptr)), size_(std::exchange(other.size_, 0)),
      handle_(std::exchange(other.handle_, nullptr)) {}

InheritableSection& InheritableSection::operator=(InheritableSection&& other) noexcept {
  if (this != &other) {
    close();
    view_ = std::exchange(other.view_, nullptr);
    size_ = std::exchange(other.size_, 0);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

InheritableSection::~InheritableSection() {
  close();
}

InheritableSection InheritableSection::create(std::size_t size) {
  InheritableSection section;
  if (injectedFault(Op::MapMemory) != Fault::None)
    return section;
  SECURITY_ATTRIBUTES attributes = inheritable();
  const auto wide = static_cast<std::uint64_t>(size);
  HANDLE handle = CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE,
                                     static_cast<DWORD>(wide >> 32),
                                     static_cast<DWORD>(wide), nullptr);
  if (!handle)
    return section;
  void* view = MapViewOfFile(handle, FILE_MAP_WRITE, 0, 0, 0);
  if (!view) {
    CloseHandle(handle);
    return section;
  }
  section.handle_ = handle;
  section.view_ = static_cast<unsigned char*>(view);
  section.size_ = size;
  return section;
}

InheritableSection InheritableSection::viewInherited(std::uint32_t handleValue) {
  InheritableSection section;
  if (injectedFault(Op::MapMemory) != Fault::None)
    return section;
  void* view = MapViewOfFile(fromValue(handleValue), FILE_MAP_READ, 0, 0, 0);
  if (!view)
    return section;
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(view, &region, sizeof region) != sizeof region) {
    UnmapViewOfFile(view);
    return section;
  }
  section.view_ = static_cast<unsigned char*>(view);
  section.size_ = region.RegionSize;
  return section;
}

std::uint32_t InheritableSection::handleValue() const {
  return valueOf(handle_);
}

void InheritableSection::close() {
  if (view_)
    UnmapViewOfFile(view_);
  if (handle_)
    CloseHandle(handle_);
  view_ = nullptr;
  handle_ = nullptr;
  size_ = 0;
}

InheritableEvent::InheritableEvent(InheritableEvent&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

InheritableEvent& InheritableEvent::operator=(InheritableEvent&& other) noexcept {
  if (this != &other) {
    if (handle_)
      CloseHandle(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

InheritableEvent::~InheritableEvent() {
  if (handle_)
    CloseHandle(handle_);
}

InheritableEvent InheritableEvent::create() {
  InheritableEvent event;
  if (injectedFault(Op::OpenNamedObject) != Fault::None)
    return event;
  SECURITY_ATTRIBUTES attributes = inheritable();
  event.handle_ = CreateEventA(&attributes, FALSE, FALSE, nullptr);
  return event;
}

bool InheritableEvent::signalInherited(std::uint32_t handleValue) {
  return SetEvent(fromValue(handleValue)) != FALSE;
}

std::uint32_t InheritableEvent::handleValue() const {
  return valueOf(handle_);
}

WaitResult InheritableEvent::wait(std::uint32_t timeoutMs) {
  switch (WaitForSingleObject(handle_, timeoutMs)) {
  case WAIT_OBJECT_0: return WaitResult::Signalled;
  case WAIT_TIMEOUT: return WaitResult::TimedOut;
  default: return WaitResult::Failed;
  }
}

} // namespace ravelock::platform
