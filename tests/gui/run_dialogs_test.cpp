// The run dialogs as a user meets them: each scenario runs in its own
// process (gui_host, calling the engine library as the main program does)
// in a virtual desktop, and the test answers its dialogs and checks the
// files on disk afterwards. Screenshots of every dialog go to
// build/screens.

// Before the engine's headers, which undo its EncryptFile macro.
#include <windows.h>

#include "engine/files/encrypt_file.h"
#include "gui/driver.h"
#include "keyserver/client.h"
#include "options/options.h"
#include "resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace ravelock;
using namespace ravelock::gui;
using test::readFile;
using test::TempDir;
using test::writeFile;

constexpr char kKey[] = "gui secret";
constexpr char kKeyName[] = "gui key";

std::wstring wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::string screenshotPath(const char* dialogClass) {
  fs::create_directories(RAVELOCK_SCREENS_DIR);
  return std::string(RAVELOCK_SCREENS_DIR) + "/" + dialogClass + ".png";
}

void screenshot(HWND window, const char* dialogClass) {
  ASSERT_NE(window, nullptr) << dialogClass;
  EXPECT_TRUE(saveScreenshot(window, wide(screenshotPath(dialogClass)))) << dialogClass;
}

KeyRecord guiKey() {
  KeyRecord key{};
  std::memcpy(key.key, kKey, sizeof kKey - 1);
  key.length = sizeof kKey - 1;
  std::strcpy(key.name, kKeyName);
  return key;
}

// `path` + ".rlk" holding `content`, encrypted under the remembered key;
// nothing else is left.
void makeEncrypted(const std::string& path, const std::string& content) {
  writeFile(path, content);
  const KeyRecord key = guiKey();
  ASSERT_EQ(engine::EncryptFile(path.c_str(), nullptr, &key, nullptr, 1), 0) << path;
}

std::set<std::string> filesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// The engine library, the key server and the scenario program, installed
// together in one folder as they would be: the options file lives there.
class RunDialogs : public testing::Test {
protected:
  static void SetUpTestSuite() {
    install = new TempDir;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path bin = fs::path(self).parent_path();
    for (const char* name : {"velldll.dll", "vellserver.exe", "gui_host.exe"})
      fs::copy_file(bin / name, install->path() / name);
    keys = new keyserver::KeyServerClient;
    keys->connectFromFolder(install->path().string(), true, nullptr);
    ASSERT_EQ(keys->StoreKey(guiKey()), 1);
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

  static std::string optionsFile() {
    return (install->path() / "Ravelock_options.xml").string();
  }
  static options::OptionsLocation optionsAt() {
    return {optionsFile(), options::OptionsSectionName()};
  }

  // Starts a decryption (or, with a key, an encryption) of `items`.
  std::unique_ptr<Process> start(const std::vector<std::string>& items,
                                 const char* key = nullptr) {
    std::string list;
    for (const std::string& item : items)
      list += item + "\r\n";
    writeFile(data.file("list.txt"), list);
    const std::string command =
        "\"" + (install->path() / "gui_host.exe").string() + "\" " +
        (key ? std::string("encrypt \"") + key + "\" " : std::string("decrypt ")) + "\"" +
        data.file("list.txt") + "\" \"" + data.file("result.txt") + "\"";
    auto process = std::make_unique<Process>(wide(command), install->path().wstring());
    EXPECT_TRUE(process->started());
    return process;
  }

  // The export's answer and last target, once the scenario has ended.
  std::pair<int, std::string> finish(Process& process) {
    EXPECT_TRUE(process.waitForExit(kWindowTimeoutMs));
    EXPECT_EQ(process.exitCode(), 0u);
    std::ifstream in(data.file("result.txt"));
    int answer = -2;
    std::string lastTarget;
    in >> answer;
    in.ignore();
    std::getline(in, lastTarget);
    return {answer, lastTarget};
  }

  // The next of the windows titled `titles`; its index in `which`. Null
  // when the process ended (or nothing came) instead.
  HWND next(Process& process, const std::vector<std::wstring>& titles, int& which) {
    for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += 20) {
      for (std::size_t i = 0; i < titles.size(); ++i)
        if (HWND window = findWindow(process.id(), titles[i])) {
          Sleep(200);
          which = static_cast<int>(i);
          return window;
        }
      if (!process.running())
        return nullptr;
      Sleep(20);
    }
    return nullptr;
  }

  static TempDir* install;
  static keyserver::KeyServerClient* keys;
  TempDir data;
};
TempDir* RunDialogs::install = nullptr;
keyserver::KeyServerClient* RunDialogs::keys = nullptr;

const std::wstring kProgressTitle = L"Decryption progress";
const std::wstring kExistsTitle = L"File already exists";
const std::wstring kSuccessTitle = L"Operation completed successfuly.";
const std::wstring kFailureTitle = L"The operation failed";
const std::wstring kErrorsTitle = L"Errors";

TEST_F(RunDialogs, ConflictInAFolderShowsTheProgressAndTheQuestion) {
  const fs::path folder = data.path() / "folder";
  fs::create_directory(folder);
  const std::string a = (folder / "a.txt").string();
  makeEncrypted(a, "new a");
  writeFile(a, "old a");
  auto host = start({folder.string() + "\\"});

  HWND conflict = waitForWindow(host->id(), kExistsTitle);
  ASSERT_NE(conflict, nullptr);
  HWND progress = findWindow(host->id(), kProgressTitle);
  ASSERT_NE(progress, nullptr);
  // While the question is open the progress shows the conflicting file.
  EXPECT_EQ(itemText(progress, IDC_SOURCE), wide(a));
  EXPECT_EQ(itemText(conflict, IDC_EXISTS_PATH), wide(a));
  EXPECT_EQ(itemText(conflict, IDC_EXISTS_TEXT),
            L"This file already exists.\nWhat woud you like to do?");
  // Files met in a folder can always be skipped.
  EXPECT_TRUE(itemVisible(conflict, IDC_EXISTS_SKIP));
  EXPECT_TRUE(itemVisible(conflict, IDC_EXISTS_REMEMBER));
  EXPECT_TRUE(itemVisible(progress, IDC_SKIP));
  screenshot(progress, "DecryptProgressDialog");
  screenshot(conflict, "TargetExistsDialog");

  click(conflict, IDC_EXISTS_OVERWRITE);
  HWND success = waitForWindow(host->id(), kSuccessTitle);
  ASSERT_NE(success, nullptr);
  EXPECT_EQ(itemText(success, IDC_RESULT_TITLE), L"Success");
  EXPECT_EQ(itemText(success, IDC_RESULT_TEXT),
            L"The operation has completed successfully.");
  EXPECT_FALSE(itemChecked(success, IDC_DONT_SHOW));
  screenshot(success, "SuccessDialog");
  click(success, IDOK);
  const auto [answer, lastTarget] = finish(*host);
  // The last file processed was decrypted.
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(lastTarget, a);
  EXPECT_EQ(readFile(a), "new a");
  EXPECT_EQ(filesIn(folder), (std::set<std::string>{"a.txt", "a.txt.rlk"}));
}

} // namespace
