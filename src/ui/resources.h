#pragma once
// The module whose resources a dialog is made from: dialog templates,
// string tables, icons and cursors.

#include <windows.h>

#include <string>

namespace ravelock::ui {

class Resources {
public:
  explicit Resources(HINSTANCE module) : module_(module) {}

  // The module (program or library) that holds `address`.
  static Resources ofAddress(const void* address);

  HINSTANCE module() const { return module_; }

  // String `id` of the string table; empty when there is none.
  std::wstring string(unsigned id) const;
  // Icon `id` at `size` pixels (shared: not to be destroyed).
  HICON icon(unsigned id, int size) const;
  // Cursor `id` (shared: not to be destroyed).
  HCURSOR cursor(unsigned id) const;

private:
  HINSTANCE module_;
};

} // namespace ravelock::ui
