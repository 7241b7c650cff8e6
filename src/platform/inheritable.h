#pragma once
// Windows only: objects a program hands to a child process by handle
// inheritance (the file-list hand-off). The child learns the handle values
// from its command line or from the section itself.

#include "platform/ipc.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ravelock::platform {

// An unnamed section backed by the paging file, with its view.
class InheritableSection {
public:
  InheritableSection() = default;
  InheritableSection(InheritableSection&& other) noexcept;
  InheritableSection& operator=(InheritableSection&& other) noexcept;
  InheritableSection(const InheritableSection&) = delete;
  InheritableSection& operator=(const InheritableSection&) = delete;
  ~InheritableSection(); // unmaps and closes

  // A new section of `size` zero bytes that children inherit, mapped whole
  // for writing. Invalid when the system refuses.
  static InheritableSection create(std::size_t size);

  // Maps the whole section whose inherited handle has `handleValue`, for
  // reading. Its size is what the view really holds (the section's size up
  // to the page), never what anyone claims. The handle itself stays open
  // until the process ends. Invalid when there is no such section.
  static InheritableSection viewInherited(std::uint32_t handleValue);

  bool isValid() const { return view_ != nullptr; }
  unsigned char* data() const { return view_; }
  std::size_t size() const { return size_; }
  std::uint32_t handleValue() const;

  void close();

private:
  unsigned char* view_ = nullptr;
  std::size_t size_ = 0;
  void* handle_ = nullptr; // owned only when created here
};

// An unnamed auto-reset event, not signalled, that children inherit.
class InheritableEvent {
public:
  InheritableEvent() = default;
  InheritableEvent(InheritableEvent&& other) noexcept;
  InheritableEvent& operator=(InheritableEvent&& other) noexcept;
  InheritableEvent(const InheritableEvent&) = delete;
  InheritableEvent& operator=(const InheritableEvent&) = delete;
  ~InheritableEvent();

  static InheritableEvent create();

  // Signals the inherited event with `handleValue`; false when that is no
  // event of this process.
  static bool signalInherited(std::uint32_t handleValue);

  bool isValid() const { return handle_ != nullptr; }
  std::uint32_t handleValue() const;
  WaitResult wait(std::uint32_t timeoutMs);

private:
  void* handle_ = nullptr;
};

// Starts the program that `commandLine` names (no separate program name),
// inheriting every inheritable handle, with the launcher's creation flags
// (CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS) and shown normally.
// The child's handles are closed at once. True when it started.
bool launchInheriting(const std::string& commandLine);

} // namespace ravelock::platform
