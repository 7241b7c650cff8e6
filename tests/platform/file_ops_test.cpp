// The file operations of the platform seam behave alike on both backends.

#include "platform/file.h"
#include "platform/filesystem.h"
#include "platform/mapping.h"
#include "support/fault_hooks.h"
#include "support/file_times.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h> // mkfifo, for the fixture
#endif

namespace ravelock::platform {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::span<const std::byte> asBytes(const std::string& s) {
  return std::as_bytes(std::span(s.data(), s.size()));
}

TEST(FileOps, WriteSeekAndSetEnd) {
  TempDir dir;
  const std::string path = dir.file("f.bin");
  File f =
      File::open(path.c_str(), Access::ReadWrite, Share::None, Disposition::CreateNew);
  ASSERT_TRUE(f.isOpen());
  std::size_t n = 0;
  ASSERT_TRUE(f.write(asBytes("hello world"), n));
  EXPECT_EQ(n, 11u);
  ASSERT_TRUE(f.seek(5));
  ASSERT_TRUE(f.setEndOfFile());
  ASSERT_TRUE(f.flush());
  std::uint64_t size = 0;
  ASSERT_TRUE(f.size(size));
  EXPECT_EQ(size, 5u);
  f.close();
  EXPECT_EQ(readFile(path), "hello");
  // CreateNew refuses an existing file; OpenExisting a missing one.
  EXPECT_FALSE(
      File::open(path.c_str(), Access::Write, Share::None, Disposition::CreateNew)
          .isOpen());
  EXPECT_FALSE(File::open(dir.file("none").c_str(), Access::Read, Share::Read,
                          Disposition::OpenExisting)
                   .isOpen());
}

// Only regular files open, at once and whatever the access: a FIFO without
// a writer would block the open itself, a device would give endless bytes
// (natively; Windows opens files of a disk through CreateFile as ever).
TEST(FileOps, OnlyRegularFilesOpen) {
  TempDir dir;
  const std::string folder = dir.path().string();
  std::vector<std::string> refused = {folder};
#ifndef _WIN32
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  refused.push_back(fifo);
  refused.push_back("/dev/zero");
#endif
  for (const std::string& path : refused) {
    for (Access access : {Access::Read, Access::Write, Access::ReadWrite}) {
      for (Disposition disposition :
           {Disposition::OpenExisting, Disposition::OpenAlways}) {
        EXPECT_FALSE(
            File::open(path.c_str(), access, Share::ReadWrite, disposition).isOpen())
            << path << " access " << static_cast<int>(access);
      }
    }
  }
  // A regular file still reads and writes as ever (blocking as usual).
  const std::string plain = dir.file("plain.bin");
  writeFile(plain, "abc");
  File f = File::open(plain.c_str(), Access::ReadWrite, Share::None,
                      Disposition::OpenExisting);
  ASSERT_TRUE(f.isOpen());
  char buffer[8];
  std::size_t got = 0;
  ASSERT_TRUE(readFully(f, std::as_writable_bytes(std::span(buffer)), got));
  EXPECT_EQ(std::string(buffer, got), "abc");
}

TEST(FileOps, TimesCarryOver) {
  TempDir dir;
  const std::string path = dir.file("t.bin");
  writeFile(path, "x");
  ASSERT_TRUE(test::setFileTimes(path, test::kKnownTimes));
  EXPECT_TRUE(test::sameTimes(test::fileTimes(path), test::kKnownTimes));
}

TEST(FileOps, AttributesMoveAndDelete) {
  TempDir dir;
  const std::string a = dir.file("a.txt"), b = dir.file("b.txt");
  writeFile(a, "a");
  EXPECT_EQ(getAttributes(a.c_str()) & kAttrReadOnly, 0u);
  ASSERT_TRUE(setAttributes(a.c_str(), kAttrReadOnly));
  EXPECT_NE(getAttributes(a.c_str()) & kAttrReadOnly, 0u);
  ASSERT_TRUE(setAttributes(a.c_str(), kAttrNormal));
  EXPECT_EQ(getAttributes(a.c_str()) & kAttrReadOnly, 0u);
  EXPECT_NE(getAttributes(dir.path().string().c_str()) & kAttrDirectory, 0u);
  EXPECT_EQ(getAttributes(dir.file("none").c_str()), kInvalidAttributes);

  writeFile(b, "b");
  EXPECT_FALSE(moveFile(a.c_str(), b.c_str(), false));
  ASSERT_TRUE(moveFile(a.c_str(), b.c_str(), true));
  EXPECT_FALSE(pathExists(a.c_str()));
  EXPECT_EQ(readFile(b), "a");
  EXPECT_TRUE(isDirectory(dir.path().string().c_str()));
  EXPECT_FALSE(isDirectory(b.c_str()));
  ASSERT_TRUE(deleteFile(b.c_str()));
  EXPECT_FALSE(pathExists(b.c_str()));
  EXPECT_FALSE(deleteFile(b.c_str()));
}

TEST(FileOps, FileMappingGrowsTheFileAndWritesThrough) {
  TempDir dir;
  const std::string path = dir.file("m.bin");
  {
    File f = File::open(path.c_str(), Access::ReadWrite, Share::None,
                        Disposition::CreateAlways);
    Mapping m = Mapping::ofFile(f, 4096);
    ASSERT_TRUE(m.isValid());
    std::memcpy(m.data(), "mapped", 6);
    m.release();
    ASSERT_TRUE(f.seek(6));
    ASSERT_TRUE(f.setEndOfFile());
  }
  EXPECT_EQ(readFile(path), "mapped");
  Mapping anon = Mapping::anonymous(1 << 20);
  ASSERT_TRUE(anon.isValid());
  anon.data()[(1 << 20) - 1] = 1;
  test::FailNth fail(Op::MapMemory, 1);
  EXPECT_FALSE(Mapping::anonymous(16).isValid());
}

TEST(FileOps, FreeSpaceAndLongPath) {
  TempDir dir;
  std::uint64_t freeBytes = 1, total = 1, totalFree = 1;
#ifdef _WIN32
  const char* root = "C:\\";
#else
  const char* root = "/";
#endif
  ASSERT_EQ(getFreeSpace(root, &freeBytes, &total, &totalFree), 1);
  EXPECT_GT(total, 0u);
  EXPECT_EQ(
      getFreeSpace((dir.file("missing") + "/x/").c_str(), &freeBytes, nullptr, nullptr),
      0);
  EXPECT_EQ(freeBytes, 0u);
  {
    test::FailNth noSpace(Op::FreeSpace, 1, Fault::NoSpace);
    ASSERT_EQ(getFreeSpace(root, &freeBytes, &total, nullptr), 1);
    EXPECT_EQ(freeBytes, 0u);
  }

  const std::string file = dir.file("long name.txt");
  writeFile(file, "");
  char buffer[600];
  const std::size_t n = getLongPath(file.c_str(), buffer, sizeof buffer);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::strlen(buffer), n);
  EXPECT_NE(std::string(buffer).find("long name.txt"), std::string::npos);
  // Too small a buffer: the needed length, and the buffer stays empty.
  char small[4] = "xyz";
  EXPECT_EQ(getLongPath(file.c_str(), small, sizeof small), n);
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(getLongPath(dir.file("missing").c_str(), buffer, sizeof buffer), 0u);
  EXPECT_EQ(buffer[0], '\0');
}

#ifdef _WIN32
TEST(FileOps, LegacyKernelFallbacks) {
  TempDir dir;
  useLegacyKernelFunctions(true);
  std::uint64_t freeBytes = 0, total = 0, totalFree = 0;
  EXPECT_EQ(getFreeSpace("C:\\", &freeBytes, &total, &totalFree), 1);
  EXPECT_GT(total, 0u);
  EXPECT_EQ(freeBytes, totalFree);
  const std::string file = dir.file("a long file name.text");
  writeFile(file, "");
  char buffer[600];
  EXPECT_GT(getLongPath(file.c_str(), buffer, sizeof buffer), 0u);
  EXPECT_NE(std::string(buffer).find("a long file name.text"), std::string::npos);
  useLegacyKernelFunctions(false);
}
#endif

} // namespace
} // namespace ravelock::platform
