#pragma once
// pondlet: the hidden control window ("PONDLET_class" / "Pondlet") that
// vellapp steers with messages 1351-1353, and the fish-shaped dialog the
// user moves, right-clicks and drops files on. One object holds the
// program's state; the windows find it through their user data.

#include "shell/droptarget/drop_target.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace ravelock::droptarget {

class Pondlet final : public DropHandler {
public:
  explicit Pondlet(HINSTANCE instance);
  Pondlet(const Pondlet&) = delete;
  Pondlet& operator=(const Pondlet&) = delete;
  ~Pondlet();

  // Creates the windows and runs the message loop; the quit message's
  // wParam.
  int run();

  HRESULT dropped(IDataObject* data, bool rightButton, POINTL at) override;

private:
  static LRESULT CALLBACK hiddenProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam);
  static INT_PTR CALLBACK fishProc(HWND dialog, UINT message, WPARAM wParam,
                                   LPARAM lParam);
  LRESULT onControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool onFishMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void onCommand(UINT command);

  void readOptions();
  void applySize();
  void applyZOrder();
  void showContextMenu(POINT at);
  void handOver(bool encrypt);
  void bringUpMainApplication();
  POINT screenPoint(LPARAM lParam) const;

  HINSTANCE instance_;
  HWND hidden_ = nullptr;
  HWND fish_ = nullptr;
  HBITMAP bitmaps_[3] = {};
  FishDropTarget dropTarget_;
  bool oleStarted_ = false;

  int x_ = 2, y_ = 2;
  bool topmost_ = true;
  unsigned size_ = 0;

  // The last drop's path list with its final NUL, and its item count.
  std::string lastList_;
  std::int32_t lastCount_ = 0;

  bool moving_ = false;
  POINT moveStart_{};
  RECT windowStart_{};
};

} // namespace ravelock::droptarget
