// The dialog framework on a dialog of its own, run modally on a thread of
// this process while the test drives it through window messages.

#include "framework_test_ids.h"
#include "gui/driver.h"
#include "ui/dialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace ravelock::gui {
namespace {

constexpr COLORREF kLinkColour = RGB(0, 100, 190);

class TestDialog : public ui::Dialog {
public:
  TestDialog() : Dialog(ui::Resources(GetModuleHandleW(nullptr)), IDD_FRAMEWORK_TEST) {}
  std::atomic<int> clicked{0};
  std::atomic<HWND> tips{nullptr};

private:
  bool onInit() override {
    setTitle(IDS_TEST_TITLE);
    links().add(IDC_TEST_LINK, kLinkColour);
    links().setCursor(resources().cursor(IDC_TEST_HAND));
    tooltips().add(hwnd(), IDC_TEST_NAME, L"Type a name.");
    tips = tooltips().window();
    help().add(IDC_TEST_NAME, IDS_TEST_HELP);
    limitText(IDC_TEST_NAME, 5);
    return true;
  }
  void onLinkClicked(int control) override { clicked = control; }
  void onOk() override {
    if (checkMaxChars(IDC_TEST_NAME, 5))
      end(IDOK);
  }
};

class Framework : public testing::Test {
protected:
  void SetUp() override {
    thread = std::thread([this] { result = dialog.runModal(nullptr); });
    window = waitForWindow(GetCurrentProcessId(), L"Framework test");
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window))
      click(window, IDCANCEL);
    thread.join();
  }

  // Moves the mouse there and waits until it has arrived.
  static testing::AssertionResult moveCursor(POINT point) {
    return waitUntil(
        "the pointer to arrive",
        [point] {
          SetCursorPos(point.x, point.y);
          POINT now{};
          GetCursorPos(&now);
          return now.x == point.x && now.y == point.y;
        },
        1000);
  }
  // The cursor the screen shows.
  static HCURSOR shownCursor() {
    CURSORINFO info{sizeof info};
    GetCursorInfo(&info);
    return info.hCursor;
  }

  POINT centreOf(int control) const {
    RECT rect{};
    GetWindowRect(GetDlgItem(window, control), &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }

  TestDialog dialog;
  std::thread thread;
  std::atomic<INT_PTR> result{0};
  HWND window = nullptr;
};

TEST_F(Framework, ColoursOfTheDialogAndItsLabels) {
  HDC dc = CreateCompatibleDC(nullptr);
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_TEST_PLAIN))));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 252));
  LOGBRUSH logBrush{};
  ASSERT_TRUE(GetObjectW(brush, sizeof logBrush, &logBrush));
  EXPECT_EQ(logBrush.lbColor, RGB(255, 255, 252));
  SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_TEST_LINK)));
  EXPECT_EQ(GetTextColor(dc), kLinkColour);
  DeleteDC(dc);
}

TEST_F(Framework, ALinkLabelHasTheHandAndTakesClicks) {
  const LPARAM overDialog = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  const HCURSOR hand = ui::Resources(GetModuleHandleW(nullptr)).cursor(IDC_TEST_HAND);
  // Over a plain label the dialog keeps its arrow; over the link it is the
  // hand (the screen's cursor follows the dialog's thread a moment later).
  moveCursor(centreOf(IDC_TEST_PLAIN));
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), overDialog);
  EXPECT_NE(shownCursor(), hand);
  // The screen's cursor and its position are shared: a mouse message of the
  // desktop may move or set them back before they are read, so the pointer
  // is put over the link and the dialog asked again until the hand shows.
  EXPECT_TRUE(waitUntil(
      "the hand over the link",
      [&] {
        moveCursor(centreOf(IDC_TEST_LINK));
        SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), overDialog);
        return shownCursor() == hand;
      },
      3000));

  for (int control : {IDC_TEST_PLAIN, IDC_TEST_LINK}) {
    POINT at = centreOf(control);
    ScreenToClient(window, &at);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  }
  EXPECT_EQ(dialog.clicked, IDC_TEST_LINK);
}

TEST_F(Framework, TooltipsComeFromRelayedMouseMessages) {
  HWND edit = GetDlgItem(window, IDC_TEST_NAME);
  const POINT point = centreOf(IDC_TEST_NAME);
  moveCursor(point);
  POINT at = point;
  ScreenToClient(edit, &at);
  HWND tips = dialog.tips;
  ASSERT_NE(tips, nullptr);
  // Posted: the dialog's loop sees it and relays it to the tooltip control.
  // A hover is tried a few times: Wine's tooltip may drop the first one
  // while the pointer it warped is still arriving.
  bool shown = false;
  for (int hover = 0; hover < 3 && !shown; ++hover) {
    PostMessageW(edit, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    shown = static_cast<bool>(waitUntil(
        "the tooltip", [tips] { return IsWindowVisible(tips) != FALSE; }, 1500));
  }
  EXPECT_TRUE(shown);
}

TEST_F(Framework, HelpPopUpClosesAtTheNextKey) {
  HELPINFO info{
      sizeof info, HELPINFO_WINDOW, IDC_TEST_NAME, GetDlgItem(window, IDC_TEST_NAME),
      0,           {0, 0}};
  SendMessageW(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  HWND popUp =
      waitForWindow(GetCurrentProcessId(), L"Name\nAt most five characters.", 5000);
  ASSERT_NE(popUp, nullptr);
  pressKey(GetDlgItem(window, IDC_TEST_NAME), VK_SHIFT);
  EXPECT_TRUE(waitUntilGone(popUp, 5000));
}

TEST_F(Framework, EditLengthIsLimitedAndCheckedWithTheStandardWarning) {
  HWND edit = GetDlgItem(window, IDC_TEST_NAME);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 5);
  // A text set from outside is not held by the limit; OK catches it.
  setItemText(window, IDC_TEST_NAME, L"toolong");
  click(window, IDOK);
  EXPECT_EQ(answerMessageBox(GetCurrentProcessId(), IDOK),
            L"Please enter no more than 5 characters.");
  EXPECT_TRUE(IsWindowVisible(window));
  setItemText(window, IDC_TEST_NAME, L"short");
  click(window, IDOK);
  EXPECT_TRUE(waitUntilGone(window));
  thread.join();
  thread = std::thread([] {});
  EXPECT_EQ(result, IDOK);
}

TEST(FrameworkModeless, RunsInTheCallersLoopAndEndsItsWindow) {
  TestDialog dialog;
  std::atomic<bool> done{false};
  std::thread thread([&] {
    dialog.createModeless(nullptr);
    MSG message;
    while (!dialog.ended() && GetMessageW(&message, nullptr, 0, 0) > 0)
      if (!dialog.translate(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    done = true;
  });
  HWND window = waitForWindow(GetCurrentProcessId(), L"Framework test");
  ASSERT_NE(window, nullptr);
  setItemText(window, IDC_TEST_NAME, L"ok");
  click(window, IDOK);
  EXPECT_TRUE(waitUntilGone(window));
  thread.join();
  EXPECT_TRUE(done);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(dialog.result(), IDOK);
}

} // namespace
} // namespace ravelock::gui
