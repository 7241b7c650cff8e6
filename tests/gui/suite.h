#pragma once
// What the GUI test suites share above the driver: the names every test
// file uses, the titles of the windows they wait for, screenshots by name,
// and a suite fixture that installs the programs in a fresh folder with a
// key server of their own. A test file puts its tests in
// `namespace ravelock::gui` and includes this header.

// Before the engine's headers, which undo its EncryptFile macro.
#include <windows.h>

#include "engine/files/encrypt_file.h"
#include "gui/driver.h"
#include "keyserver/client.h"
#include "options/options.h"
#include "platform/registry.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace ravelock::gui {

namespace fs = std::filesystem;
using platform::RegistryRoot;
using platform::RegistryStatus;
using test::readFile;
using test::TempDir;
using test::writeFile;

// The titles of the engine's dialogs, as they show them.
inline constexpr wchar_t kEncryptKeyTitle[] = L"Encrypt - enter key";
inline constexpr wchar_t kKeyNameTitle[] = L"Encrypt - enter key name";
inline constexpr wchar_t kDecryptKeyTitle[] = L"Decrypt - Please enter the key";
inline constexpr wchar_t kSuccessTitle[] = L"Operation completed successfuly.";
inline constexpr wchar_t kFailureTitle[] = L"The operation failed";
inline constexpr wchar_t kErrorsTitle[] = L"Errors";
inline constexpr wchar_t kExistsTitle[] = L"File already exists";
// The caption of the uninstaller's questions.
inline constexpr wchar_t kUninstallCaption[] = L"Ravelock Uninstall";

// A UTF-8 path or text (the engine's strings) as the windows show it.
inline std::wstring wide(const std::string& text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  std::wstring result(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0),
                      L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, result.data(),
                      static_cast<int>(result.size()));
  return result;
}

// Saves `window` as build/screens/<name>.png.
inline void screenshot(HWND window, const char* name) {
  ASSERT_NE(window, nullptr) << name;
  EXPECT_TRUE(saveNamedScreenshot(window, name)) << name;
}

// Answers the encrypt key dialog of any process with `key`, not keeping
// the originals, and the key-name dialog with `name` (session_answers.cpp,
// which knows the engine's control ids).
void answerEncryptKey(const std::wstring& key, const std::wstring& name);

// Closes the success dialog of a run of process `pid`.
inline void confirmSuccess(DWORD pid = kAnyProcess) {
  HWND success = waitForWindow(pid, kSuccessTitle);
  ASSERT_NE(success, nullptr);
  click(success, IDOK);
  EXPECT_TRUE(waitUntilGone(success));
}

// `path` + ".rlk" holding `content` under `key`; the plain file is gone.
inline void makeEncrypted(const std::string& path, const std::string& content,
                          const KeyRecord& key) {
  writeFile(path, content);
  ASSERT_EQ(engine::EncryptFile(path.c_str(), nullptr, &key, nullptr, 1), 0) << path;
}

// The names of the entries of `folder`.
inline std::set<std::string> filesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

inline bool keyExists(RegistryRoot root, const std::string& path) {
  return platform::systemRegistry().openKey(root, path, platform::RegistryAccess::Read) ==
         RegistryStatus::Ok;
}

// Connects `keys` to the key server of `folder`, starting it, and waits
// until it answers: a server still starting would let the first request
// time out.
inline testing::AssertionResult connectKeyServer(keyserver::KeyServerClient& keys,
                                                 const std::string& folder) {
  keys.connectFromFolder(folder, true, nullptr);
  return waitUntil("the key server to answer", [&] { return keys.GetKeyCount() >= 0; });
}

// A suite on one installation for all its tests: the engine library, the
// key server and the suite's `Suite::kPrograms` side by side in a fresh
// folder, with a client of that key server. The options file lives beside
// the programs and is removed before each test; `data` is each test's own
// folder.
template <typename Suite> class InstalledSuite : public testing::Test {
protected:
  static void SetUpTestSuite() {
    install = new TempDir;
    installPrograms(install->path(), {"velldll.dll", "vellserver.exe"});
    for (const char* program : Suite::kPrograms)
      installPrograms(install->path(), {program});
    keys = new keyserver::KeyServerClient;
    connectKeys();
  }
  static void TearDownTestSuite() {
    keys->ShutdownKeyServer();
    delete keys;
    delete install;
  }

  void SetUp() override {
    std::error_code ignored;
    fs::remove(optionsFile(), ignored);
  }

  // Connects `keys` to the installation's key server, starting it.
  static void connectKeys() {
    EXPECT_TRUE(connectKeyServer(*keys, install->path().string()));
  }

  static std::string optionsFile() {
    return (install->path() / "Ravelock_options.xml").string();
  }
  static options::OptionsLocation optionsAt() {
    return {optionsFile(), options::OptionsSectionName()};
  }

  // Where a scenario program writes its answer.
  std::string resultFile() const { return data.file("result.txt"); }

  // Starts `program` of the installation as `program ARGUMENTS "LIST"
  // "RESULT"`, LIST holding `items` one a line; a result of an earlier run
  // is removed first.
  std::unique_ptr<Process> startWithList(const char* program,
                                         const std::string& arguments,
                                         const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items)
      list += item + "\r\n";
    writeFile(data.file("list.txt"), list);
    std::error_code ignored;
    fs::remove(resultFile(), ignored);
    const std::string command = "\"" + (install->path() / program).string() + "\" " +
                                arguments + " \"" + data.file("list.txt") + "\" \"" +
                                resultFile() + "\"";
    auto process = std::make_unique<Process>(wide(command), install->path().wstring());
    const DWORD error = GetLastError();
    EXPECT_TRUE(process->started()) << command << " (error " << error << ")";
    return process;
  }

  static inline TempDir* install = nullptr;
  static inline keyserver::KeyServerClient* keys = nullptr;
  TempDir data;
};

} // namespace ravelock::gui
