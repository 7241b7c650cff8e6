// Binding the engine by name, with stand-in libraries that answer with a
// mark of their own (Windows only).

#include "app/engine_binding.h"
#include "app/library_version.h"
#include "platform/module.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ravelock::app {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kProgramFolderMark = 7001;
const char* const kExports[] = {
    "CryptFiles",     "DeCryptFiles",           "CryptFreeBuffer",
    "IsValidRLKfile", "IsValidDatabazeRLKfile", "DecryptBuffer"};

fs::path testFolder() {
  static const int here = 0;
  return platform::moduleFolder(&here);
}

// A program folder holding the stand-in `library` as velldll.dll.
std::string folderWith(const test::TempDir& dir, const std::string& library) {
  fs::copy_file(testFolder() / library, dir.path() / "velldll.dll");
  return dir.file("");
}

TEST(EngineBinding, TheProgramFolderFirstThenTheSearchOrder) {
  test::TempDir dir;
  EngineBinding binding;
  ASSERT_EQ(binding.bind(folderWith(dir, "fake_engine.dll")), 1);
  EXPECT_TRUE(binding.isBound());
  EXPECT_EQ(binding.exports().cryptFiles(nullptr, 0), kProgramFolderMark);
  EXPECT_EQ(binding.exports().decryptBuffer(nullptr, 0, nullptr, 0, nullptr, 0, 0),
            kProgramFolderMark);
  EXPECT_EQ(binding.bind(""), 1); // already bound
  binding.unload();
  binding.unload();
  EXPECT_FALSE(binding.isBound());

  // No engine in the program folder: the one the system finds (beside this
  // test program), whose CryptFiles refuses an empty list.
  test::TempDir empty;
  ASSERT_EQ(binding.bind(empty.file("")), 1);
  EXPECT_EQ(binding.exports().cryptFiles(nullptr, 0), -1);
}

TEST(EngineBinding, AnEngineLackingAnExportIsRefused) {
  for (const char* name : kExports) {
    SCOPED_TRACE(name);
    test::TempDir dir;
    const std::string folder =
        folderWith(dir, std::string("fake_engine_no_") + name + ".dll");
    EngineBinding binding;
    EXPECT_EQ(binding.bind(folder), 0);
    EXPECT_FALSE(binding.isBound());
    // Refused and unloaded: the file can go at once.
    std::error_code error;
    EXPECT_TRUE(fs::remove(dir.path() / "velldll.dll", error)) << error.message();
  }
}

TEST(LibraryVersion, BuildNumberWithThreeDigits) {
  std::string text;
  ASSERT_EQ(libraryVersion(testFolder().string() + "\\", "fake_engine.dll", text), 1);
  EXPECT_EQ(text, "1.1.005");
}

} // namespace
} // namespace ravelock::app
