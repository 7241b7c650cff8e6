// Replaying an uninstall data file on a real folder: what is removed, what
// the user is asked and told, program 1's failure modes, and that nothing is
// touched when the file is refused or the user declines.

#include "platform/filesystem.h"
#include "platform/memory_registry.h"
#include "setup/hostile_files.h"
#include "setup/older_installation.h"
#include "setup/scripted_host.h"
#include "support/fault_hooks.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace ravelock::setup {
namespace {

using namespace fixtures;
namespace fs = std::filesystem;

// An installation: a program folder with a subfolder and the tool, a data
// file listing it all, and a file outside that nothing may touch.
class Installation : public ::testing::Test {
protected:
  void SetUp() override {
    folder = dir.file("inst");
    fs::create_directories(fs::path(folder) / "sub");
    for (const char* name : {"app.exe", "help.chm", "velluninst.exe", "sub/plugin.dll"}) {
      platform::setAttributes(in(name).c_str(), platform::kAttrNormal);
      ravelock::test::writeFile(in(name), name);
    }
    ravelock::test::writeFile(dir.file("protected.txt"), "keep me");
    platform::setAttributes(in("help.chm").c_str(), platform::kAttrReadOnly);
    registry = std::make_unique<platform::MemoryRegistry>();
    using platform::RegistryRoot;
    registry->createKey(RegistryRoot::LocalMachine, "Software\\Uninstall\\Ravelock\\Sub");
    registry->writeString(RegistryRoot::LocalMachine, "Software\\Uninstall", "Keep", "x");
    registry->createKey(RegistryRoot::ClassesRoot, "CLSID\\x");
    registry->writeString(RegistryRoot::ClassesRoot, "CLSID\\x", "ThreadingModel", "A");
    registry->writeString(RegistryRoot::ClassesRoot, "CLSID\\x", "", "default");

    data.flags = kRunProgram1;
    data.ownPath = in("velluninst.exe");
    data.caption = "Ravelock";
    data.question = "Remove Ravelock?";
    data.allRemovedMessage = "All removed.";
    data.somethingLeftMessage = "Something left.";
    data.program1Path = in("app.exe");
    data.program1Arguments = "/lsapp";
    data.program1ErrorText = "Cannot run app.";
    data.entries = {
        {kEntryFile, 0, 0, "", in("app.exe")},
        {kEntryFile, 0, 0, "", in("help.chm")},
        {kEntryFile, 1, 0, "", in("sub/plugin.dll")},
        {kEntryFile, 0, 0, "", in("already-gone.txt")},
        {kEntryRegistry, 1, kHiveLocalMachine, "", "Software\\Uninstall\\Ravelock\\"},
        {kEntryRegistry, 0, kHiveClassesRoot, "ThreadingModel", "CLSID\\x"},
        {kEntryRegistry, 1, 5, "", "Software"},           // no such hive
        {kEntryRegistry, 1, kHiveLocalMachine, "", "\\"}, // never a whole hive
        {9, 0, 0, "", in("ignored")},
    };
  }

  std::string in(const std::string& name) const { return folder + "/" + name; }
  std::string dataPath() const { return in("app.uds"); }
  void save() { ASSERT_TRUE(writeUninstallDataFile(dataPath(), data)); }
  int remove(RemovalMode mode = RemovalMode::Uninstall) {
    return removeInstallation(dataPath(), host, *registry, mode);
  }
  bool exists(const std::string& path) const { return fs::exists(path); }
  bool registryHas(platform::RegistryRoot root, const char* key) const {
    return registry->openKey(root, key, platform::RegistryAccess::Read) ==
           platform::RegistryStatus::Ok;
  }
  bool registryValue(const char* key, const char* name) const {
    std::string value;
    return registry->readString(platform::RegistryRoot::ClassesRoot, key, name, value) ==
           platform::RegistryStatus::Ok;
  }
  bool untouched() const {
    return exists(in("app.exe")) && exists(in("velluninst.exe")) &&
           exists(in("sub/plugin.dll")) &&
           registryHas(platform::RegistryRoot::LocalMachine,
                       "Software\\Uninstall\\Ravelock\\Sub") &&
           registryValue("CLSID\\x", "ThreadingModel") &&
           ravelock::test::readFile(dir.file("protected.txt")) == "keep me";
  }

  ravelock::test::TempDir dir;
  std::string folder;
  UninstallData data;
  fixtures::ScriptedHost host;
  std::unique_ptr<platform::MemoryRegistry> registry;
};

TEST_F(Installation, YesRemovesEverythingAndTheFolder) {
  data.flags |= kRunProgram2;
  data.program2Path = "after.exe";
  data.program2Arguments = "/x";
  save();
  EXPECT_EQ(remove(), kExitDone);
  EXPECT_FALSE(exists(folder));
  EXPECT_EQ(host.questions, std::vector<std::string>{"Remove Ravelock?"});
  ASSERT_EQ(host.runs.size(), 2u);
  EXPECT_EQ(host.runs[0].path, in("app.exe"));
  EXPECT_EQ(host.runs[0].arguments, "/lsapp");
  EXPECT_TRUE(host.runs[0].wait);
  EXPECT_EQ(host.runs[1].path, "after.exe");
  EXPECT_TRUE(host.runs[1].wait);
  EXPECT_EQ(host.sleptMs, kAfterProgram1WaitMs);
  // The whole key with its subkeys; one value, not its key.
  EXPECT_FALSE(
      registryHas(platform::RegistryRoot::LocalMachine, "Software\\Uninstall\\Ravelock"));
  EXPECT_TRUE(registryHas(platform::RegistryRoot::LocalMachine, "Software\\Uninstall"));
  EXPECT_FALSE(registryValue("CLSID\\x", "ThreadingModel"));
  EXPECT_TRUE(registryValue("CLSID\\x", ""));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].first, "All removed.");
  EXPECT_EQ(ravelock::test::readFile(dir.file("protected.txt")), "keep me");
  EXPECT_TRUE(host.sessionEnds.empty());
}

TEST_F(Installation, AFileThatStaysIsReported) {
  const std::string stray = in("user-data.txt"); // not listed: the folder stays
  ravelock::test::writeFile(stray, "x");
  data.entries.push_back({kEntryFile, 0, 0, "", in("sub")}); // a folder: cannot go
  save();
  EXPECT_EQ(remove(), kExitDone);
  EXPECT_TRUE(exists(stray));
  EXPECT_FALSE(exists(in("app.exe")));
  EXPECT_FALSE(exists(dataPath()));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].first, "Something left.");
}

TEST_F(Installation, NoAndAnUnreadableFileTouchNothing) {
  EXPECT_EQ(remove(), kExitCannotOpenData);
  EXPECT_TRUE(host.questions.empty());
  save();
  host.yesNoAnswers = {false};
  EXPECT_EQ(remove(), kExitDeclined);
  EXPECT_TRUE(untouched());
  EXPECT_TRUE(exists(dataPath()));
  EXPECT_TRUE(host.runs.empty());
}

TEST_F(Installation, Program1FailureModes) {
  struct Case {
    int result;
    std::uint8_t mode;
    int exit;
    bool message;
    MessageIcon icon;
  };
  const Case cases[] = {
      {7, kFailureStops | kFailureShowsText, kExitProgram1Failed, false, {}},
      {-2, 0, kExitProgram1Failed, false, {}},
      {kNotStarted, kFailureStops | kFailureShowsText, kExitProgram1NotStartedShown, true,
       MessageIcon::Stop},
      {kNotStarted, kFailureStops, kExitProgram1NotStarted, false, {}},
      {kNotStarted, kFailureShowsText, kExitDone, true, MessageIcon::Information},
      {kNotStarted, 0, kExitDone, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "result " << c.result << " mode " << int(c.mode));
    SetUp();
    data.program1FailureMode = c.mode;
    save();
    host = {};
    host.programResults = {c.result};
    EXPECT_EQ(remove(), c.exit);
    if (c.exit != kExitDone) {
      EXPECT_TRUE(untouched());
    } else {
      EXPECT_FALSE(exists(folder));
    }
    const bool shown =
        !host.messages.empty() && host.messages[0].first == "Cannot run app.";
    EXPECT_EQ(shown, c.message);
    if (c.message && shown) {
      EXPECT_EQ(host.messages[0].second, c.icon);
    }
  }
}

TEST_F(Installation, RestartOrLogoffAndProgram2WithoutWaiting) {
  struct Case {
    std::uint8_t flags;
    bool answer;
    std::vector<std::string> ends;
  };
  const Case cases[] = {
      {kOfferRestart, true, {"restart"}},
      {kOfferRestart | kOfferLogoff, true, {"restart"}},
      {kOfferLogoff, true, {"logoff"}},
      {kOfferLogoff, false, {}},
  };
  for (const Case& c : cases) {
    SetUp();
    data.flags = c.flags | kRunProgram2 | kNoWaitForProgram2;
    data.restartQuestion = "Restart?";
    save();
    host = {};
    host.yesNoAnswers = {true, c.answer};
    EXPECT_EQ(remove(), kExitDone);
    EXPECT_EQ(host.questions.back(), "Restart?");
    EXPECT_EQ(host.sessionEnds, c.ends);
    ASSERT_EQ(host.runs.size(), 1u);
    EXPECT_FALSE(host.runs[0].wait);
  }
}

TEST_F(Installation, SetupModeKeepsTheOwnPathFile) {
  save();
  EXPECT_EQ(remove(RemovalMode::Setup), kExitDone);
  EXPECT_TRUE(exists(in("velluninst.exe")));
  EXPECT_FALSE(exists(in("app.exe")));
  EXPECT_FALSE(exists(dataPath()));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].first, "Something left."); // the folder holds it
}

// The protected file named in a hostile data file survives, and nothing at
// all is removed or run.
TEST_F(Installation, HostileDataFilesAreRefusedBeforeAnythingIsRemoved) {
  const std::string victim = dir.file("protected.txt");
  ASSERT_TRUE(parseUninstallData(handWrittenFile(victim)));
  for (const Hostile& h : hostileCases(victim)) {
    SCOPED_TRACE(h.name);
    Bytes b = handWrittenFile(victim);
    h.spoil(b);
    ravelock::test::writeFile(
        dataPath(), std::string(reinterpret_cast<const char*>(b.data()), b.size()));
    host = {};
    EXPECT_EQ(remove(), kExitCannotOpenData);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(untouched());
    EXPECT_TRUE(exists(dataPath()));
  }
}

// Every failing file operation of a removal leaves the protected file: a
// failed read touches nothing, and the closing message tells truly whether
// something was left.
TEST_F(Installation, FailingFileOperations) {
  const auto prepare = [&] {
    platform::setAttributes(in("help.chm").c_str(), platform::kAttrNormal);
    fs::remove_all(folder);
    SetUp();
    save();
    host = {};
  };
  ravelock::test::forEveryFailurePoint(
      0, prepare, [&] { return remove(); },
      [&](platform::Op op, int, platform::Fault, std::int32_t result) {
        EXPECT_EQ(ravelock::test::readFile(dir.file("protected.txt")), "keep me");
        if (result == kExitCannotOpenData) { // a short read is read on
          EXPECT_TRUE(op == platform::Op::Open || op == platform::Op::Size ||
                      op == platform::Op::Read);
          EXPECT_EQ(result, kExitCannotOpenData);
          EXPECT_TRUE(untouched());
          return;
        }
        EXPECT_EQ(result, kExitDone);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].first,
                  exists(folder) ? "Something left." : "All removed.");
      });
}

TEST(TemporaryCopy, CopiesItselfOnceAndStartsTheCopy) {
  ravelock::test::TempDir installed, temporary;

  const std::string tool = installed.file("velluninst.exe");
  ravelock::test::writeFile(tool, "tool");
  // Restored at the end: the fixtures of later tests live there.
  struct RestoreTemporaryFolder {
    std::string saved = platform::temporaryFolder();
    ~RestoreTemporaryFolder() {
#ifdef _WIN32
      _putenv_s("TMP", saved.c_str());
#else
      setenv("TMPDIR", saved.c_str(), 1);
#endif
    }
  } restore;
#ifdef _WIN32
  _putenv_s("TMP", temporary.path().string().c_str());
#else
  setenv("TMPDIR", temporary.path().c_str(), 1);
#endif
  fixtures::ScriptedHost host;
  ASSERT_TRUE(handOverToTemporaryCopy(tool, "\"C:\\x y\\a.uds\"", host));
  const std::string copy = temporary.file("velluninst.exe");
  EXPECT_EQ(ravelock::test::readFile(copy), "tool");
  ASSERT_EQ(host.runs.size(), 1u);
  EXPECT_EQ(host.runs[0].arguments, "\"C:\\x y\\a.uds\"");
  EXPECT_FALSE(host.runs[0].wait);
  // The copy itself goes on in place.
  EXPECT_FALSE(handOverToTemporaryCopy(copy, "a.uds", host));
  EXPECT_EQ(host.runs.size(), 1u);
  // A copy or start that fails: on in place.
  host.programResults = {0, kNotStarted};
  EXPECT_FALSE(handOverToTemporaryCopy(tool, "a.uds", host));
  {
    ravelock::test::FailNth failCopy(platform::Op::Copy, 1);
    EXPECT_FALSE(handOverToTemporaryCopy(tool, "a.uds", host));
  }
}

} // namespace
} // namespace ravelock::setup
