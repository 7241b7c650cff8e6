// vellhandler.dll as Explorer uses it, after vellapp /fsapp registered it:
// created through COM, given a selection in a data object, asked for its
// items, help texts and commands; a command starts vellapp with exactly
// the selection, and the driver answers its key dialog.

#include <windows.h>

#include "gui/driver.h"
#include "gui/file_drop_data.h"
#include "gui/suite.h"
#include "keyserver/client.h"
#include "platform/library.h"
#include "support/temp_dir.h"

#include <olectl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace ravelock;
using namespace ravelock::gui;

// {5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}
constexpr CLSID kExtension = {
    0x5BCD499A, 0x6AD6, 0x43EE, {0x8B, 0x3E, 0x1E, 0xF3, 0x32, 0x4A, 0xF6, 0x3C}};
constexpr wchar_t kClassKey[] = L"CLSID\\{5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}";
constexpr UINT kFirstCommand = 100;
constexpr UINT kLastCommand = 200;
const std::wstring kEncryptText = L"&Encrypt with Ravelock";
const std::wstring kDecryptText = L"&Decrypt with Ravelock";
const std::string kEncryptHelp = "Encrypt the selected items with Ravelock.";
const std::string kDecryptHelp = "Decrypt the selected items with Ravelock.";

template <class T> struct Released {
  T* p = nullptr;
  ~Released() {
    if (p)
      p->Release();
  }
  T* operator->() const { return p; }
};

struct MenuEntry {
  bool separator;
  UINT id;
  std::wstring text;
  bool hasBitmap;
};

std::vector<MenuEntry> entriesOf(HMENU menu) {
  std::vector<MenuEntry> entries;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{sizeof info};
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_CHECKMARKS;
    info.dwTypeData = text;
    info.cch = 127;
    GetMenuItemInfoW(menu, i, TRUE, &info);
    entries.push_back({(info.fType & MFT_SEPARATOR) != 0, info.wID, text,
                       info.hbmpChecked != nullptr && info.hbmpUnchecked != nullptr});
  }
  return entries;
}

// The registered class's server key, as text (its default value and
// threading model).
std::wstring registration() {
  std::wstring text;
  for (const wchar_t* value : {L"", L"ThreadingModel"}) {
    wchar_t data[512] = {};
    DWORD size = sizeof data;
    const std::wstring key = std::wstring(kClassKey) + L"\\InprocServer32";
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), *value ? value : nullptr,
                     RRF_RT_REG_SZ, nullptr, data, &size) == ERROR_SUCCESS)
      text += data;
    text += L"|";
  }
  return text;
}

class ContextMenu : public testing::Test {
protected:
  static void SetUpTestSuite() {
    install = new TempDir;
    installPrograms(install->path(),
                    {"vellapp.exe", "velldll.dll", "vellserver.exe", "vellhandler.dll"});
    Process setup(L"\"" + (install->path() / "vellapp.exe").wstring() + L"\" /fsapp",
                  install->path().wstring());
    ASSERT_TRUE(setup.waitForExit(60000));
    keys = new keyserver::KeyServerClient;
    keys->connectFromFolder(install->path().string(), true, nullptr);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
  static void TearDownTestSuite() {
    CoUninitialize();
    keys->ShutdownKeyServer();
    delete keys;
    delete install;
  }

  // A new extension object initialised with `paths`.
  Released<IContextMenu> extensionFor(const std::vector<std::string>& paths) {
    Released<IContextMenu> menu;
    EXPECT_EQ(CoCreateInstance(kExtension, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IContextMenu, reinterpret_cast<void**>(&menu.p)),
              S_OK);
    if (!menu.p)
      return menu;
    std::vector<std::wstring> wide;
    for (const std::string& path : paths)
      wide.push_back(test::fileSystemPath(path).wstring());
    Released<IDataObject> selection{FileDropData::create(wide)};
    Released<IShellExtInit> init;
    EXPECT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init.p)),
              S_OK);
    if (init.p) {
      EXPECT_EQ(init->Initialize(nullptr, selection.p, nullptr), S_OK);
    }
    return menu;
  }

  std::string file(const char* name) {
    writeFile(data.file(name), std::string("content of ") + name);
    return data.file(name);
  }
  std::string folder(const char* name) {
    fs::create_directories(test::fileSystemPath(data.file(name)));
    writeFile(data.file((std::string(name) + "\\inner.txt").c_str()), "inner");
    return data.file(name);
  }

  static TempDir* install;
  static keyserver::KeyServerClient* keys;
  TempDir data;
};
TempDir* ContextMenu::install = nullptr;
keyserver::KeyServerClient* ContextMenu::keys = nullptr;

// The selection rules and the flags rule, each with the menu's layout:
// a separator, the items with their pictures, a separator.
TEST_F(ContextMenu, ItemsForEachSelectionAndMenuKind) {
  struct Case {
    const char* what;
    std::vector<std::string> paths;
    UINT flags;
    std::vector<std::wstring> items; // the texts between the separators
  };
  const std::vector<std::wstring> both{kEncryptText, kDecryptText};
  const std::vector<std::wstring> encryptOnly{kEncryptText};
  const Case cases[] = {
      {"two .rlk files, one in capitals",
       {file("a.rlk"), file("b.RLK")},
       CMF_NORMAL,
       both},
      {".rlk and a folder", {file("a.rlk"), folder("d")}, CMF_NORMAL, encryptOnly},
      {"one folder", {folder("e")}, CMF_NORMAL, encryptOnly},
      {".rlk and .txt", {file("c.rlk"), file("c.txt")}, CMF_NORMAL, encryptOnly},
      {"verbs only", {file("f.rlk")}, CMF_VERBSONLY, both},
      {"explore", {file("g.rlk")}, CMF_EXPLORE, both},
      {"explore without verbs", {file("g.rlk")}, CMF_EXPLORE | CMF_NOVERBS, both},
      {"default only", {file("h.rlk")}, CMF_DEFAULTONLY, {}},
      {"no verbs", {file("h.rlk")}, CMF_NOVERBS, {}},
      {"nothing selected", {}, CMF_NORMAL, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Released<IContextMenu> extension = extensionFor(c.paths);
    ASSERT_NE(extension.p, nullptr);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"first");
    AppendMenuW(menu, MF_STRING, 2, L"last");
    const HRESULT result =
        extension->QueryContextMenu(menu, 1, kFirstCommand, kLastCommand, c.flags);
    EXPECT_EQ(result, MAKE_HRESULT(SEVERITY_SUCCESS, 0, c.items.size()));
    const std::vector<MenuEntry> entries = entriesOf(menu);
    if (c.items.empty()) {
      EXPECT_EQ(entries.size(), 2u);
    } else {
      ASSERT_EQ(entries.size(), 2 + c.items.size() + 2);
      EXPECT_EQ(entries[0].text, L"first");
      EXPECT_TRUE(entries[1].separator);
      for (std::size_t i = 0; i < c.items.size(); ++i) {
        EXPECT_EQ(entries[2 + i].text, c.items[i]);
        EXPECT_EQ(entries[2 + i].id, kFirstCommand + i);
        EXPECT_TRUE(entries[2 + i].hasBitmap);
      }
      EXPECT_TRUE(entries[2 + c.items.size()].separator);
      EXPECT_EQ(entries.back().text, L"last");
    }
    DestroyMenu(menu);
  }
}

// The items as the user sees them, pictures and all.
TEST_F(ContextMenu, Screenshot) {
  Released<IContextMenu> extension = extensionFor({file("a.rlk"), file("b.rlk")});
  ASSERT_NE(extension.p, nullptr);
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 1, L"&Open");
  AppendMenuW(menu, MF_STRING, 2, L"Propert&ies");
  extension->QueryContextMenu(menu, 1, kFirstCommand, kLastCommand, CMF_NORMAL);
  HWND owner = CreateWindowW(L"STATIC", L"menu owner", WS_POPUP | WS_VISIBLE, 100, 100,
                             10, 10, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(owner);
  std::thread user([] {
    HWND shown = waitForWindow(GetCurrentProcessId(), L"", 5000, L"#32768");
    EXPECT_NE(shown, nullptr);
    EXPECT_TRUE(saveNamedScreenshot(shown, "ContextMenuItems"));
    PostMessageW(shown, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  TrackPopupMenu(menu, TPM_LEFTALIGN, 120, 120, 0, owner, nullptr);
  user.join();
  DestroyWindow(owner);
  DestroyMenu(menu);
}

TEST_F(ContextMenu, CommandStringsOfEveryRequestType) {
  Released<IContextMenu> extension = extensionFor({file("a.rlk")});
  ASSERT_NE(extension.p, nullptr);
  for (UINT offset : {0u, 1u}) {
    const std::string& help = offset == 0 ? kEncryptHelp : kDecryptHelp;
    const std::wstring helpWide(help.begin(), help.end());
    for (UINT type : {UINT{GCS_VERBA}, UINT{GCS_HELPTEXTA}}) {
      char text[64];
      std::memset(text, 'x', sizeof text);
      EXPECT_EQ(extension->GetCommandString(offset, type, nullptr, text, sizeof text),
                S_OK);
      EXPECT_EQ(std::string(text), help);
      // Cut to the buffer with its terminator.
      std::memset(text, 'x', sizeof text);
      EXPECT_EQ(extension->GetCommandString(offset, type, nullptr, text, 8), S_OK);
      EXPECT_EQ(std::string(text), help.substr(0, 7));
      EXPECT_EQ(text[8], 'x');
    }
    for (UINT type : {UINT{GCS_VERBW}, UINT{GCS_HELPTEXTW}}) {
      wchar_t text[64];
      std::wmemset(text, L'x', 64);
      EXPECT_EQ(extension->GetCommandString(offset, type, nullptr,
                                            reinterpret_cast<char*>(text), 64),
                S_OK);
      EXPECT_EQ(std::wstring(text), helpWide);
      std::wmemset(text, L'x', 64);
      EXPECT_EQ(extension->GetCommandString(offset, type, nullptr,
                                            reinterpret_cast<char*>(text), 5),
                S_OK);
      EXPECT_EQ(std::wstring(text), helpWide.substr(0, 4));
    }
    for (UINT type : {UINT{GCS_VALIDATEA}, UINT{GCS_VALIDATEW}, 3u, 7u}) {
      char text[8] = "untouch";
      EXPECT_EQ(extension->GetCommandString(offset, type, nullptr, text, sizeof text),
                S_OK);
      EXPECT_STREQ(text, "untouch");
    }
  }
  char text[8] = "untouch";
  EXPECT_EQ(extension->GetCommandString(2, GCS_HELPTEXTA, nullptr, text, sizeof text),
            E_INVALIDARG);
  EXPECT_STREQ(text, "untouch");
}

// A string verb starts nothing; offset 0 hands exactly the selection to a
// new vellapp, which encrypts it (the folder with its content).
TEST_F(ContextMenu, CommandsHandTheSelectionToVellapp) {
  const std::string one = file("one.txt");
  const std::string other = file("other.txt");
  const std::string box = folder("box");
  Released<IContextMenu> extension = extensionFor({one, box});
  ASSERT_NE(extension.p, nullptr);
  HMENU menu = CreatePopupMenu();
  EXPECT_EQ(extension->QueryContextMenu(menu, 0, kFirstCommand, kLastCommand, CMF_NORMAL),
            MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1));
  DestroyMenu(menu);

  CMINVOKECOMMANDINFO invoke{sizeof invoke};
  invoke.lpVerb = "encrypt";
  EXPECT_EQ(extension->InvokeCommand(&invoke), E_INVALIDARG);
  invoke.lpVerb = MAKEINTRESOURCEA(2);
  EXPECT_EQ(extension->InvokeCommand(&invoke), E_INVALIDARG);
  EXPECT_EQ(waitForWindow(kAnyProcess, L"Encrypt - enter key", 1500), nullptr);

  invoke.lpVerb = MAKEINTRESOURCEA(0);
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(extension->InvokeCommand(&invoke), S_OK);
  // Back once vellapp had its copy, long before the hand-off's time-out.
  EXPECT_LT(GetTickCount64() - start, 15000u);
  ASSERT_NO_FATAL_FAILURE(answerEncryptKey(L"menu key", L"menu"));
  ASSERT_NO_FATAL_FAILURE(confirmSuccess());
  for (const std::string& path : {one, box + "\\inner.txt"}) {
    EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::exists(path + ".rlk")) << path;
  }
  EXPECT_EQ(readFile(other), "content of other.txt");
  EXPECT_FALSE(fs::exists(other + ".rlk"));
}

// Inside Explorer the code page stays the system's; names no code page
// holds still reach vellapp whole, are encrypted, and decrypted again by
// the menu's Decrypt.
TEST_F(ContextMenu, NamesOfEveryScriptGoOverWhole) {
  const char* names[] = {"\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.docx",
                         "\xE5\xA0\xB1\xE5\x91\x8A.pdf", "caf\xC3\xA9 \xE2\x98\x95.txt"};
  std::vector<std::string> selection;
  for (const char* name : names)
    selection.push_back(file(name));
  selection.push_back(folder("na\xC3\xAFve r\xC3\xA9sum\xC3\xA9"));
  // Offset 0 is Encrypt; for files all encrypted, 1 is Decrypt.
  const auto invoke = [&](const std::vector<std::string>& paths, unsigned offset) {
    Released<IContextMenu> extension = extensionFor(paths);
    ASSERT_NE(extension.p, nullptr);
    HMENU menu = CreatePopupMenu();
    extension->QueryContextMenu(menu, 0, kFirstCommand, kLastCommand, CMF_NORMAL);
    DestroyMenu(menu);
    CMINVOKECOMMANDINFO command{sizeof command};
    command.lpVerb = MAKEINTRESOURCEA(offset);
    EXPECT_EQ(extension->InvokeCommand(&command), S_OK);
  };
  keys->DeleteAllKeys(); // the dialog asks for a new key
  invoke(selection, 0);
  ASSERT_NO_FATAL_FAILURE(answerEncryptKey(L"menu key", L"names of every script"));
  ASSERT_NO_FATAL_FAILURE(confirmSuccess());
  std::vector<std::string> encrypted;
  for (const std::string& path :
       {selection[0], selection[1], selection[2], selection[3] + "\\inner.txt"}) {
    EXPECT_FALSE(fs::exists(test::fileSystemPath(path))) << path;
    EXPECT_TRUE(fs::exists(test::fileSystemPath(path + ".rlk"))) << path;
    encrypted.push_back(path + ".rlk");
  }
  invoke(encrypted, 1);
  ASSERT_NO_FATAL_FAILURE(confirmSuccess()); // the key was remembered
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(readFile(selection[i]), std::string("content of ") + names[i]);
  EXPECT_EQ(readFile(selection[3] + "\\inner.txt"), "inner");
}

// The exports beside the class: unloading allowed only once every object
// is gone, registration refused without a change, the version.
TEST_F(ContextMenu, ExportsOfTheLibrary) {
  const platform::Library library((install->path() / "vellhandler.dll").string());
  ASSERT_TRUE(library.isLoaded());
  using Plain = HRESULT(STDAPICALLTYPE*)();
  const auto canUnload = reinterpret_cast<Plain>(library.symbol("DllCanUnloadNow"));
  const auto registerServer =
      reinterpret_cast<Plain>(library.symbol("DllRegisterServer"));
  const auto unregisterServer =
      reinterpret_cast<Plain>(library.symbol("DllUnregisterServer"));
  const auto getVersion = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(DLLVERSIONINFO*)>(
      library.symbol("DllGetVersion"));
  const auto getClassObject =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
          library.symbol("DllGetClassObject"));
  ASSERT_TRUE(canUnload && registerServer && unregisterServer && getVersion &&
              getClassObject);

  EXPECT_EQ(canUnload(), S_OK);
  IClassFactory* factory = reinterpret_cast<IClassFactory*>(1);
  EXPECT_EQ(getClassObject(IID_IContextMenu, IID_IClassFactory,
                           reinterpret_cast<void**>(&factory)),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory, nullptr);
  ASSERT_EQ(
      getClassObject(kExtension, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
      S_OK);
  EXPECT_EQ(canUnload(), S_FALSE);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  IContextMenu* menu = reinterpret_cast<IContextMenu*>(1);
  EXPECT_EQ(
      factory->CreateInstance(factory, IID_IContextMenu, reinterpret_cast<void**>(&menu)),
      CLASS_E_NOAGGREGATION);
  EXPECT_EQ(menu, nullptr);
  // A refused interface leaves no object behind.
  IUnknown* refused = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDropTarget,
                                    reinterpret_cast<void**>(&refused)),
            E_NOINTERFACE);
  EXPECT_EQ(refused, nullptr);
  ASSERT_EQ(
      factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu)),
      S_OK);
  factory->Release();
  EXPECT_EQ(canUnload(), S_FALSE); // the extension still lives
  IUnknown* unknown = nullptr;
  ASSERT_EQ(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  IShellExtInit* init = nullptr;
  ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)),
            S_OK);
  EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(init));
  init->Release();
  unknown->Release();
  menu->Release();
  EXPECT_EQ(canUnload(), S_OK);

  const std::wstring before = registration();
  EXPECT_NE(before, L"||"); // registered by /fsapp
  EXPECT_EQ(registerServer(), SELFREG_E_CLASS);
  EXPECT_EQ(unregisterServer(), SELFREG_E_CLASS);
  EXPECT_EQ(registration(), before);

  DLLVERSIONINFO version{sizeof version};
  EXPECT_EQ(getVersion(&version), S_OK);
  EXPECT_EQ(version.dwMajorVersion, 1u);
  EXPECT_EQ(version.dwMinorVersion, 1u);
  EXPECT_EQ(version.dwBuildNumber, 4u);
  EXPECT_EQ(version.dwPlatformID, DWORD{DLLVER_PLATFORM_WINDOWS});
  DLLVERSIONINFO2 larger{};
  larger.info1.cbSize = sizeof larger;
  EXPECT_EQ(getVersion(&larger.info1), S_OK);
  EXPECT_EQ(larger.info1.dwMajorVersion, 0u);
}

} // namespace
