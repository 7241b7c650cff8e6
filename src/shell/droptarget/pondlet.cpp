#include "shell/droptarget/pondlet.h"
#include "options/options.h"
#include "platform/module.h"
#include "platform/process.h"
#include "pondlet/resource.h"
#include "shell/droptarget/outline.h"
#include "shell/handoff/control_messages.h"
#include "shell/handoff/dropped_items.h"
#include "shell/handoff/launch.h"

#include <ole2.h>

#include <vector>

namespace ravelock::droptarget {

namespace {

using namespace handoff;

constexpr wchar_t kOutlineType[] = L"OBRYS";
constexpr wchar_t kTitle[] = L"Pondlet";

std::wstring wide(const char* text) {
  return std::wstring(text, text + std::char_traits<char>::length(text));
}

// The resource's bytes, or an empty span when it is missing.
std::span<const unsigned char> resourceBytes(HINSTANCE instance, int id,
                                             const wchar_t* type) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), type);
  if (!found)
    return {};
  HGLOBAL loaded = LoadResource(instance, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data)
    return {};
  return {static_cast<const unsigned char*>(data), SizeofResource(instance, found)};
}

// Whether `window` is vellapp's main window: titled "Ravelock" and
// answering the question with the agreed value.
// The polygon's region, rebuilt from its own rectangles: Wine's polygon
// regions may hold touching spans in one band, which its window regions
// refuse; the rebuilt region merges them and covers the same pixels.
HRGN outlineRegion(const Outline& outline) {
  std::vector<POINT> points;
  points.reserve(outline.points.size());
  for (const OutlinePoint& p : outline.points)
    points.push_back({p.x, p.y});
  HRGN polygon =
      CreatePolygonRgn(points.data(), static_cast<int>(points.size()), WINDING);
  if (!polygon)
    return nullptr;
  const DWORD bytes = GetRegionData(polygon, 0, nullptr);
  std::vector<unsigned char> data(bytes);
  HRGN region = nullptr;
  if (bytes &&
      GetRegionData(polygon, bytes, reinterpret_cast<RGNDATA*>(data.data())) == bytes)
    region = ExtCreateRegion(nullptr, bytes, reinterpret_cast<RGNDATA*>(data.data()));
  DeleteObject(polygon);
  return region;
}

bool isMainWindow(HWND window) {
  wchar_t title[16] = {};
  if (!window || GetWindowTextW(window, title, 16) == 0 ||
      wide(kMainWindowTitle) != title)
    return false;
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(window, UM_ARE_YOU_MAIN_WINDOW, 0, 0, SMTO_ABORTIFHUNG,
                             kControlTimeoutMs, &answer) != 0 &&
         static_cast<long>(answer) == kMainWindowAnswer;
}

HWND findMainWindow() {
  if (HWND foreground = GetForegroundWindow(); isMainWindow(foreground))
    return foreground;
  for (HWND window = GetTopWindow(nullptr); window;
       window = GetWindow(window, GW_HWNDNEXT))
    if (isMainWindow(window))
      return window;
  return nullptr;
}

} // namespace

Pondlet::Pondlet(HINSTANCE instance) : instance_(instance), dropTarget_(*this) {
  for (unsigned i = 0; i < kSizeCount; ++i)
    bitmaps_[i] = static_cast<HBITMAP>(LoadImageW(
        instance, MAKEINTRESOURCEW(kFishSizes[i].bitmap), IMAGE_BITMAP, 0, 0, 0));
}

Pondlet::~Pondlet() {
  for (HBITMAP bitmap : bitmaps_)
    if (bitmap)
      DeleteObject(bitmap);
}

void Pondlet::readOptions() {
  if (options::getFishX(x_))
    options::getFishY(y_);
  options::getFishTopmost(topmost_);
  int size = 0;
  if (options::getFishSize(size))
    size_ = size >= 0 && static_cast<unsigned>(size) < kSizeCount ? size : 0;
}

int Pondlet::run() {
  WNDCLASSW windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = hiddenProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_PONDLET));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  const std::wstring className = wide(kDropTargetClass);
  windowClass.lpszClassName = className.c_str();
  if (!RegisterClassW(&windowClass))
    return 1;
  readOptions();
  hidden_ =
      CreateWindowW(className.c_str(), wide(kDropTargetTitle).c_str(),
                    WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, nullptr, nullptr, instance_, this);
  if (!hidden_)
    return 1;
  fish_ = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_FISH), hidden_, fishProc,
                             reinterpret_cast<LPARAM>(this));
  if (!fish_) {
    DestroyWindow(hidden_);
    return 1;
  }
  MSG message;
  int got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1)
      break;
    if (IsWindow(fish_) && IsDialogMessageW(fish_, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (oleStarted_)
    OleUninitialize();
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

LRESULT CALLBACK Pondlet::hiddenProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(
                          reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* self = reinterpret_cast<Pondlet*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
  case UM_DROP_TARGET_TOPMOST:
  case UM_DROP_TARGET_SIZE:
  case UM_DROP_TARGET_EXIT:
    return self ? self->onControlMessage(message, wParam, lParam) : 0;
  case WM_DESTROY: PostQuitMessage(0); return 0;
  default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT Pondlet::onControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case UM_DROP_TARGET_TOPMOST:
    if (lParam != 0) {
      topmost_ = wParam != 0;
      applyZOrder();
    } else if (wParam != 0) {
      // Above every window for now; the stored choice stays.
      SetWindowPos(fish_, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    break;
  case UM_DROP_TARGET_SIZE:
    if (wParam < kSizeCount) {
      size_ = static_cast<unsigned>(wParam);
      applySize();
    }
    break;
  case UM_DROP_TARGET_EXIT: PostMessageW(fish_, WM_COMMAND, ID_EXIT, 0); break;
  }
  return 0;
}

INT_PTR CALLBACK Pondlet::fishProc(HWND dialog, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<Pondlet*>(lParam);
    self->fish_ = dialog;
    self->oleStarted_ = SUCCEEDED(OleInitialize(nullptr));
    if (self->oleStarted_)
      RegisterDragDrop(dialog, &self->dropTarget_);
    SetWindowTextW(dialog, kTitle);
    self->applySize();
    return TRUE;
  }
  auto* self = reinterpret_cast<Pondlet*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self && self->onFishMessage(message, wParam, lParam);
}

POINT Pondlet::screenPoint(LPARAM lParam) const {
  POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(fish_, &at);
  return at;
}

bool Pondlet::onFishMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_COMMAND: onCommand(LOWORD(wParam)); return true;
  case WM_LBUTTONDOWN:
    moveStart_ = screenPoint(lParam);
    GetWindowRect(fish_, &windowStart_);
    SetCapture(fish_);
    moving_ = true;
    return true;
  case WM_MOUSEMOVE:
    if (moving_) {
      const POINT at = screenPoint(lParam);
      SetWindowPos(fish_, nullptr, windowStart_.left + at.x - moveStart_.x,
                   windowStart_.top + at.y - moveStart_.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
  case WM_LBUTTONUP: {
    if (!moving_)
      return false;
    moving_ = false;
    ReleaseCapture();
    RECT now;
    GetWindowRect(fish_, &now);
    if (now.left != x_ || now.top != y_) {
      x_ = now.left;
      y_ = now.top;
      options::setFishX(x_);
      options::setFishY(y_);
    }
    return true;
  }
  case WM_CAPTURECHANGED: moving_ = false; return true;
  case WM_LBUTTONDBLCLK: bringUpMainApplication(); return true;
  case WM_CONTEXTMENU: {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1)
      GetCursorPos(&at);
    showContextMenu(at);
    return true;
  }
  case WM_DESTROY:
    if (oleStarted_)
      RevokeDragDrop(fish_);
    return false;
  default: return false;
  }
}

void Pondlet::onCommand(UINT command) {
  switch (command) {
  case ID_SIZE_SMALL:
  case ID_SIZE_MEDIUM:
  case ID_SIZE_LARGE:
    size_ = command - ID_SIZE_SMALL;
    applySize();
    options::setFishSize(size_);
    break;
  case ID_TOPMOST:
    topmost_ = !topmost_;
    applyZOrder();
    options::setFishTopmost(topmost_);
    break;
  case ID_DROP_ENCRYPT: handOver(true); break;
  case ID_DROP_DECRYPT: handOver(false); break;
  case ID_DROP_CANCEL: break;
  case ID_RAVELOCK: bringUpMainApplication(); break;
  case ID_EXIT:
  case IDOK:
  case IDCANCEL:
    // The dialog is owned by the hidden window and goes with it.
    DestroyWindow(hidden_);
    break;
  }
}

void Pondlet::applyZOrder() {
  // Wine keeps an owned window just above its owner when it leaves the
  // topmost band; with the owner at the bottom that is below every other
  // window rather than nowhere.
  SetWindowPos(hidden_, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(fish_, topmost_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Pondlet::applySize() {
  const FishSize& size = kFishSizes[size_];
  const std::optional<Outline> outline =
      parseOutline(resourceBytes(instance_, size.outline, kOutlineType));
  if (!outline)
    return;
  applyZOrder();
  SetWindowPos(fish_, nullptr, x_, y_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  HRGN region = outlineRegion(*outline);
  // Once set, the region is the window's: the system deletes the old one.
  if (region && SetWindowRgn(fish_, region, TRUE))
    SendDlgItemMessageW(fish_, IDC_FISH_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(bitmaps_[size_]));
  else if (region)
    DeleteObject(region);
}

void Pondlet::showContextMenu(POINT at) {
  HMENU menus = LoadMenuW(instance_, MAKEINTRESOURCEW(IDM_CONTEXT));
  if (!menus)
    return;
  HMENU menu = GetSubMenu(menus, 0);
  CheckMenuRadioItem(menu, ID_SIZE_SMALL, ID_SIZE_LARGE, ID_SIZE_SMALL + size_,
                     MF_BYCOMMAND);
  CheckMenuItem(menu, ID_TOPMOST, MF_BYCOMMAND | (topmost_ ? MF_CHECKED : MF_UNCHECKED));
  // The menu closes when the user clicks elsewhere only if its owner is in
  // the foreground.
  SetForegroundWindow(fish_);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, fish_, nullptr);
  DestroyMenu(menus);
}

HRESULT Pondlet::dropped(IDataObject* data, bool rightButton, POINTL at) {
  PathList paths;
  const HRESULT got = gatherDroppedItems(data, paths);
  if (FAILED(got))
    return got;
  if (paths.count() == 0)
    return S_OK;
  lastList_ = paths.bytes();
  lastCount_ = paths.count();
  if (!rightButton) {
    handOver(!paths.decryptable());
    return S_OK;
  }
  HMENU menus = LoadMenuW(instance_, MAKEINTRESOURCEW(IDM_DROP));
  if (!menus)
    return S_OK;
  SetForegroundWindow(fish_);
  TrackPopupMenu(GetSubMenu(menus, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
                 fish_, nullptr);
  DestroyMenu(menus);
  return S_OK;
}

void Pondlet::handOver(bool encrypt) {
  if (lastList_.empty())
    return;
  // Blocks this thread until vellapp has its copy (at most about 20.5 s).
  LaunchWithFileList(instance_, lastList_.data(),
                     static_cast<std::uint32_t>(lastList_.size()), lastCount_, encrypt);
}

void Pondlet::bringUpMainApplication() {
  if (HWND main = findMainWindow()) {
    if (IsIconic(main))
      ShowWindow(main, SW_RESTORE);
    if (SetForegroundWindow(main))
      return;
  }
  static const int here = 0;
  platform::launchDetached(platform::moduleFolder(&here) + "vellapp.exe", "");
}

} // namespace ravelock::droptarget
