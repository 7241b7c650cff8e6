#include "app/startup.h"
#include "app/command_line.h"
#include "app/drop_target.h"
#include "app/engine_binding.h"
#include "app/install_info.h"
#include "app/integration.h"
#include "app/key_databases.h"
#include "app/main_window.h"
#include "app/path_list.h"
#include "app/receive_file_list.h"
#include "keyserver/client.h"
#include "options/options.h"
#include "options/startup_lists.h"
#include "platform/filesystem.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "resource.h"
#include "ui/html_help.h"
#include "ui/message_box.h"
#include "ui/text.h"

#include <commctrl.h>
#include <ole2.h>

namespace ravelock::app {

namespace {

// Time for the key server and the drop target to start or to finish before
// the next step or the end of the process.
constexpr DWORD kServerStartWaitMs = 800;
constexpr DWORD kBeforeShutdownMs = 1000;
constexpr DWORD kAfterShutdownMs = 300;
constexpr DWORD kUninstallSettleMs = 1500;
constexpr UINT kDropTargetExitTimeoutMs = 2000;
constexpr DWORD kUninstallEndMs = 500;

const void* thisModule() {
  return reinterpret_cast<const void*>(&runStartUp);
}

// What every path past the connection gives back, in this order.
class Session {
public:
  explicit Session(keyserver::KeyServerClient& keys) : keys_(keys) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    keys_.DisconnectKeyServer();
    engine_.unload();
  }

  keyserver::KeyServerClient& keys() { return keys_; }
  EngineBinding& engine() { return engine_; }

private:
  keyserver::KeyServerClient& keys_;
  EngineBinding engine_;
};

void firstStart(Session& session, const std::string& folder) {
  platform::Registry& registry = platform::systemRegistry();
  writeInstallInfo(registry, folder);
  setAssociation(registry, folder, true);
  setContextMenu(registry, folder, true);
  Sleep(kBeforeShutdownMs);
  session.keys().ShutdownKeyServer();
  Sleep(kAfterShutdownMs);
}

// Each step runs whatever the earlier ones gave.
void uninstall(Session& session, const std::string& folder) {
  options::deleteListedShortcuts(options::StartupList::KeyManager);
  options::deleteListedShortcuts(options::StartupList::DropTarget);
  platform::Registry& registry = platform::systemRegistry();
  registry.deleteTree(platform::RegistryRoot::LocalMachine, kInstallKey);
  setAssociation(registry, folder, false);
  setContextMenu(registry, folder, false);
  Sleep(kUninstallSettleMs);
  session.keys().ShutdownKeyServer();
  sendToDropTarget(UM_DROP_TARGET_EXIT, 0, 0, kDropTargetExitTimeoutMs);
  Sleep(kUninstallEndMs);
  platform::deleteFile(options::OptionsFilePath().c_str());
}

// Asks again while the user wants to and the file is still missing.
void loadKeyDatabaseAtLogon(const ui::Resources& resources, const EngineExports& engine,
                            keyserver::KeyServerClient& keys, const std::string& path) {
  while (platform::getAttributes(path.c_str()) == platform::kInvalidAttributes) {
    const std::wstring question =
        ui::fill(resources.string(IDS_DATABASE_NOT_FOUND), ui::widen(path));
    if (ui::messageBox(nullptr, question, MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
  }
  LoadKeyDatabase({resources, &engine, &keys}, nullptr, path, nullptr, true);
}

// The folder as a one-entry list, when it names a directory.
void decryptFolder(const EngineExports& engine, const std::string& folder) {
  const PathList list = folderList(folder);
  if (list.count == 0 || !platform::isDirectory(list.bytes.c_str()))
    return;
  engine.decryptFiles(list.bytes.data(), list.count, nullptr);
}

// COM for the folder browser, for as long as the main window runs.
class ComSession {
public:
  ComSession() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;
  ~ComSession() {
    if (initialised_)
      OleUninitialize();
  }

private:
  bool initialised_;
};

void runMainWindow(const ui::Resources& resources, const Command& command,
                   const std::string& folder, const EngineExports& engine) {
  writeInstallInfo(platform::systemRegistry(), folder);
  const ui::HtmlHelpSession help;
  const ComSession com;
  MainWindow window({resources, folder, &engine},
                    startPage(command, options::getAppPage(kPageAbout)));
  window.runModal(nullptr);
  options::setAppPage(window.currentPage());
}

} // namespace

void runStartUp(std::span<const std::string> arguments) {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const Command command = parseCommandLine(arguments);
  const ui::Resources resources = ui::Resources::ofAddress(thisModule());
  const std::string folder = platform::moduleFolder(thisModule());

  auto& keys = keyserver::KeyServerClient::process();
  bool started = false;
  if (keys.ConnectKeyServer(thisModule(), command.firstStart(), &started) != 1) {
    ui::messageBox(nullptr, resources.string(IDS_INTERNAL_ERROR), MB_OK | MB_ICONSTOP);
    return;
  }
  Session session(keys);
  if (started)
    Sleep(kServerStartWaitMs);
  if (!session.engine().bind(folder)) {
    keys.DisconnectKeyServer();
    ui::messageBox(nullptr,
                   ui::fill(resources.string(IDS_NO_ENGINE), ui::widen(kEngineLibrary)),
                   MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const EngineExports& engine = session.engine().exports();

  switch (command.action) {
  case Action::FirstStart: firstStart(session, folder); break;
  case Action::Uninstall: uninstall(session, folder); break;
  case Action::EncryptHandOff:
  case Action::DecryptHandOff:
    if (command.argument)
      ReceiveFileList(engine, *command.argument,
                      command.action == Action::EncryptHandOff);
    break;
  case Action::LoadKeyDatabase:
    if (command.argument)
      loadKeyDatabaseAtLogon(resources, engine, keys, *command.argument);
    break;
  case Action::DecryptFolder:
    if (command.argument)
      decryptFolder(engine, *command.argument);
    break;
  case Action::MainWindow: runMainWindow(resources, command, folder, engine); break;
  }
}

} // namespace ravelock::app
