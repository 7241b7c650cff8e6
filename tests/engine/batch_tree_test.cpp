// Batch runs over a tree of files as users have them: nested folders, mixed
// sizes, hidden and read-only files, names with spaces, "%" and bytes beyond
// ASCII, all through the engine's own file calls so names stay in the
// system's code page.

#include "engine/batch/folder_walk.h"
#include "engine/batch/jobs.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/target_naming.h"
#include "platform/directory.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "support/fault_hooks.h"
#include "support/key_record.h"
#include "support/scripted_link.h"
#include "support/shell_link_reader.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ravelock::engine {
namespace {

using namespace platform;
using test::ScriptedLink;
using test::TempDir;

constexpr char kAccented[] = "caf\xc3\xa9"; // paths are UTF-8 on every system

std::string join(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}

void writeAnsi(const std::string& path, const std::string& content) {
  File f =
      File::open(path.c_str(), Access::Write, Share::None, Disposition::CreateAlways);
  std::size_t written = 0;
  ASSERT_TRUE(f.isOpen()) << path;
  ASSERT_TRUE(f.write(std::as_bytes(std::span(content.data(), content.size())), written));
}

std::string readAnsi(const std::string& path) {
  File f = File::open(path.c_str(), Access::Read, Share::Read, Disposition::OpenExisting);
  std::uint64_t size = 0;
  if (!f.isOpen() || !f.size(size))
    return "<missing>";
  std::string content(size, '\0');
  std::size_t got = 0;
  readFully(f, std::as_writable_bytes(std::span(content.data(), content.size())), got);
  return content;
}

// Calls `onFile(path, relative path, entry)` for every file under `folder`.
template <typename OnFile>
void forEachFileUnder(const std::string& folder, OnFile onFile,
                      const std::string& prefix = "") {
  const auto listing = listDirectory(folder + kPathSeparator, "*.*");
  for (const DirectoryEntry& e : *listing) {
    if (e.name == "." || e.name == "..")
      continue;
    const std::string path = join(folder, e.name);
    if (e.attributes & kAttrDirectory)
      forEachFileUnder(path, onFile, prefix + e.name + "/");
    else
      onFile(path, prefix + e.name, e);
  }
}

// Every file under `folder`: relative path -> content, marked when read-only.
std::map<std::string, std::string> filesUnder(const std::string& folder) {
  std::map<std::string, std::string> files;
  forEachFileUnder(folder, [&](const std::string& path, const std::string& relative,
                               const DirectoryEntry& e) {
    files[relative] = readAnsi(path) + ((e.attributes & kAttrReadOnly) ? "[ro]" : "");
  });
  return files;
}

// A tree of about two hundred files in three levels.
std::string makeTree(const TempDir& dir) {
  const std::string top = dir.file("tree");
  int n = 0;
  std::vector<std::string> folders = {top};
  createFolder(top);
  for (const std::string& sub :
       {std::string("sub one"), std::string("100% sure"), std::string(kAccented)}) {
    folders.push_back(join(top, sub));
    createFolder(folders.back());
    folders.push_back(join(folders.back(), "deeper"));
    createFolder(folders.back());
  }
  for (const std::string& folder : folders) {
    for (int i = 0; i < 28; ++i, ++n) {
      const std::string name =
          (i % 5 == 0 ? std::string("name with spaces ") : std::string("f")) +
          std::to_string(i) + (i % 7 == 0 ? std::string(kAccented) : "") + ".dat";
      const std::size_t size = (n * 7919u) % (i % 9 == 0 ? 70000u : 700u);
      std::string content(size, '\0');
      for (std::size_t k = 0; k < size; ++k)
        content[k] = static_cast<char>((k * 31 + n) & 0xFF);
      const std::string path = join(folder, name);
      writeAnsi(path, content);
      if (i % 6 == 0)
        setAttributes(path.c_str(), kAttrReadOnly);
#ifdef _WIN32
      if (i % 8 == 0)
        setAttributes(path.c_str(), kAttrHidden);
#endif
    }
  }
  return top;
}

struct TreeRun : ScriptedLink {
  std::string report;
  TreeRun() {
    answer = [this](const test::Message& m) -> std::intptr_t {
      if (m.id == UM_RUN_RESULT)
        report = reportText(*reinterpret_cast<const ErrorList*>(m.wParam));
      if (m.id == UM_ASK_KEY) {
        auto* request = reinterpret_cast<KeyRequest*>(m.wParam);
        std::memcpy(request->key->key, "tree key", 8);
        request->key->length = 8;
        return 1;
      }
      return onMessage ? onMessage(m) : 0;
    };
  }
  std::function<std::intptr_t(const test::Message&)> onMessage;
};

void encryptItems(const std::string& list, int count, int subfolders, int deleteOriginal,
                  TreeRun& link) {
  const KeyRecord key = test::keyRecord("tree key");
  EncryptJob job;
  job.items = list.c_str();
  job.count = count;
  job.key = &key;
  job.progress = &link;
  job.subfolders = subfolders;
  job.deleteOriginal = deleteOriginal;
  encryptWorker(job);
}

void decryptItems(const std::string& list, int count, int subfolders, int deleteOriginal,
                  TreeRun& link) {
  char lastTarget[kMaxPath] = {};
  DecryptJob job;
  job.items = list.c_str();
  job.count = count;
  job.progress = &link;
  job.subfolders = subfolders;
  job.deleteOriginal = deleteOriginal;
  job.lastTarget = lastTarget;
  decryptWorker(job);
}

std::string one(const std::string& item) {
  return item + '\0' + '\0';
}

void clearReadOnly(const std::string& folder) {
  forEachFileUnder(
      folder, [](const std::string& path, const std::string&, const DirectoryEntry&) {
        setAttributes(path.c_str(), kAttrNormal);
      });
}

TEST(BatchTree, RoundTripWithAndWithoutSubfoldersKeepAndNot) {
  for (int subfolders : {0, 1}) {
    for (int deleteOriginal : {0, 1}) {
      SCOPED_TRACE(testing::Message()
                   << "subfolders " << subfolders << ", delete " << deleteOriginal);
      TempDir dir;
      const std::string top = makeTree(dir);
      const auto before = filesUnder(top);
      ASSERT_GT(before.size(), 190u);
      TreeRun encrypting;
      encryptItems(one(top), 1, subfolders, deleteOriginal, encrypting);
      EXPECT_EQ(encrypting.report, "");
      const auto encrypted = filesUnder(top);
      for (const auto& [path, content] : before) {
        const bool inScope = subfolders || path.find('/') == std::string::npos;
        EXPECT_EQ(encrypted.count(path + ".rlk"), inScope ? 1u : 0u) << path;
        EXPECT_EQ(encrypted.count(path), inScope && deleteOriginal ? 0u : 1u) << path;
      }
#ifdef _WIN32
      // Every folder that had a file has a shortcut that decrypts it.
      std::string target, arguments, application;
      ASSERT_TRUE(engineFolder(application));
      ASSERT_TRUE(test::readShellLink(join(top, kFolderShortcutName), target, arguments));
      EXPECT_EQ(target, application + "vellapp.exe");
      EXPECT_EQ(arguments, "/df \"" + top + "\"");
      EXPECT_EQ(
          encrypted.count(std::string(kAccented) + "/deeper/" + kFolderShortcutName),
          subfolders ? 1u : 0u);
#endif
      TreeRun decrypting;
      decryptItems(one(top), 1, subfolders, 1, decrypting);
      EXPECT_EQ(decrypting.report, "");
      auto after = filesUnder(top);
      EXPECT_EQ(after, before);
      clearReadOnly(top);
    }
  }
}

TEST(BatchTree, ShortcutOnlyWhereAFileWasEncryptedOrSkipped) {
  TempDir dir;
  const std::string failing = dir.file("failing"), skipping = dir.file("skipping");
  createFolder(failing);
  createFolder(skipping);
  writeAnsi(join(failing, "a.txt"), "a");
  writeAnsi(join(skipping, "b.txt"), "b");
  writeAnsi(join(skipping, "b.txt.rlk"), "old");
  {
    // Every file of the folder fails to open.
    test::FailNth fail(Op::Open, 1);
    TreeRun link;
    encryptItems(one(failing), 1, 0, 0, link);
    EXPECT_EQ(link.report,
              "Unable to open source file.  >>\"" + join(failing, "a.txt") + "\"\r\n");
  }
  EXPECT_FALSE(pathExists(join(failing, kFolderShortcutName).c_str()));
  TreeRun skip;
  skip.onMessage = [](const test::Message& m) {
    return m.id == UM_TARGET_EXISTS ? 1 : 0;
  };
  encryptItems(one(skipping), 1, 0, 0, skip);
  EXPECT_EQ(skip.report, "");
#ifdef _WIN32
  EXPECT_TRUE(pathExists(join(skipping, kFolderShortcutName).c_str()));
#endif
}

TEST(BatchTree, EncryptingAFolderTwiceEncryptsItsEncryptedFiles) {
  TempDir dir;
  const std::string folder = dir.file("twice");
  createFolder(folder);
  writeAnsi(join(folder, "x.txt"), "x");
  for (int round = 0; round < 2; ++round) {
    TreeRun link;
    encryptItems(one(folder), 1, 0, 1, link);
    EXPECT_EQ(link.report, "");
  }
  const auto files = filesUnder(folder);
  EXPECT_EQ(files.count("x.txt.rlk"), 1u);
  EXPECT_EQ(files.count("x.txt"), 0u);
#ifdef _WIN32
  EXPECT_EQ(files.count(std::string(kFolderShortcutName) + ".rlk"), 1u);
  EXPECT_EQ(files.count(kFolderShortcutName), 1u);
#endif
  // Two decryptions give the file back.
  for (int round = 0; round < 2; ++round) {
    TreeRun link;
    decryptItems(one(folder), 1, 0, 1, link);
  }
  EXPECT_EQ(readAnsi(join(folder, "x.txt")), "x");
}

TEST(BatchTree, SkipEndsOnlyTheFileAtHand) {
  TempDir dir;
  const std::string a = dir.file("a.bin"), b = dir.file("b.bin");
  writeAnsi(a, std::string(200000, 'a'));
  writeAnsi(b, std::string(200000, 'b'));
  TreeRun link;
  link.stopAtPoll = 3; // the Skip button during the first file
  encryptItems(a + '\0' + b + '\0' + '\0', 2, 0, 1, link);
  EXPECT_EQ(link.report, "");
  EXPECT_EQ(readAnsi(a), std::string(200000, 'a'));
  EXPECT_FALSE(pathExists((a + ".rlk").c_str()));
  EXPECT_TRUE(pathExists((b + ".rlk").c_str()));
}

#ifdef _WIN32
TEST(BatchTree, AShortNameItemIsProcessedUnderItsLongName) {
  TempDir dir;
  const std::string longName = dir.file("a rather long file name.text");
  writeAnsi(longName, "long");
  char shortName[MAX_PATH];
  const DWORD n = GetShortPathNameA(longName.c_str(), shortName, MAX_PATH);
  if (n == 0 || longName == shortName)
    GTEST_SKIP() << "no short names on this volume";
  const std::string other = dir.file("other.txt");
  writeAnsi(other, "other");
  std::vector<std::string> sources;
  TreeRun link;
  link.onMessage = [&](const test::Message& m) {
    if (m.id == UM_SET_SOURCE)
      sources.push_back(reinterpret_cast<const char*>(m.wParam));
    return std::intptr_t{0};
  };
  encryptItems(std::string(shortName) + '\0' + other + '\0' + '\0', 2, 0, 0, link);
  ASSERT_EQ(sources.size(), 2u);
  EXPECT_EQ(sources[0], longName);
  EXPECT_TRUE(pathExists((longName + ".rlk").c_str()));
  EXPECT_TRUE(pathExists((other + ".rlk").c_str()));
}
#endif

} // namespace
} // namespace ravelock::engine
