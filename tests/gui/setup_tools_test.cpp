// vellsetup and velluninst as the user meets them: their questions answered
// by the driver, their exit codes, and what they leave. Screenshots of the
// questions go to build/screens.

#include <windows.h>

#include "gui/suite.h"
#include "platform/filesystem.h"
#include "setup/older_installation.h"
#include "setup/removal.h"
#include "setup/uninstall_data.h"

namespace ravelock::gui {
namespace {

constexpr char kTestKey[] = "Software\\RavelockSetupTest";
constexpr DWORD kExitMs = 20000;

platform::Registry& registry() {
  return platform::systemRegistry();
}

// An installation in a fresh folder: two files, a registry key with a
// subkey, and the data file that lists them.
class SetupTool : public ::testing::Test {
protected:
  void SetUp() override {
    folder = dir.file("Ravelock Test");
    fs::create_directories(folder);
    writeFile(in("app.dll"), "app");
    writeFile(in("notes.txt"), "notes");
    ASSERT_EQ(
        registry().createKey(RegistryRoot::CurrentUser, std::string(kTestKey) + "\\Sub"),
        RegistryStatus::Ok);
    data.caption = fs::path(kUninstallCaption).string();
    data.question = "Remove the Ravelock test installation?";
    data.allRemovedMessage = "The test installation was removed.";
    data.somethingLeftMessage = "Something of the test installation was left.";
    data.program1ErrorText = "The clean-up program could not be started.";
    data.ownPath = in("velluninst.exe");
    data.entries = {
        {setup::kEntryFile, 0, 0, "", in("app.dll")},
        {setup::kEntryFile, 0, 0, "", in("notes.txt")},
        {setup::kEntryFile, 0, 0, "", in("velluninst.exe")},
        {setup::kEntryRegistry, 1, setup::kHiveCurrentUser, "", kTestKey},
    };
  }
  void TearDown() override { registry().deleteTree(RegistryRoot::CurrentUser, kTestKey); }

  std::string in(const std::string& name) const { return folder + "\\" + name; }
  std::string dataPath() const { return in("Ravelock.uds"); }
  void save() { ASSERT_TRUE(setup::writeUninstallDataFile(dataPath(), data)); }
  bool installed() const {
    return fs::exists(in("app.dll")) && keyExists(RegistryRoot::CurrentUser, kTestKey);
  }

  // velluninst placed in the temporary folder, where it works in place.
  std::string temporaryTool() const {
    const std::string copy = platform::temporaryFolder() + "velluninst.exe";
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::copy_file(fs::path(self).parent_path() / "velluninst.exe", copy,
                  fs::copy_options::overwrite_existing);
    return copy;
  }

  TempDir dir;
  std::string folder;
  setup::UninstallData data;
};

// Yes removes everything; the question and the closing message come from
// the process started, which did not copy itself again.
TEST_F(SetupTool, FromTheTemporaryFolderItWorksInPlace) {
  save();
  Process tool(L"\"" + wide(temporaryTool()) + L"\" \"" + wide(dataPath()) + L"\"",
               dir.path().wstring());
  ASSERT_TRUE(tool.started());
  HWND question =
      waitForWindow(tool.id(), kUninstallCaption, kWindowTimeoutMs, kDialogClass);
  screenshot(question, "velluninst_question");
  EXPECT_EQ(answerMessageBox(tool.id(), IDYES, kUninstallCaption),
            L"Remove the Ravelock test installation?");
  HWND done = waitForWindow(tool.id(), kUninstallCaption, kWindowTimeoutMs, kDialogClass);
  screenshot(done, "velluninst_removed");
  EXPECT_EQ(answerMessageBox(tool.id(), IDOK, kUninstallCaption),
            L"The test installation was removed.");
  ASSERT_TRUE(tool.waitForExit(kExitMs));
  EXPECT_EQ(tool.exitCode(), 0u);
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(keyExists(RegistryRoot::CurrentUser, kTestKey));
}

TEST_F(SetupTool, ExitCodesOfTheUninstaller) {
  const std::string tool = temporaryTool();
  struct Case {
    const char* name;
    std::string program1; // empty: none
    std::string arguments;
    std::uint8_t failureMode;
    std::vector<int> answers; // buttons pressed, in order
    DWORD exit;
    bool removed;
  };
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::string cmdPath = fs::path(system).string() + "\\cmd.exe";
  const std::string missing = "C:\\no such folder\\vellapp.exe";
  using namespace setup;
  const Case cases[] = {
      {"No", "", "", 0, {IDNO}, kExitDeclined, false},
      {"missing program, stop with text",
       missing,
       "",
       kFailureStops | kFailureShowsText,
       {IDYES, IDOK},
       kExitProgram1NotStartedShown,
       false},
      {"missing program, stop",
       missing,
       "",
       kFailureStops,
       {IDYES},
       kExitProgram1NotStarted,
       false},
      {"missing program, text and on",
       missing,
       "",
       kFailureShowsText,
       {IDYES, IDOK, IDOK},
       kExitDone,
       true},
      {"program ends with 7",
       cmdPath,
       "/c exit 7",
       kFailureStops,
       {IDYES},
       kExitProgram1Failed,
       false},
      {"program ends with 0",
       cmdPath,
       "/c exit 0",
       kFailureStops,
       {IDYES, IDOK},
       kExitDone,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    data.flags = c.program1.empty() ? 0 : kRunProgram1;
    data.program1Path = c.program1;
    data.program1Arguments = c.arguments;
    data.program1FailureMode = c.failureMode;
    save();
    Process run(L"\"" + wide(tool) + L"\" \"" + wide(dataPath()) + L"\"",
                dir.path().wstring());
    ASSERT_TRUE(run.started());
    for (int button : c.answers) {
      EXPECT_NE(answerMessageBox(run.id(), button, kUninstallCaption), L"") << button;
    }
    ASSERT_TRUE(run.waitForExit(kExitMs));
    EXPECT_EQ(run.exitCode(), c.exit);
    EXPECT_EQ(!installed(), c.removed);
    TearDown();
  }
  // A data file that cannot be opened: 1, and no question.
  Process run(L"\"" + wide(tool) + L"\" \"" + wide(in("missing.uds")) + L"\"",
              dir.path().wstring());
  ASSERT_TRUE(run.waitForExit(kExitMs));
  EXPECT_EQ(run.exitCode(), static_cast<DWORD>(kExitCannotOpenData));
}

// vellsetup on the installation values the main program writes.
class SetupProgram : public SetupTool {
protected:
  void TearDown() override {
    registry().deleteTree(RegistryRoot::LocalMachine, setup::kInstallKey);
    SetupTool::TearDown();
  }
  void record(std::uint32_t version) {
    ASSERT_EQ(registry().createKey(RegistryRoot::LocalMachine, setup::kInstallKey),
              RegistryStatus::Ok);
    registry().writeDword(RegistryRoot::LocalMachine, setup::kInstallKey,
                          setup::kProgramVersionValue, version);
    registry().writeString(RegistryRoot::LocalMachine, setup::kInstallKey,
                           setup::kProgramPathValue, folder);
  }
  std::unique_ptr<Process> start() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path program = fs::path(self).parent_path() / "vellsetup.exe";
    return std::make_unique<Process>(L"\"" + program.wstring() + L"\"",
                                     dir.path().wstring());
  }
  // Ends without asking anything.
  void expectNoQuestion() {
    auto setup = start();
    ASSERT_TRUE(setup->waitForExit(kExitMs));
    EXPECT_EQ(setup->exitCode(), static_cast<DWORD>(setup::kSetupGoesOn));
    EXPECT_TRUE(installed());
  }
};

TEST_F(SetupProgram, CancelNoAndYes) {
  // An own path that no entry lists: the setup keeps it.
  data.ownPath = in("old-uninstaller.exe");
  writeFile(data.ownPath, "old");
  save();
  record(1);
  const std::wstring installer = wide(setup::kInstallerCaption);
  {
    auto setup = start();
    HWND question = waitForWindow(setup->id(), installer, kWindowTimeoutMs, kDialogClass);
    screenshot(question, "vellsetup_question");
    const std::wstring text = answerMessageBox(setup->id(), IDCANCEL, installer);
    EXPECT_NE(text.find(L"Install folder: " + wide(folder) + L"\\\n"), std::wstring::npos)
        << text;
    ASSERT_TRUE(setup->waitForExit(kExitMs));
    EXPECT_EQ(setup->exitCode(), static_cast<DWORD>(setup::kSetupCancelled));
    EXPECT_TRUE(installed());
  }
  {
    auto setup = start();
    EXPECT_NE(answerMessageBox(setup->id(), IDNO, installer), L"");
    ASSERT_TRUE(setup->waitForExit(kExitMs));
    EXPECT_EQ(setup->exitCode(), static_cast<DWORD>(setup::kSetupGoesOn));
    EXPECT_TRUE(installed());
  }
  {
    auto setup = start();
    EXPECT_NE(answerMessageBox(setup->id(), IDYES, installer), L"");
    EXPECT_EQ(answerMessageBox(setup->id(), IDYES, kUninstallCaption),
              L"Remove the Ravelock test installation?");
    // The own path named in the data file stays, so the folder does too.
    EXPECT_EQ(answerMessageBox(setup->id(), IDOK, kUninstallCaption),
              L"Something of the test installation was left.");
    ASSERT_TRUE(setup->waitForExit(kExitMs));
    EXPECT_EQ(setup->exitCode(), static_cast<DWORD>(setup::kSetupGoesOn));
    EXPECT_FALSE(installed());
    EXPECT_FALSE(fs::exists(dataPath()));
    EXPECT_TRUE(fs::exists(data.ownPath));
  }
}

TEST_F(SetupProgram, NothingOlderToRemove) {
  save();
  record(2);
  expectNoQuestion();
  // Version 1, but only a data file larger than 4000 bytes.
  fs::remove(dataPath());
  data.question.assign(2040, 'q');
  data.allRemovedMessage.assign(2040, 'a');
  ASSERT_TRUE(setup::writeUninstallDataFile(in("big.uds"), data));
  record(1);
  expectNoQuestion();
}

} // namespace
} // namespace ravelock::gui
