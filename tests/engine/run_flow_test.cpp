#include "engine/batch/run_flow.h"
#include "options/options.h"
#include "platform/filesystem.h"
#include "support/key_record.h"
#include "support/scripted_link.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace ravelock::engine {
namespace {

using test::TempDir;

// The key dialog answers from a script; the progress dialog runs the
// worker on the spot.
struct FakeDialogs : EncryptionDialogs {
  bool ok = true;
  RunChoices answer;
  RunChoices shown;
  int progressShown = 0;
  bool askKey(const char*, int, bool, RunChoices& choices, KeyRecord& key,
              std::string&) override {
    shown = choices;
    if (!ok)
      return false;
    choices = answer;
    key = test::keyRecord("flow key", "Flow");
    return true;
  }
  void showProgress(EncryptJob& job) override {
    ++progressShown;
    test::ScriptedLink link;
    job.progress = &link;
    encryptWorker(job);
  }
};

TEST(CryptFilesFlow, OptionsAreWrittenBackOnlyWhenChanged) {
  TempDir dir;
  const options::OptionsLocation at{dir.file("Ravelock_options.xml"), "tester"};
  const std::string file = dir.file("a.txt");
  test::writeFile(file, "a");
  const std::string items = file + '\0' + '\0';
  std::vector<std::string> stored;
  auto store = [&](const KeyRecord& k) { stored.emplace_back(k.key, k.length); };

  FakeDialogs cancel;
  cancel.ok = false;
  EXPECT_EQ(cryptFilesFlow(items.c_str(), 1, cancel, at, store), 1);
  EXPECT_EQ(cancel.progressShown, 0);
  EXPECT_FALSE(platform::pathExists(at.file.c_str())); // nothing written

  FakeDialogs same;
  same.answer = {false, true, true}; // remember off: a change
  EXPECT_EQ(cryptFilesFlow(items.c_str(), 1, same, at, store), 0);
  EXPECT_TRUE(same.shown.remember && same.shown.keep && same.shown.subfolders);
  EXPECT_TRUE(stored.empty());
  EXPECT_FALSE(options::getRememberKeys(true, true, at));
  EXPECT_TRUE(platform::pathExists((file + ".rlk").c_str()));

  FakeDialogs remember;
  remember.answer = {true, false, true};
  platform::deleteFile((file + ".rlk").c_str());
  EXPECT_EQ(cryptFilesFlow(items.c_str(), 1, remember, at, store), 0);
  EXPECT_EQ(stored, std::vector<std::string>{"flow key"});
  EXPECT_TRUE(options::getRememberKeys(true, false, at));
  EXPECT_FALSE(options::getKeepFile(true, true, at));
  EXPECT_FALSE(platform::pathExists(file.c_str())); // not kept
  // The decryption choices are untouched.
  EXPECT_TRUE(options::getKeepFile(false, true, at));

  FakeDialogs none;
  EXPECT_EQ(cryptFilesFlow(nullptr, 1, none, at, store), -1);
  EXPECT_EQ(cryptFilesFlow(items.c_str(), 0, none, at, store), -1);
}

} // namespace
} // namespace ravelock::engine
