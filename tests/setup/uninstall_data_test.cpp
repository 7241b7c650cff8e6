// The uninstall data file: the layout byte for byte, the writer and reader
// agreeing, and every hostile file refused whole.

#include "platform/filesystem.h"
#include "setup/hostile_files.h"
#include "setup/uninstall_data.h"
#include "support/fault_hooks.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string_view>

namespace ravelock::setup {
namespace {

using namespace fixtures;

TEST(UninstallData, ReadsEveryFieldOfAHandWrittenFile) {
  const std::optional<UninstallData> data = parseUninstallData(handWrittenFile());
  ASSERT_TRUE(data);
  EXPECT_EQ(data->flags, kRunProgram1 | kRunProgram2);
  EXPECT_EQ(data->ownPath, "C:\\u.exe");
  EXPECT_EQ(data->caption, "Cap");
  EXPECT_EQ(data->question, "Q?");
  EXPECT_EQ(data->allRemovedMessage, "all");
  EXPECT_EQ(data->somethingLeftMessage, "left");
  EXPECT_EQ(data->program1Path, "p1.exe");
  EXPECT_EQ(data->program1Arguments, "/lsapp");
  EXPECT_EQ(data->program1FailureMode, kFailureStops | kFailureShowsText);
  EXPECT_EQ(data->program1ErrorText, "err");
  EXPECT_EQ(data->program2Path, "p2.exe");
  EXPECT_EQ(data->program2Arguments, "");
  EXPECT_EQ(data->restartQuestion, ""); // none without the flags: entries follow
  ASSERT_EQ(data->entries.size(), 3u);
  EXPECT_EQ(data->entries[0].type, kEntryFile);
  EXPECT_EQ(data->entries[0].option, 1);
  EXPECT_EQ(data->entries[0].path, "C:\\d\\f.x");
  EXPECT_EQ(data->entries[1].type, kEntryRegistry);
  EXPECT_EQ(data->entries[1].hive, kHiveLocalMachine);
  EXPECT_EQ(data->entries[1].valueName, "Val");
  EXPECT_EQ(data->entries[1].path, "Sw\\");
  EXPECT_EQ(data->entries[2].type, 7);
  EXPECT_EQ(data->entries[2].path, "z");
}

UninstallData sampleData() {
  UninstallData data;
  data.flags = kRunProgram1 | kOfferRestart | kNoWaitForProgram2;
  data.ownPath = "C:\\Program Files\\Ravelock\\velluninst.exe";
  data.caption = "Ravelock";
  data.question = "Remove?";
  data.allRemovedMessage = "Done.";
  data.somethingLeftMessage = "Some files were left.";
  data.program1Path = "C:\\Program Files\\Ravelock\\vellapp.exe";
  data.program1Arguments = "/lsapp";
  data.program1FailureMode = kFailureShowsText;
  data.program1ErrorText = "Could not run.";
  data.restartQuestion = "Restart now?";
  data.entries = {
      {kEntryFile, 0, 0, "", "C:\\Program Files\\Ravelock\\vellapp.exe"},
      {kEntryRegistry, 1, kHiveLocalMachine, "",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ravelock"},
      {kEntryRegistry, 0, kHiveClassesRoot, "ThreadingModel", "CLSID\\x"},
  };
  return data;
}

bool sameData(const UninstallData& a, const UninstallData& b) {
  auto fields = [](const UninstallData& d) {
    return std::tie(d.flags, d.ownPath, d.caption, d.question, d.allRemovedMessage,
                    d.somethingLeftMessage, d.program1Path, d.program1Arguments,
                    d.program1FailureMode, d.program1ErrorText, d.program2Path,
                    d.program2Arguments, d.restartQuestion);
  };
  if (fields(a) != fields(b) || a.entries.size() != b.entries.size())
    return false;
  for (std::size_t i = 0; i < a.entries.size(); ++i) {
    const UninstallEntry &x = a.entries[i], &y = b.entries[i];
    if (std::tie(x.type, x.option, x.hive, x.valueName, x.path) !=
        std::tie(y.type, y.option, y.hive, y.valueName, y.path))
      return false;
  }
  return true;
}

TEST(UninstallData, WriterAndReaderAgree) {
  const UninstallData data = sampleData();
  const auto bytes = serializeUninstallData(data);
  ASSERT_TRUE(bytes);
  // The own path right behind the fixed fields: X = 2, L = its text's size.
  EXPECT_EQ((*bytes)[5], 2);
  EXPECT_EQ((*bytes)[7], 2 + data.ownPath.size());
  const auto back = parseUninstallData(*bytes);
  ASSERT_TRUE(back);
  EXPECT_TRUE(sameData(*back, data));
}

TEST(UninstallData, WriterRefusesWhatTheReaderWouldRefuse) {
  const std::pair<const char*, std::function<void(UninstallData&)>> cases[] = {
      {"own path", [](UninstallData& d) { d.ownPath.assign(kMaxPathBuffer, 'a'); }},
      {"message", [](UninstallData& d) { d.question.assign(kMaxTextBuffer, 'a'); }},
      {"value name",
       [](UninstallData& d) { d.entries[2].valueName.assign(kMaxValueBuffer, 'a'); }},
      {"entry path",
       [](UninstallData& d) { d.entries[0].path.assign(kMaxPathBuffer, 'a'); }},
      {"zero byte", [](UninstallData& d) { d.caption = std::string("a\0b", 3); }},
  };
  for (const auto& [name, spoil] : cases) {
    UninstallData data = sampleData();
    spoil(data);
    EXPECT_FALSE(serializeUninstallData(data)) << name;
  }
  // The longest texts that fit are written and read back.
  UninstallData data = sampleData();
  data.ownPath.assign(kMaxPathBuffer - 1, 'p');
  data.question.assign(kMaxTextBuffer - 1, 'q');
  data.entries[2].valueName.assign(kMaxValueBuffer - 1, 'v');
  const auto bytes = serializeUninstallData(data);
  ASSERT_TRUE(bytes);
  const auto back = parseUninstallData(*bytes);
  ASSERT_TRUE(back);
  EXPECT_TRUE(sameData(*back, data));
}

TEST(UninstallData, RefusesHostileFilesWhole) {
  ASSERT_TRUE(parseUninstallData(handWrittenFile()));
  for (const Hostile& h : hostileCases()) {
    Bytes b = handWrittenFile();
    h.spoil(b);
    EXPECT_FALSE(parseUninstallData(b)) << h.name;
  }
}

TEST(UninstallDataFile, ReadsAndWritesThroughTheSeam) {
  test::TempDir dir;
  const std::string path = dir.file("app.uds");
  UninstallData data;
  EXPECT_EQ(readUninstallDataFile(path, data), DataFileResult::CannotOpen);
  ASSERT_TRUE(writeUninstallDataFile(path, sampleData()));
  ASSERT_EQ(readUninstallDataFile(path, data), DataFileResult::Ok);
  EXPECT_TRUE(sameData(data, sampleData()));

  {
    test::FailNth failRead(platform::Op::Read, 1);
    EXPECT_EQ(readUninstallDataFile(path, data), DataFileResult::CannotOpen);
  }
  test::writeFile(path, "\x01\x02");
  EXPECT_EQ(readUninstallDataFile(path, data), DataFileResult::Refused);
  test::writeFile(path, std::string(kMaxDataFileSize + 1, '\0'));
  EXPECT_EQ(readUninstallDataFile(path, data), DataFileResult::Refused);
}

// Saving over an older data file: every failure leaves the old bytes and no
// temporary file.
TEST(UninstallDataFile, AFailedSaveKeepsTheOldFile) {
  test::TempDir dir;
  const std::string path = dir.file("app.uds");
  const std::string old = "old data";
  auto prepare = [&] { test::writeFile(path, old); };
  auto run = [&] { return writeUninstallDataFile(path, sampleData()) ? 0 : 1; };
  test::forEveryFailurePoint(
      0, prepare, run, [&](platform::Op, int, platform::Fault, std::int32_t result) {
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& e :
             std::filesystem::directory_iterator(dir.path()))
          ++files;
        EXPECT_EQ(files, 1u);
        if (result != 0)
          EXPECT_EQ(test::readFile(path), old);
        else
          EXPECT_NE(test::readFile(path), old);
      });
}

} // namespace
} // namespace ravelock::setup
