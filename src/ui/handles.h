#pragma once
// Owners of Win32 handles: each closes its handle on every path.

#include <windows.h>

#include <utility>

namespace ravelock::ui {

template <typename Handle, typename Traits> class Owned {
public:
  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
  Owned& operator=(Owned&& other) noexcept {
    reset(std::exchange(other.handle_, Handle{}));
    return *this;
  }
  ~Owned() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{} && Traits::valid(handle_); }
  void reset(Handle handle = Handle{}) {
    if (handle_ != Handle{} && Traits::valid(handle_))
      Traits::close(handle_);
    handle_ = handle;
  }

private:
  Handle handle_{};
};

struct KernelTraits {
  static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct GdiTraits {
  static bool valid(HGDIOBJ) { return true; }
  static void close(HGDIOBJ h) { DeleteObject(h); }
};
struct WindowTraits {
  static bool valid(HWND h) { return IsWindow(h); }
  static void close(HWND h) { DestroyWindow(h); }
};

using KernelHandle = Owned<HANDLE, KernelTraits>;
using FontHandle = Owned<HFONT, GdiTraits>;
using BrushHandle = Owned<HBRUSH, GdiTraits>;
using WindowHandle = Owned<HWND, WindowTraits>;

// The wait cursor for as long as it lives.
class WaitCursor {
public:
  WaitCursor() : old_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { SetCursor(old_); }

private:
  HCURSOR old_;
};

} // namespace ravelock::ui
