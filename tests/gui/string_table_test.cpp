// velldll's string table holds the report texts the portable engine
// writes: the two must not drift apart.

#include "engine/batch/error_list.h"
#include "engine/batch/folder_walk.h"
#include "engine/results.h"
#include "gui/suite.h"
#include "resource.h"
#include "ui/resources.h"

#include <string>

namespace ravelock::gui {
namespace {

using engine::Operation;

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
      {Operation::Encryption, engine::kResultOk, IDS_ENCRYPTED_OK},
      {Operation::Encryption, engine::kEncryptSizeUnknown, IDS_ENCRYPT_SIZE_UNKNOWN},
      {Operation::Encryption, engine::kEncryptOpenFailed, IDS_ENCRYPT_OPEN_FAILED},
      {Operation::Encryption, engine::kEncryptCreateFailed, IDS_ENCRYPT_CREATE_FAILED},
      {Operation::Encryption, engine::kEncryptTooBig, IDS_ENCRYPT_TOO_BIG},
      {Operation::Encryption, engine::kEncryptFreeSpaceUnknown,
       IDS_ENCRYPT_FREE_SPACE_UNKNOWN},
      {Operation::Encryption, engine::kEncryptNoSpace, IDS_ENCRYPT_NO_SPACE},
      {Operation::Encryption, engine::kEncryptNoBuffer, IDS_ENCRYPT_NO_BUFFER},
      {Operation::Encryption, engine::kEncryptLoadFailed, IDS_ENCRYPT_LOAD_FAILED},
      {Operation::Encryption, engine::kEncryptWriteFailed, IDS_ENCRYPT_WRITE_FAILED},
      {Operation::Encryption, engine::kResultStopped, IDS_STOPPED},
      {Operation::Encryption, engine::kResultNoKey, IDS_INTERNAL_ERROR_PASSWORD},
      {Operation::Encryption, engine::kResultBadBufferSize, IDS_INTERNAL_ERROR_BUFFER},
      {Operation::Decryption, engine::kResultOk, IDS_DECRYPTED_OK},
      {Operation::Decryption, engine::kTestOpenFailed, IDS_DECRYPT_OPEN_FAILED},
      {Operation::Decryption, engine::kDecryptOpenFailed, IDS_DECRYPT_OPEN_FAILED},
      {Operation::Decryption, engine::kTestSizeUnknown, IDS_DECRYPT_SIZE_UNKNOWN},
      {Operation::Decryption, engine::kDecryptSizeUnknown, IDS_DECRYPT_SIZE_UNKNOWN},
      {Operation::Decryption, engine::kTestTooSmall, IDS_TEST_TOO_SMALL},
      {Operation::Decryption, engine::kTestReadFailed, IDS_TEST_READ_FAILED},
      {Operation::Decryption, engine::kTestBadIdentifier, IDS_TEST_BAD_IDENTIFIER},
      {Operation::Decryption, engine::kTestPartBlock, IDS_TEST_PART_BLOCK},
      {Operation::Decryption, engine::kTestSizeMismatch, IDS_TEST_SIZE_MISMATCH},
      {Operation::Decryption, engine::kDecryptWriteFailed, IDS_DECRYPT_WRITE_FAILED},
      {Operation::Decryption, engine::kDecryptCreateFailed, IDS_DECRYPT_CREATE_FAILED},
      {Operation::Decryption, engine::kDecryptTooBig, IDS_DECRYPT_TOO_BIG},
      {Operation::Decryption, engine::kDecryptFreeSpaceUnknown,
       IDS_DECRYPT_FREE_SPACE_UNKNOWN},
      {Operation::Decryption, engine::kDecryptNoSpace, IDS_DECRYPT_NO_SPACE},
      {Operation::Decryption, engine::kDecryptNoBuffer, IDS_DECRYPT_NO_BUFFER},
      {Operation::Decryption, engine::kDecryptSeekFailed, IDS_DECRYPT_SEEK_FAILED},
      {Operation::Decryption, engine::kDecryptLoadFailed, IDS_DECRYPT_LOAD_FAILED},
      {Operation::Decryption, engine::kResultBadCrc, IDS_BAD_CRC},
      {Operation::Decryption, engine::kResultNoKey, IDS_INTERNAL_ERROR_PASSWORD},
      {Operation::Decryption, engine::kResultBadBufferSize, IDS_INTERNAL_ERROR_BUFFER},
      {Operation::Decryption, engine::kResultContentCrc, IDS_CONTENT_CRC},
  };
  for (const Row& row : rows)
    EXPECT_EQ(strings.string(row.stringId),
              wide(engine::errorText(row.operation, row.code)))
        << row.stringId;
  EXPECT_EQ(strings.string(IDS_FOLDER_SHORTCUT_DESCRIPTION),
            wide(engine::kFolderShortcutDescription));
  EXPECT_EQ(strings.string(IDS_FOLDER_SHORTCUT_NAME), wide(engine::kFolderShortcutName));
  FreeLibrary(module);
}

} // namespace
} // namespace ravelock::gui
