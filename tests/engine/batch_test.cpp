#include "engine/batch/error_list.h"
#include "engine/batch/folder_walk.h"
#include "engine/batch/jobs.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/target_naming.h"
#include "platform/filesystem.h"
#include "support/fault_hooks.h"
#include "support/key_record.h"
#include "support/scripted_link.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace ravelock::engine {
namespace {

using test::readFile;
using test::ScriptedLink;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

std::string itemList(const std::vector<std::string>& items) {
  std::string list;
  for (const auto& item : items)
    list += item + '\0';
  return list + '\0';
}

// Records what a run shows: the sources in order, the report, the end.
struct RunRecorder : ScriptedLink {
  RunRecorder() {
    answer = [this](const test::Message& m) -> std::intptr_t {
      if (m.id == UM_SET_SOURCE)
        sources.push_back(
            fs::path(reinterpret_cast<const char*>(m.wParam)).filename().string());
      if (m.id == UM_RUN_RESULT)
        report = reportText(*reinterpret_cast<const ErrorList*>(m.wParam));
      if (m.id == UM_QUERY_ABORT)
        return abortAfter > 0 && ++queries >= abortAfter ? 1 : 0;
      if (m.id == UM_ASK_KEY) {
        ++keyQuestions;
        auto* request = reinterpret_cast<KeyRequest*>(m.wParam);
        std::memcpy(request->key->key, typedKey.data(), typedKey.size());
        request->key->length = static_cast<std::uint32_t>(typedKey.size());
        return typedKey.empty() ? 0 : 1;
      }
      return 0;
    };
  }
  std::vector<std::string> sources;
  std::string report;
  std::string typedKey;
  int abortAfter = 0, queries = 0, keyQuestions = 0;
};

void runEncryption(const std::string& list, int count, RunRecorder& link, int subfolders,
                   const KeyRecord& key = test::keyRecord("batch", "Batch key")) {
  EncryptJob job;
  job.items = list.c_str();
  job.count = count;
  job.key = &key;
  job.progress = &link;
  job.subfolders = subfolders;
  encryptWorker(job);
  ASSERT_FALSE(link.posted.empty());
  EXPECT_EQ(link.posted.back().id, UM_WORK_DONE);
}

TEST(ItemList, CountAndEmptyItemBothEndTheList) {
  const std::string list = itemList({"a", "b", "c"});
  std::vector<std::string> seen;
  std::vector<int> remaining;
  forEachItem(list.c_str(), 10, [&](const char* item, int left) {
    seen.push_back(item);
    remaining.push_back(left);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(remaining, (std::vector<int>{9, 8, 7}));
  seen.clear();
  forEachItem(list.c_str(), 2, [&](const char* item, int) {
    seen.push_back(item);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

TEST(EncryptRun, MissingItemsAreReportedAndTheRunGoesOn) {
  TempDir dir;
  writeFile(dir.file("real.txt"), "real");
  const std::string list =
      itemList({dir.file("gone1"), dir.file("real.txt"), dir.file("gone2")});
  EXPECT_EQ(containsFolder(list.c_str(), 3), 0);
  RunRecorder link;
  runEncryption(list, 3, link, 0);
  EXPECT_EQ(link.report, "Unable to open source file.  >>\"" + dir.file("gone1") +
                             "\"\r\nUnable to open source file.  >>\"" +
                             dir.file("gone2") + "\"\r\n");
  EXPECT_TRUE(fs::exists(dir.file("real.txt.rlk")));
}

TEST(EncryptRun, FoldersDepthFirstWithOrWithoutSubfolders) {
  for (int subfolders : {0, 1}) {
    TempDir dir;
    fs::create_directories(dir.path() / "top" / "sub" / "empty");
    writeFile(dir.file("top/a.txt"), "a");
    writeFile(dir.file("top/sub/b.txt"), "b");
    const std::string list = itemList({dir.file("top")});
    EXPECT_EQ(containsFolder(list.c_str(), 1), 1);
    RunRecorder link;
    runEncryption(list, 1, link, subfolders);
    const std::vector<std::string> expected =
        subfolders ? std::vector<std::string>{"b.txt", "a.txt"}
                   : std::vector<std::string>{"a.txt"};
    EXPECT_EQ(link.sources, expected);
    EXPECT_EQ(link.report, "");
    EXPECT_EQ(fs::exists(dir.file("top/sub/b.txt.rlk")), subfolders == 1);
#ifdef _WIN32
    // Shortcuts where files were handled; none in a folder without files.
    EXPECT_TRUE(fs::exists(dir.file("top/Decrypt this folder.lnk")));
    EXPECT_EQ(fs::exists(dir.file("top/sub/Decrypt this folder.lnk")), subfolders == 1);
    EXPECT_FALSE(fs::exists(dir.file("top/sub/empty/Decrypt this folder.lnk")));
#endif
  }
}

TEST(EncryptRun, AFolderThatCannotBeListedIsAFailureOfThatItem) {
  TempDir dir;
  fs::create_directories(dir.path() / "locked");
  writeFile(dir.file("after.txt"), "after");
  const std::string list = itemList({dir.file("locked"), dir.file("after.txt")});
  RunRecorder link;
  {
    test::FailNth fail(platform::Op::ListDirectory, 1);
    runEncryption(list, 2, link, 1);
  }
  EXPECT_EQ(link.report,
            "Unable to open source file.  >>\"" + dir.file("locked") + "\"\r\n");
  EXPECT_TRUE(fs::exists(dir.file("after.txt.rlk")));
}

TEST(EncryptRun, AbortAndInternalErrorsEndTheRun) {
  TempDir dir;
  for (const char* name : {"1.txt", "2.txt", "3.txt"})
    writeFile(dir.file(name), name);
  const std::string list =
      itemList({dir.file("1.txt"), dir.file("2.txt"), dir.file("3.txt")});
  RunRecorder aborting;
  aborting.abortAfter = 1;
  runEncryption(list, 3, aborting, 0);
  EXPECT_EQ(aborting.sources, std::vector<std::string>{"1.txt"});

  RunRecorder internal;
  runEncryption(list, 3, internal, 0, KeyRecord{});
  const auto query = std::find_if(internal.sent.begin(), internal.sent.end(),
                                  [](const auto& m) { return m.id == UM_QUERY_ABORT; });
  ASSERT_NE(query, internal.sent.end());
  EXPECT_EQ(query->wParam, 10u);
  EXPECT_EQ(query->lParam, 818);
  EXPECT_EQ(std::count_if(internal.sent.begin(), internal.sent.end(),
                          [](const auto& m) { return m.id == UM_QUERY_ABORT; }),
            1);
}

TEST(DecryptRun, OneTypedKeyServesTheWholeFolder) {
  TempDir dir;
  fs::create_directories(dir.path() / "f");
  for (const char* name : {"a.txt", "b.txt", "c.bak"})
    writeFile(dir.file(std::string("f/") + name), name);
  RunRecorder encrypting;
  runEncryption(itemList({dir.file("f")}), 1, encrypting, 0,
                test::keyRecord("typed", "Batch key"));
  fs::rename(dir.file("f/a.txt.rlk"), dir.file("f/a.txt.RLK"));
  fs::rename(dir.file("f/c.bak.rlk"), dir.file("f/c.rlk.bak"));

  char lastTarget[kMaxPath] = {};
  DecryptJob job;
  const std::string list = itemList({dir.file("f")});
  job.items = list.c_str();
  job.count = 1;
  job.lastTarget = lastTarget;
  job.deleteOriginal = 1;
  RunRecorder link;
  link.typedKey = "typed";
  job.progress = &link;
  decryptWorker(job);
  EXPECT_EQ(link.keyQuestions, 1);
  EXPECT_EQ(link.report, "");
  EXPECT_EQ(readFile(dir.file("f/a.txt")), "a.txt");
  EXPECT_EQ(readFile(dir.file("f/b.txt")), "b.txt");
  EXPECT_TRUE(fs::exists(dir.file("f/c.rlk.bak"))); // not an encrypted name
  // The last file decrypted, in the order the folder was listed.
  EXPECT_TRUE(fs::path(lastTarget) == dir.path() / "f" / "a.txt" ||
              fs::path(lastTarget) == dir.path() / "f" / "b.txt")
      << lastTarget;
  // The shortcut goes once no encrypted file is left.
  EXPECT_FALSE(fs::exists(dir.file("f/Decrypt this folder.lnk")));
}

TEST(DecryptRun, FailuresCarryTheDecryptionTexts) {
  TempDir dir;
  writeFile(dir.file("short.rlk"), "too short");
  char lastTarget[kMaxPath] = "stale";
  const std::string list = itemList({dir.file("short.rlk")});
  DecryptJob job;
  job.items = list.c_str();
  job.count = 1;
  job.lastTarget = lastTarget;
  RunRecorder link;
  job.progress = &link;
  decryptWorker(job);
  EXPECT_EQ(link.report, "File is too small to be decrypted.  >>\"" +
                             dir.file("short.rlk") + "\"\r\n");
  EXPECT_EQ(lastTarget[0], '\0');
}

TEST(FolderWalk, ClassifiesEntries) {
  using platform::DirectoryEntry;
  EXPECT_EQ(classifyFindEntry(DirectoryEntry{"a.txt", platform::kAttrArchive}), 1);
  EXPECT_EQ(classifyFindEntry(DirectoryEntry{".", platform::kAttrDirectory}), -1);
  EXPECT_EQ(classifyFindEntry(DirectoryEntry{"..", platform::kAttrDirectory}), -1);
  EXPECT_EQ(classifyFindEntry(DirectoryEntry{"sub", platform::kAttrDirectory}), 0);
}

} // namespace
} // namespace ravelock::engine
