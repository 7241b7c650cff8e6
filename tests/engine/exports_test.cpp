// The engine library as its callers see it: loaded by file name, exports
// bound by their undecorated names.

#include "export_lists.h"
#include "platform/library.h"
#include "ravelock/velldll.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace {

using ravelock::platform::Library;

class Velldll : public testing::Test {
protected:
  static void SetUpTestSuite() { library = new Library(VELLDLL_FILE); }
  static void TearDownTestSuite() { delete library; }

  template <typename Fn> static Fn* bind(const char* name) {
    return reinterpret_cast<Fn*>(library->symbol(name));
  }

  static Library* library;
};
Library* Velldll::library = nullptr;

TEST_F(Velldll, HeaderDefFileAndExportsAgree) {
  ASSERT_TRUE(library->isLoaded()) << VELLDLL_FILE;
  const std::set<std::string> def(std::begin(kDefExports), std::end(kDefExports));
  const std::set<std::string> header(std::begin(kHeaderExports),
                                     std::end(kHeaderExports));
  EXPECT_EQ(def, header);
  EXPECT_FALSE(def.empty());
#ifdef _WIN32
  for (const std::string& name : def)
    EXPECT_NE(library->symbol(name.c_str()), nullptr) << name;
#else
  // The native library has no dialogs and so none of the exports that show
  // them.
  const std::set<std::string> win32Only(std::begin(kWin32OnlyExports),
                                        std::end(kWin32OnlyExports));
  for (const std::string& name : def)
    EXPECT_EQ(library->symbol(name.c_str()) != nullptr, win32Only.count(name) == 0)
        << name;
#endif
  // The prototypes need no check here: the library defines every export
  // against this header with C linkage, where a different prototype is a
  // conflicting declaration and does not compile.
}

TEST_F(Velldll, CryptFreeBufferPadsAndReportsCrcs) {
  auto* crypt = bind<decltype(CryptFreeBuffer)>("CryptFreeBuffer");
  auto* decrypt = bind<decltype(DecryptBuffer)>("DecryptBuffer");
  ASSERT_TRUE(crypt && decrypt);

  unsigned char empty[8];
  std::memset(empty, 0xEE, sizeof empty);
  uint32_t length = 0, check = 1, content = 1;
  EXPECT_EQ(crypt(empty, &length, "k", 1, nullptr, &check, &content), 0);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(check, 0u);
  EXPECT_EQ(content, 0u);
  EXPECT_EQ(empty[0], 0); // the 8 bytes after the content are zeroed

  unsigned char buffer[13 + 8];
  std::memset(buffer, 0xFF, sizeof buffer);
  std::memcpy(buffer, "Hello, world!", 13);
  length = 13;
  ASSERT_EQ(crypt(buffer, &length, "secret", 6, nullptr, &check, &content), 0);
  EXPECT_EQ(length, 16u);
  EXPECT_EQ(check, content); // below 128 bytes both are the content CRC
  EXPECT_EQ(decrypt(buffer, 16, "secret", 6, nullptr, check, content), 0);
  EXPECT_EQ(std::memcmp(buffer, "Hello, world!\0\0\0", 16), 0);
}

TEST_F(Velldll, DecryptBufferResults) {
  auto* crypt = bind<decltype(CryptFreeBuffer)>("CryptFreeBuffer");
  auto* decrypt = bind<decltype(DecryptBuffer)>("DecryptBuffer");
  std::string data(4096 + 8, 'd');
  uint32_t length = 4096, check = 0, content = 0;
  auto* raw = reinterpret_cast<unsigned char*>(data.data());
  ASSERT_EQ(crypt(raw, &length, "key", 3, nullptr, &check, &content), 0);
  const std::string enciphered = data;
  EXPECT_EQ(decrypt(raw, 4095, "key", 3, nullptr, check, content), 819);
  EXPECT_EQ(data, enciphered);
  EXPECT_EQ(decrypt(raw, 4096, "yek", 3, nullptr, check, content), 816);
  data = enciphered;
  EXPECT_EQ(decrypt(raw, 4096, "key", 3, nullptr, check, content ^ 1), 820);
  data = enciphered;
  EXPECT_EQ(decrypt(raw, 4096, "key", 0, nullptr, check, content), 818);
  EXPECT_EQ(decrypt(raw, 4096, "key", 3, nullptr, check, content), 0);
  EXPECT_EQ(data.substr(0, 4096), std::string(4096, 'd'));
}

TEST_F(Velldll, IsValidRLKfileReadsTheHeader) {
  auto* isValid = bind<decltype(IsValidRLKfile)>("IsValidRLKfile");
  ravelock::test::TempDir dir;
  const std::string path = dir.file("short.rlk");
  ravelock::test::writeFile(path, std::string(47, 'x'));
  RlkHeaderInfo info;
  std::memset(&info, 0x5A, sizeof info);
  EXPECT_EQ(isValid(path.c_str(), &info), 3);
  EXPECT_EQ(info.identifier, 0x5A5A5A5Au);
  EXPECT_EQ(isValid(nullptr, &info), 1);
}

// The caller's code page at the boundary: this test program keeps the
// system's (Windows-1252 under Wine); natively every caller speaks UTF-8.
TEST_F(Velldll, PathsAreTakenInTheCallersCodePage) {
  auto* isValid = bind<decltype(IsValidRLKfile)>("IsValidRLKfile");
  ravelock::test::TempDir dir;
  ravelock::test::writeFile(dir.file("K\xC3\xA4se.rlk"), std::string(47, 'x'));
#ifdef _WIN32
  const std::string callers = ravelock::test::utf8Of(dir.path()) + "\\K\xE4se.rlk";
#else
  const std::string callers = dir.file("K\xC3\xA4se.rlk");
#endif
  RlkHeaderInfo info;
  EXPECT_EQ(isValid(callers.c_str(), &info), 3); // found, too short
}

TEST_F(Velldll, IsValidDatabazeRLKfileAcceptsUpTo8BytesOver) {
  auto* crypt = bind<decltype(CryptFreeBuffer)>("CryptFreeBuffer");
  auto* isDatabase = bind<decltype(IsValidDatabazeRLKfile)>("IsValidDatabazeRLKfile");
  unsigned char image[8 + 96 + 8] = {};
  const uint32_t identifier = 0xABECEDA1, count = 1;
  std::memcpy(image, &identifier, 4);
  std::memcpy(image + 4, &count, 4);
  uint32_t length = 8 + 96;
  RlkHeaderInfo info{};
  ASSERT_EQ(
      crypt(image, &length, "master", 6, nullptr, &info.keyCheckCrc, &info.contentCrc),
      0);
  RlkKeyRecord master{};
  std::memcpy(master.key, "master", 6);
  master.length = 6;
  for (uint32_t over = 0; over <= 9; ++over) {
    info.originalSize = 8 + 96 + over;
    EXPECT_EQ(isDatabase(image, length, &master, &info), over <= 8 ? 0 : 3) << over;
  }
}

#ifdef _WIN32
TEST_F(Velldll, DeCryptFilesRefusesAnEmptyListWithoutADialog) {
  auto* decrypt = bind<decltype(DeCryptFiles)>("DeCryptFiles");
  ASSERT_NE(decrypt, nullptr);
  char target[260] = "unchanged";
  EXPECT_EQ(decrypt("a\0\0", 0, target), -1);
  EXPECT_EQ(decrypt(nullptr, 1, target), -1);
  EXPECT_STREQ(target, "unchanged");
}
#endif

TEST_F(Velldll, DllGetVersionFillsOnlyTheKnownSize) {
  auto* getVersion = bind<decltype(DllGetVersion)>("DllGetVersion");
  RlkDllVersionInfo info{20, 0, 0, 0, 0};
  EXPECT_EQ(getVersion(&info), 0);
  EXPECT_EQ(info.dwMajorVersion, 1u);
  EXPECT_EQ(info.dwMinorVersion, 1u);
  EXPECT_EQ(info.dwBuildNumber, 4u);
  EXPECT_EQ(info.dwPlatformID, 1u);
  RlkDllVersionInfo other{24, 0, 0, 0, 0};
  EXPECT_EQ(getVersion(&other), 0);
  EXPECT_EQ(other.dwMajorVersion, 0u);
}

} // namespace
