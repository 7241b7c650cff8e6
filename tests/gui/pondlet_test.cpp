// pondlet as vellapp and the user steer it: the fish shaped by each
// size's outline, the control messages, moving it, its menus (screenshots
// in build/screens) and the options it keeps.

#include <windows.h>

#include "gui/suite.h"
#include "keyserver/client.h"
#include "options/options.h"
#include "pondlet/resource.h"
#include "shell/droptarget/outline.h"
#include "shell/handoff/control_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace ravelock;
using namespace ravelock::gui;
using droptarget::kFishSizes;

const std::wstring kFishTitle = L"Pondlet";
const std::wstring kMenuClass = L"#32768";
const char* const kSizeNames[] = {"Small", "Medium", "Large"};

// The outline of size `index` as pondlet.exe carries it.
droptarget::Outline outlineOf(const fs::path& program, unsigned index) {
  HMODULE module =
      LoadLibraryExW(program.wstring().c_str(), nullptr,
                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  droptarget::Outline outline;
  if (!module)
    return outline;
  if (HRSRC found =
          FindResourceW(module, MAKEINTRESOURCEW(kFishSizes[index].outline), L"OBRYS")) {
    const auto* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    if (auto parsed = droptarget::parseOutline({bytes, SizeofResource(module, found)}))
      outline = *parsed;
  }
  FreeLibrary(module);
  return outline;
}

// The window of another process: its region against the outline's polygon.
void expectShapedLike(HWND fish, const droptarget::Outline& outline) {
  std::vector<POINT> points;
  for (const auto& p : outline.points)
    points.push_back({p.x, p.y});
  HRGN expected =
      CreatePolygonRgn(points.data(), static_cast<int>(points.size()), WINDING);
  HRGN actual = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(fish, actual), ERROR);
  RECT want, got;
  GetRgnBox(expected, &want);
  GetRgnBox(actual, &got);
  EXPECT_EQ(got.left, want.left);
  EXPECT_EQ(got.top, want.top);
  EXPECT_EQ(got.right, want.right);
  EXPECT_EQ(got.bottom, want.bottom);
  // The same pixels, whatever rectangles hold them.
  HRGN difference = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(difference, expected, actual, RGN_XOR), NULLREGION);
  DeleteObject(difference);
  DeleteObject(expected);
  DeleteObject(actual);
}

bool topmost(HWND window) {
  return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Waits for a condition that another process brings about.
template <class Condition> bool eventually(Condition condition, DWORD ms = 5000) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!condition()) {
    if (GetTickCount64() > end)
      return false;
    Sleep(20);
  }
  return true;
}

class Pondlet : public testing::Test {
protected:
  static void SetUpTestSuite() {
    install = new TempDir;
    installPrograms(install->path(), {"pondlet.exe"});
    for (unsigned i = 0; i < droptarget::kSizeCount; ++i)
      outlines[i] = outlineOf(install->path() / "pondlet.exe", i);
  }
  static void TearDownTestSuite() { delete install; }
  void SetUp() override {
    std::error_code ignored;
    fs::remove(optionsFile(), ignored);
    // A desktop holds other windows; the fish leaves the topmost band for
    // the place above them.
    other = CreateWindowW(L"STATIC", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                          500, 400, 200, 100, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(other);
    if (process && process->running()) {
      SendMessageTimeoutW(hidden, handoff::UM_DROP_TARGET_EXIT, 0, 0, SMTO_ABORTIFHUNG,
                          2000, nullptr);
      process->waitForExit(5000);
    }
  }

  static std::string optionsFile() {
    return (install->path() / "Ravelock_options.xml").string();
  }
  static options::OptionsLocation optionsAt() {
    return {optionsFile(), options::OptionsSectionName()};
  }
  static void storeOptions(const std::string& values) {
    const std::string section = options::OptionsSectionName();
    writeFile(optionsFile(), "<users_settings><" + section + ">" + values + "</" +
                                 section + "></users_settings>");
  }

  // Starts pondlet and finds its two windows.
  void start() {
    process = std::make_unique<Process>(
        L"\"" + (install->path() / "pondlet.exe").wstring() + L"\"",
        install->path().wstring());
    ASSERT_TRUE(process->started());
    fish = waitForWindow(process->id(), kFishTitle, kWindowTimeoutMs, kDialogClass);
    ASSERT_NE(fish, nullptr);
    ASSERT_TRUE(eventually([this] {
      hidden = FindWindowW(L"PONDLET_class", L"Pondlet");
      return hidden != nullptr;
    }));
    EXPECT_FALSE(IsWindowVisible(hidden));
  }
  LRESULT control(UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(hidden, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                  handoff::kControlTimeoutMs, &answer),
              0);
    return static_cast<LRESULT>(answer);
  }
  POINT origin() const {
    RECT r;
    GetWindowRect(fish, &r);
    return {r.left, r.top};
  }
  bool optionWritten() const { return fs::exists(optionsFile()); }

  static TempDir* install;
  static droptarget::Outline outlines[droptarget::kSizeCount];
  std::unique_ptr<Process> process;
  HWND fish = nullptr;
  HWND hidden = nullptr;
  HWND other = nullptr;
};
TempDir* Pondlet::install = nullptr;
droptarget::Outline Pondlet::outlines[droptarget::kSizeCount];

TEST(PondletOutlines, EachSizeHasItsPointCount) {
  TempDir folder;
  installPrograms(folder.path(), {"pondlet.exe"});
  for (unsigned i = 0; i < droptarget::kSizeCount; ++i) {
    const droptarget::Outline outline = outlineOf(folder.path() / "pondlet.exe", i);
    EXPECT_EQ(outline.points.size(), kFishSizes[i].points) << i;
    EXPECT_EQ(outline.width, kFishSizes[i].width) << i;
    EXPECT_EQ(outline.height, kFishSizes[i].height) << i;
  }
}

// Message 1352 sets each size (the window shaped by its outline); 3 changes
// nothing; none of it writes the options.
TEST_F(Pondlet, SizesShapeTheWindowLikeTheFish) {
  start();
  EXPECT_EQ(origin().x, 2);
  EXPECT_EQ(origin().y, 2);
  expectShapedLike(fish, outlines[0]);
  for (unsigned size : {1u, 2u, 0u}) {
    SCOPED_TRACE(size);
    control(handoff::UM_DROP_TARGET_SIZE, size, 0);
    expectShapedLike(fish, outlines[size]);
    moveWindow(fish, 300, 200);
    EXPECT_TRUE(saveNamedScreenshot(fish, std::string("Pondlet") + kSizeNames[size]));
  }
  control(handoff::UM_DROP_TARGET_SIZE, 3, 0);
  expectShapedLike(fish, outlines[0]);
  control(handoff::UM_DROP_TARGET_SIZE, 2, 0);
  control(handoff::UM_DROP_TARGET_SIZE, static_cast<WPARAM>(-1), 0);
  expectShapedLike(fish, outlines[2]);
  EXPECT_FALSE(optionWritten());

  control(handoff::UM_DROP_TARGET_EXIT, 0, 0);
  ASSERT_TRUE(process->waitForExit(5000));
  EXPECT_EQ(process->exitCode(), 0u);
}

TEST_F(Pondlet, StoredPlaceAndSizeAreRead) {
  storeOptions("<fish_size>5</fish_size><fish_x>120</fish_x><fish_y>90</fish_y>"
               "<fish_topmost>0</fish_topmost>");
  start();
  expectShapedLike(fish, outlines[0]); // 5 is no size: small
  EXPECT_EQ(origin().x, 120);
  EXPECT_EQ(origin().y, 90);
  EXPECT_FALSE(topmost(fish));
}

// 1351: with lParam the flag is stored and applied; without, wParam puts
// the fish on top for now and 0 does nothing.
TEST_F(Pondlet, TopmostMessages) {
  start();
  EXPECT_TRUE(topmost(fish)); // the default
  control(handoff::UM_DROP_TARGET_TOPMOST, 0, 1);
  EXPECT_FALSE(topmost(fish));
  control(handoff::UM_DROP_TARGET_TOPMOST, 1, 0);
  EXPECT_TRUE(topmost(fish));
  // Applying a size applies the stored flag again: still "not on top".
  control(handoff::UM_DROP_TARGET_SIZE, 0, 0);
  EXPECT_FALSE(topmost(fish));
  control(handoff::UM_DROP_TARGET_TOPMOST, 0, 0);
  EXPECT_FALSE(topmost(fish));
  control(handoff::UM_DROP_TARGET_TOPMOST, 1, 1);
  EXPECT_TRUE(topmost(fish));
  EXPECT_FALSE(optionWritten());
}

// Dragging with the left button moves the fish; only a move that ends
// somewhere else writes the place.
TEST_F(Pondlet, MovingWritesOnlyAChangedPlace) {
  start();
  const POINT start = origin();
  // Client points: the window follows each, so the way back is measured
  // from where it has got to.
  PostMessageW(fish, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
  PostMessageW(fish, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 40));
  PostMessageW(fish, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 20));
  PostMessageW(fish, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
  ASSERT_TRUE(eventually([&] { return GetCapture() == nullptr; }));
  Sleep(300);
  EXPECT_EQ(origin().x, start.x);
  EXPECT_EQ(origin().y, start.y);
  EXPECT_FALSE(optionWritten());

  PostMessageW(fish, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
  PostMessageW(fish, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 80));
  PostMessageW(fish, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
  ASSERT_TRUE(eventually([&] { return optionWritten(); }));
  int x = 0, y = 0;
  ASSERT_TRUE(eventually([&] {
    return options::getFishX(x, optionsAt()) && options::getFishY(y, optionsAt());
  }));
  EXPECT_EQ(x, start.x + 100);
  EXPECT_EQ(y, start.y + 50);
  EXPECT_EQ(origin().x, x);
  EXPECT_EQ(origin().y, y);
}

// The context menu marks the size and the topmost choice; its commands
// store them.
TEST_F(Pondlet, ContextMenuAndItsCommands) {
  start();
  PostMessageW(fish, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(fish), MAKELPARAM(40, 40));
  HWND menu = waitForWindow(process->id(), L"", 5000, kMenuClass);
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(saveNamedScreenshot(menu, "PondletContextMenu"));
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(waitUntilGone(menu, 5000));

  PostMessageW(fish, WM_COMMAND, ID_SIZE_LARGE, 0);
  int size = -1;
  ASSERT_TRUE(eventually([&] { return options::getFishSize(size, optionsAt()); }));
  EXPECT_EQ(size, 2);
  expectShapedLike(fish, outlines[2]);
  PostMessageW(fish, WM_COMMAND, ID_TOPMOST, 0);
  bool onTop = true;
  ASSERT_TRUE(eventually([&] { return options::getFishTopmost(onTop, optionsAt()); }));
  EXPECT_FALSE(onTop);
  EXPECT_FALSE(topmost(fish));

  PostMessageW(fish, WM_COMMAND, ID_EXIT, 0);
  ASSERT_TRUE(process->waitForExit(5000));
  EXPECT_EQ(process->exitCode(), 0u);
}

// A window that answers as vellapp's main window does.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == handoff::UM_ARE_YOU_MAIN_WINDOW)
    return handoff::kMainWindowAnswer;
  return DefWindowProcW(window, message, wParam, lParam);
}

// "Ravelock..." restores and raises a running main window; a window of the
// same title that does not answer is not taken for it, and without the main
// window vellapp is started.
TEST_F(Pondlet, RavelockBringsUpTheMainApplication) {
  installPrograms(install->path(), {"vellapp.exe", "velldll.dll", "vellserver.exe"});
  start();
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = mainWindowProc;
  windowClass.lpszClassName = L"StandInMainWindow";
  RegisterClassW(&windowClass);
  HWND impostor = CreateWindowW(L"STATIC", L"Ravelock", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                50, 50, 200, 100, nullptr, nullptr, nullptr, nullptr);
  HWND main = CreateWindowW(L"StandInMainWindow", L"Ravelock", WS_OVERLAPPEDWINDOW, 100,
                            100, 300, 200, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(main, SW_MINIMIZE);
  PostMessageW(fish, WM_COMMAND, ID_RAVELOCK, 0);
  // This thread answers the question while it waits.
  const bool restored = eventually([&] {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    return !IsIconic(main) && GetForegroundWindow() == main;
  });
  EXPECT_TRUE(restored);
  EXPECT_EQ(findWindow(kAnyProcess, L"Ravelock", kDialogClass), nullptr);
  DestroyWindow(main);
  DestroyWindow(impostor);

  PostMessageW(fish, WM_COMMAND, ID_RAVELOCK, 0);
  HWND started = waitForWindow(kAnyProcess, L"Ravelock", kWindowTimeoutMs, kDialogClass);
  ASSERT_NE(started, nullptr);
  PostMessageW(started, WM_CLOSE, 0, 0);
  EXPECT_TRUE(waitUntilGone(started));
  // vellapp started the key server of this folder; it is not left behind.
  keyserver::KeyServerClient keys;
  if (keys.connectFromFolder(install->path().string(), true, nullptr) == 1)
    keys.ShutdownKeyServer();
}

} // namespace
