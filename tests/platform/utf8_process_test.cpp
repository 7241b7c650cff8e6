// A program with our manifest runs with UTF-8 as its active code page, and
// the system's legacy code page is still found; every program we ship
// carries that manifest.

#include "platform/code_page.h"
#include "platform/module.h"
#include "support/temp_dir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace ravelock::platform {
namespace {

TEST(Utf8Process, TheManifestMakesUtf8TheActiveCodePage) {
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
  // The process's code page is not the system's.
  EXPECT_EQ(legacyCodePage(), kCodePageWestern);
  // The A functions take UTF-8 now.
  test::TempDir dir;
  const std::string name = "caf\xC3\xA9 \xE2\x98\x95.txt";
  const std::string path = dir.file(name);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / L"caf\u00E9 \u2615.txt"));
}

TEST(Utf8Process, EveryProgramWeShipCarriesTheManifest) {
  static const int here = 0;
  const std::string folder = moduleFolder(&here);
  for (const char* program : {"vellapp.exe", "pondlet.exe", "ravelock.exe",
                              "vellserver.exe", "vellsetup.exe", "velluninst.exe"}) {
    const std::wstring path = test::fileSystemPath(folder + program).wstring();
    HMODULE image = LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr) << program;
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr) << program;
    const std::string_view manifest(
        static_cast<const char*>(LockResource(LoadResource(image, found))),
        SizeofResource(image, found));
    EXPECT_NE(manifest.find("<activeCodePage"), std::string_view::npos) << program;
    EXPECT_NE(manifest.find(">UTF-8</activeCodePage>"), std::string_view::npos)
        << program;
    FreeLibrary(image);
  }
}

} // namespace
} // namespace ravelock::platform
