// What a write does to the file it replaces and to what lies around it:
// damaged files, leftovers of crashed writers, a full disk, and natively
// links and permissions.

#include "options/options_fixture.h"
#include "platform/fault_injection.h"
#include "platform/filesystem.h"
#include "platform/system_error.h"
#include "support/file_times.h"

#include <cerrno>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ravelock::options {
namespace {

using XmlStoreReplace = OptionsFileTest;

// A file that does not parse is never rewritten, whether the write would
// replace it whole (its top level element is cut off) or splice into it.
TEST_F(XmlStoreReplace, ADamagedFileIsLeftByteForByte) {
  const std::string_view files[] = {
      // The last end tag lost: the walk finds no users_settings at all.
      "\r\n<users_settings>\r\n<alice>\r\n<fish_size>1</fish_size>\r\n</alice>\r\n"
      "<default>\r\n<fish_start>0</fish_start>\r\n</default>\r\n",
      // An element inside left open.
      "<users_settings><alice><k>1</k></users_settings>",
      // Cut short inside a tag.
      "<users_settings><alice><k>1</k></alice></users_sett",
      // The path is found, but an element after it never ends.
      "<users_settings><default><fish_size>1</fish_size></default></users_settings>"
      "<other>",
  };
  for (std::string_view content : files) {
    store(content);
    EXPECT_EQ(setUnsigned(2, "fish_size"), -2) << content;
    EXPECT_EQ(setUnsigned(2, "fish_size", "bob"), -2) << content;
    EXPECT_EQ(bytes(), content);
    EXPECT_EQ(strayFiles(), 0);
  }
}

TEST_F(XmlStoreReplace, LeftoversOfCrashedWritersNeitherBlockNorStay) {
  ASSERT_EQ(setUnsigned(1, "fish_size"), 0);
  // Every name the earlier writer would have tried, and one of this one's.
  std::vector<std::string> stale;
  for (int n = 0; n < 120; ++n)
    stale.push_back(dir.file("~opt" + std::to_string(n) + ".tmp"));
  stale.push_back(dir.file("~opt0badf00d.tmp"));
  for (const std::string& name : stale) {
    test::writeFile(name, "half a document");
    ASSERT_TRUE(test::setFileTimes(name, test::kKnownTimes));
  }
  // One still being written by another program, and files of other names.
  const std::string live = dir.file("~opt77777777.tmp");
  const std::string others[] = {dir.file("~optional.tmp"), dir.file("~opt1.txt")};
  for (const std::string& name : {live, others[0], others[1]})
    test::writeFile(name, "x");
  for (const std::string& name : others)
    ASSERT_TRUE(test::setFileTimes(name, test::kKnownTimes));

  ASSERT_EQ(setUnsigned(2, "fish_size"), 0);
  std::uint32_t value = 0;
  EXPECT_EQ(getNumber(XML_UNSIGNED, value, "fish_size"), 1);
  EXPECT_EQ(value, 2u);
  for (const std::string& name : stale)
    EXPECT_FALSE(platform::pathExists(name.c_str())) << name;
  for (const std::string& name : {live, others[0], others[1]})
    EXPECT_TRUE(platform::pathExists(name.c_str())) << name;
  EXPECT_EQ(strayFiles(), 3);
}

// A full disk takes part of a write and refuses the rest: the caller hears
// of the full disk, not of whatever error came before.
class FullAfterPart : public platform::FaultHook {
public:
  FullAfterPart() { platform::installFaultHook(this); }
  ~FullAfterPart() { platform::installFaultHook(nullptr); }
  FullAfterPart(const FullAfterPart&) = delete;
  FullAfterPart& operator=(const FullAfterPart&) = delete;
  platform::Fault onCall(platform::Op op) override {
    if (op != platform::Op::Write)
      return platform::Fault::None;
    return ++writes_ == 1 ? platform::Fault::Short : platform::Fault::NoSpace;
  }

private:
  int writes_ = 0;
};

TEST_F(XmlStoreReplace, AFullDiskIsReportedAsFull) {
  ASSERT_EQ(setUnsigned(1, "fish_size"), 0);
  const std::string before = bytes();
  platform::setLastSystemError(0);
  {
    FullAfterPart full;
    ASSERT_EQ(setUnsigned(2, "fish_size"), -1);
  }
#ifdef _WIN32
  EXPECT_EQ(platform::lastSystemError(), 112u); // ERROR_DISK_FULL
#else
  EXPECT_EQ(platform::lastSystemError(), static_cast<std::uint32_t>(ENOSPC));
#endif
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(strayFiles(), 0);
}

#ifndef _WIN32
TEST_F(XmlStoreReplace, ALinkIsWrittenThroughAndStaysALink) {
  test::TempDir elsewhere;
  const std::string real = elsewhere.file("shared.xml");
  const std::string relative = elsewhere.file("relative.xml");
  for (bool absolute : {true, false}) {
    SCOPED_TRACE(absolute ? "absolute link" : "relative link");
    std::filesystem::remove(file);
    // A relative link is taken beside the link; a chain is followed.
    if (absolute) {
      std::filesystem::create_symlink(real, file);
    } else {
      std::filesystem::create_symlink("shared.xml", relative);
      std::filesystem::create_symlink(relative, file);
    }
    ASSERT_EQ(setUnsigned(absolute ? 1 : 2, "fish_size"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    std::uint32_t value = 0;
    EXPECT_EQ(getNumber(XML_UNSIGNED, value, "fish_size"), 1);
    EXPECT_EQ(value, absolute ? 1u : 2u);
    EXPECT_EQ(test::readFile(real), bytes());
    EXPECT_EQ(strayFiles(), 0);
  }
  std::filesystem::remove(relative);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(elsewhere.path()), {}), 1);
}

// A FIFO in the options file's place is neither read (it would block) nor
// replaced.
TEST_F(XmlStoreReplace, AFifoIsNoOptionsFile) {
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  std::string text;
  EXPECT_EQ(getText(text, "fish_size"), -1);
  EXPECT_EQ(setUnsigned(1, "fish_size"), -1);
  struct stat st;
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(strayFiles(), 0);
}

TEST_F(XmlStoreReplace, ThePermissionsAndGroupAreKept) {
  ASSERT_EQ(setUnsigned(1, "fish_size"), 0);
  for (mode_t mode : {0600, 0640, 0604, 0444}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(::chmod(file.c_str(), mode), 0);
    struct stat before;
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    ASSERT_EQ(setUnsigned(mode, "fish_size"), 0);
    struct stat after;
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    // A read-only file is written and left writable by its owner.
    const mode_t want = mode == 0444 ? 0644 : mode;
    EXPECT_EQ(after.st_mode & 07777, want);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_NE(after.st_ino, before.st_ino) << "the file was replaced, not rewritten";
  }
}
#endif

} // namespace
} // namespace ravelock::options
