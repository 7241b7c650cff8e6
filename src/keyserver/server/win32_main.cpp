// vellserver on Windows: the key server with its notification-area icon.
// A worker thread answers the requests, so a menu or a question box on the
// window's thread never delays an answer past the clients' time-out. The
// window is hidden; it carries the icon and hears that the session ends.

#include "keyserver/server.h"
#include "platform/module.h"
#include "platform/process.h"
#include "resource.h"

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

namespace {

using namespace ravelock;
using namespace ravelock::keyserver;

constexpr UINT WM_TRAY_ICON = WM_APP + 1; // notifications from the icon
constexpr UINT WM_SET_ICON = WM_APP + 2;  // wParam: show the icon
constexpr UINT kIconId = 1;
constexpr wchar_t kWindowClass[] = L"vellserver_window";
// How often the worker looks for the end between requests.
constexpr std::uint32_t kPollMs = 200;

struct App {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  UINT taskbarCreated = 0;
  bool iconWanted = true;
  bool iconShown = false;
  KeyServer server;
  std::atomic<bool> ending{false};
  std::thread worker;
};

std::wstring loadText(HINSTANCE instance, UINT id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<std::size_t>(length))
                    : std::wstring();
}

NOTIFYICONDATAW iconData(const App& app) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = app.window;
  data.uID = kIconId;
  return data;
}

void showIcon(App& app) {
  if (app.iconShown)
    return;
  NOTIFYICONDATAW data = iconData(app);
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = WM_TRAY_ICON;
  data.hIcon = static_cast<HICON>(
      LoadImageW(app.instance, MAKEINTRESOURCEW(IDI_VELLSERVER), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  const std::wstring tip = loadText(app.instance, IDS_TIP);
  wcsncpy(data.szTip, tip.c_str(), sizeof data.szTip / sizeof data.szTip[0] - 1);
  app.iconShown = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  if (data.hIcon)
    DestroyIcon(data.hIcon);
}

void hideIcon(App& app) {
  if (!app.iconShown)
    return;
  NOTIFYICONDATAW data = iconData(app);
  Shell_NotifyIconW(NIM_DELETE, &data);
  app.iconShown = false;
}

bool confirm(const App& app, UINT textId) {
  const std::wstring text = loadText(app.instance, textId);
  const std::wstring caption = loadText(app.instance, IDS_APP_NAME);
  return MessageBoxW(app.window, text.c_str(), caption.c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}

void openMainProgram(const App& app) {
  static const int here = 0;
  const std::string program =
      platform::moduleFolder(&here) + platform::executableFileName("vellapp");
  if (platform::launchDetached(program, ""))
    return;
  wchar_t path[MAX_PATH] = {};
  MultiByteToWideChar(CP_UTF8, 0, program.c_str(), -1, path, MAX_PATH - 1);
  wchar_t message[MAX_PATH + 128];
  const std::wstring format = loadText(app.instance, IDS_CANNOT_OPEN_APP);
  _snwprintf(message, sizeof message / sizeof message[0] - 1, format.c_str(), path);
  message[sizeof message / sizeof message[0] - 1] = 0;
  const std::wstring caption = loadText(app.instance, IDS_APP_NAME);
  MessageBoxW(app.window, message, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void showMenu(App& app) {
  HMENU menu = LoadMenuW(app.instance, MAKEINTRESOURCEW(IDR_TRAY_MENU));
  if (!menu)
    return;
  POINT at;
  GetCursorPos(&at);
  // Without the foreground the menu would not close when the user clicks
  // elsewhere.
  SetForegroundWindow(app.window);
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, at.x, at.y, 0, app.window,
                 nullptr);
  PostMessageW(app.window, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

// Posts to a null window go nowhere, which is right when there is none.
void serveRequests(App* app) {
  while (!app->ending) {
    switch (app->server.serveNext(kPollMs)) {
    case ServerAction::None: break;
    case ServerAction::ShowIcon: PostMessageW(app->window, WM_SET_ICON, TRUE, 0); break;
    case ServerAction::HideIcon: PostMessageW(app->window, WM_SET_ICON, FALSE, 0); break;
    case ServerAction::Shutdown: PostMessageW(app->window, WM_CLOSE, 0, 0); return;
    }
  }
}

void stopServing(App& app) {
  app.ending = true;
  if (app.worker.joinable())
    app.worker.join();
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* app = reinterpret_cast<App*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    app = static_cast<App*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app));
  }
  if (!app)
    return DefWindowProcW(window, message, wParam, lParam);
  if (message == app->taskbarCreated && app->taskbarCreated != 0) {
    // The shell restarted and forgot the icon.
    app->iconShown = false;
    if (app->iconWanted)
      showIcon(*app);
    return 0;
  }
  switch (message) {
  case WM_SET_ICON:
    app->iconWanted = wParam != FALSE;
    if (app->iconWanted)
      showIcon(*app);
    else
      hideIcon(*app);
    return 0;
  case WM_TRAY_ICON:
    if (lParam == WM_RBUTTONUP || lParam == WM_CONTEXTMENU)
      showMenu(*app);
    else if (lParam == WM_LBUTTONDBLCLK)
      openMainProgram(*app);
    return 0;
  case WM_COMMAND:
    switch (LOWORD(wParam)) {
    case IDM_OPEN_APP: openMainProgram(*app); break;
    case IDM_FORGET_ALL:
      if (app->server.keyCount() == 0 || confirm(*app, IDS_CONFIRM_FORGET))
        app->server.forgetAllKeys();
      break;
    case IDM_EXIT:
      if (app->server.keyCount() == 0 || confirm(*app, IDS_CONFIRM_EXIT))
        DestroyWindow(window);
      break;
    }
    return 0;
  case WM_QUERYENDSESSION: return TRUE;
  case WM_ENDSESSION:
    // The process may be ended as soon as this returns.
    if (wParam) {
      stopServing(*app);
      hideIcon(*app);
      app->server.stop();
    }
    return 0;
  case WM_CLOSE: DestroyWindow(window); return 0;
  case WM_DESTROY:
    hideIcon(*app);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// "without_icon" may stand anywhere on the command line; it is the only word
// the clients pass.
bool startedWithoutIcon() {
  const char* line = GetCommandLineA();
  const std::size_t word = std::strlen("without_icon");
  for (const char* p = std::strstr(line, "without_icon"); p;
       p = std::strstr(p + 1, "without_icon")) {
    const bool startsWord = p == line || p[-1] == ' ' || p[-1] == '\t' || p[-1] == '"';
    const char after = p[word];
    if (startsWord && (after == 0 || after == ' ' || after == '\t' || after == '"'))
      return true;
  }
  return false;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  App app;
  app.instance = instance;
  app.iconWanted = !startedWithoutIcon();
  switch (app.server.start()) {
  case KeyServer::StartResult::Started: break;
  case KeyServer::StartResult::AlreadyRunning: return 0;
  case KeyServer::StartResult::Failed: return 1;
  }

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VELLSERVER));
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  const std::wstring title = loadText(instance, IDS_TIP);
  // A hidden top-level window, not a message-only one: only top-level
  // windows hear that the session ends and that the taskbar came back.
  app.window = CreateWindowExW(0, kWindowClass, title.c_str(), WS_OVERLAPPED, 0, 0, 0, 0,
                               nullptr, nullptr, instance, &app);
  if (!app.window) {
    // No desktop to put an icon on: the keys are served all the same.
    serveRequests(&app);
    app.server.stop();
    return 0;
  }
  app.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  if (app.iconWanted)
    showIcon(app);

  app.worker = std::thread(serveRequests, &app);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  stopServing(app);
  app.server.stop();
  return 0;
}
