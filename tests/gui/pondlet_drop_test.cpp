// Files dragged onto the fish with OLE drag and drop, the pointer driven
// as a user's: a left-button drop starts vellapp with the operation the
// items call for, a right-button drop asks with the Drop menu, whose
// "Encrypt..." hands over the list of that drop.

#include <windows.h>

#include "gui/driver.h"
#include "gui/file_drop_data.h"
#include "gui/suite.h"
#include "keyserver/client.h"
#include "support/temp_dir.h"

#include <ole2.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace ravelock;
using namespace ravelock::gui;

// Lets this thread's windows take their messages for `ms`.
void pumpFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  MSG message;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

class PondletDrop : public testing::Test {
protected:
  static void SetUpTestSuite() {
    install = new TempDir;
    installPrograms(install->path(),
                    {"pondlet.exe", "vellapp.exe", "velldll.dll", "vellserver.exe"});
    keys = new keyserver::KeyServerClient;
    keys->connectFromFolder(install->path().string(), true, nullptr);
    OleInitialize(nullptr);
  }
  static void TearDownTestSuite() {
    OleUninitialize();
    keys->ShutdownKeyServer();
    delete keys;
    delete install;
  }
  void SetUp() override {
    keys->DeleteAllKeys();
    pondlet = std::make_unique<Process>(
        L"\"" + (install->path() / "pondlet.exe").wstring() + L"\"",
        install->path().wstring());
    fish = waitForWindow(pondlet->id(), L"Pondlet", kWindowTimeoutMs, L"#32770");
    ASSERT_NE(fish, nullptr);
  }
  void TearDown() override {
    PostMessageW(fish, WM_COMMAND, IDCANCEL, 0);
    pondlet->waitForExit(5000);
  }

  // A screen point inside the fish's shape.
  POINT onTheFish() const {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(fish, region);
    RECT box;
    GetRgnBox(region, &box);
    POINT at{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    EXPECT_TRUE(PtInRegion(region, at.x, at.y));
    DeleteObject(region);
    RECT window;
    GetWindowRect(fish, &window);
    return {window.left + at.x, window.top + at.y};
  }

  // Drags `paths` with `button` from elsewhere onto the fish and lets go;
  // `afterRelease` runs on the pointer's thread while the drop is handled.
  void drag(const std::vector<std::string>& paths, DWORD button,
            const std::function<void()>& afterRelease = {}) {
    const POINT target = onTheFish();
    const POINT start{target.x + 300, target.y + 250};
    // The drag begins over a window of this thread, as it does from
    // Explorer's: the button held there sends the pointer's input here.
    HWND source = CreateWindowExW(
        WS_EX_TOPMOST, L"STATIC", L"drag source", WS_POPUP | WS_VISIBLE | WS_BORDER,
        start.x - 40, start.y - 40, 80, 80, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(source);
    pumpFor(200);
    movePointer(start.x, start.y);
    pressButton(button);
    // The drag must begin with the button down, or it ends at once and the
    // release lands on the fish as a click.
    const int key = button == MK_RBUTTON ? VK_RBUTTON : VK_LBUTTON;
    ASSERT_TRUE(waitUntil("the button held", [&] {
      pumpFor(20);
      return (GetAsyncKeyState(key) & 0x8000) != 0;
    }));
    std::vector<std::wstring> wide;
    for (const std::string& path : paths)
      wide.push_back(fs::path(path).wstring());
    FileDropData* items = FileDropData::create(wide);
    ButtonDropSource dropSource(button);
    std::thread user([&] {
      // The loop asks the source on pointer input: a nudge on each poll.
      int nudge = 0;
      EXPECT_TRUE(waitUntil("the drag loop", [&] {
        movePointer(start.x + (nudge ^= 1), start.y);
        return dropSource.dragging();
      }));
      for (int step = 1; step <= 10; ++step) {
        movePointer(start.x + (target.x - start.x) * step / 10,
                    start.y + (target.y - start.y) * step / 10);
        Sleep(60);
      }
      Sleep(300);
      releaseButton(button);
      if (afterRelease)
        afterRelease();
    });
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = DoDragDrop(
        items, &dropSource, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    user.join();
    items->Release();
    DestroyWindow(source);
    EXPECT_EQ(result, DRAGDROP_S_DROP);
    EXPECT_EQ(effect, DWORD{DROPEFFECT_LINK});
  }

  std::string file(const char* name) {
    writeFile(data.file(name), std::string("content of ") + name);
    return data.file(name);
  }

  static TempDir* install;
  static keyserver::KeyServerClient* keys;
  std::unique_ptr<Process> pondlet;
  HWND fish = nullptr;
  TempDir data;
};
TempDir* PondletDrop::install = nullptr;
keyserver::KeyServerClient* PondletDrop::keys = nullptr;

// Text files are encrypted; ".rlk" and ".RLK" files decrypted (with the
// key remembered from the first run); ".rlk" with ".txt" encrypted.
TEST_F(PondletDrop, TheItemsChooseTheOperation) {
  const std::string one = file("one.txt");
  const std::string two = file("two.txt");
  drag({one, two}, MK_LBUTTON);
  ASSERT_NO_FATAL_FAILURE(answerEncryptKey(L"fish key", L"fish"));
  ASSERT_NO_FATAL_FAILURE(confirmSuccess());
  ASSERT_TRUE(fs::exists(one + ".rlk"));
  ASSERT_FALSE(fs::exists(one));
  fs::rename(two + ".rlk", data.file("two.RLK"));

  drag({one + ".rlk", data.file("two.RLK")}, MK_LBUTTON);
  ASSERT_NO_FATAL_FAILURE(confirmSuccess()); // decrypted with the remembered key
  EXPECT_EQ(readFile(one), "content of one.txt");
  EXPECT_EQ(readFile(data.file("two")), "content of two.txt");

  const std::string three = file("three.txt");
  writeFile(data.file("four.rlk"), "not encrypted");
  drag({data.file("four.rlk"), three}, MK_LBUTTON);
  HWND question = waitForWindow(kAnyProcess, kEncryptKeyTitle);
  ASSERT_NE(question, nullptr);
  click(question, IDCANCEL);
  EXPECT_TRUE(waitUntilGone(question));
  EXPECT_EQ(readFile(three), "content of three.txt");
}

// The right button asks, whatever the items; "Encrypt..." hands over
// exactly what was dropped.
TEST_F(PondletDrop, TheRightButtonAsksWithTheDropMenu) {
  const std::string dropped = file("dropped.txt");
  const std::string besides = file("besides.txt");
  drag({dropped}, MK_RBUTTON, [this] {
    HWND menu = waitForWindow(pondlet->id(), L"", 10000, L"#32768");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(saveNamedScreenshot(menu, "PondletDropMenu"));
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  });
  ASSERT_NO_FATAL_FAILURE(answerEncryptKey(L"menu key", L"menu"));
  ASSERT_NO_FATAL_FAILURE(confirmSuccess());
  EXPECT_TRUE(fs::exists(dropped + ".rlk"));
  EXPECT_FALSE(fs::exists(dropped));
  EXPECT_EQ(readFile(besides), "content of besides.txt");
}

} // namespace
