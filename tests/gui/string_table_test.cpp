// velldll's string table holds the report texts the portable engine
// writes: the two must not drift apart.

#include "engine/batch/error_list.h"
#include "engine/batch/folder_walk.h"
#include "ui/resources.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using namespace ravelock;
using engine::Operation;

std::wstring wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

TEST(StringTable, ReportTextsMatchTheEngines) {
  HMODULE module = LoadLibraryExW(
      L"velldll.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  const ui::Resources strings(module);
  struct Row {
    Operation operation;
    std::uint32_t code;
    unsigned stringId;
  };
  const Row rows[] = {
      {Operation::Encryption, 0, 121},   {Operation::Encryption, 2, 124},
      {Operation::Encryption, 3, 125},   {Operation::Encryption, 4, 126},
      {Operation::Encryption, 5, 127},   {Operation::Encryption, 6, 128},
      {Operation::Encryption, 7, 129},   {Operation::Encryption, 8, 130},
      {Operation::Encryption, 9, 131},   {Operation::Encryption, 11, 133},
      {Operation::Encryption, 817, 132}, {Operation::Encryption, 818, 122},
      {Operation::Encryption, 819, 123}, {Operation::Decryption, 0, 167},
      {Operation::Decryption, 1, 151},   {Operation::Decryption, 22, 151},
      {Operation::Decryption, 2, 152},   {Operation::Decryption, 23, 152},
      {Operation::Decryption, 3, 153},   {Operation::Decryption, 4, 154},
      {Operation::Decryption, 5, 155},   {Operation::Decryption, 6, 156},
      {Operation::Decryption, 7, 157},   {Operation::Decryption, 18, 165},
      {Operation::Decryption, 24, 158},  {Operation::Decryption, 25, 159},
      {Operation::Decryption, 26, 160},  {Operation::Decryption, 27, 161},
      {Operation::Decryption, 28, 162},  {Operation::Decryption, 29, 163},
      {Operation::Decryption, 30, 164},  {Operation::Decryption, 816, 166},
      {Operation::Decryption, 818, 122}, {Operation::Decryption, 819, 123},
      {Operation::Decryption, 820, 168},
  };
  for (const Row& row : rows)
    EXPECT_EQ(strings.string(row.stringId),
              wide(engine::errorText(row.operation, row.code)))
        << row.stringId;
  EXPECT_EQ(strings.string(299), wide(engine::kFolderShortcutDescription));
  EXPECT_EQ(strings.string(300), wide(engine::kFolderShortcutName));
  FreeLibrary(module);
}

} // namespace
