#pragma once
// The engine's 32-bit result codes and the texts the error report shows.
// The numbers are the protocol: stored reports, the dialogs and callers of
// the C exports all see them.

#include <cstdint>
#include <string>

namespace ravelock::engine {

// Shared by every operation.
inline constexpr std::int32_t kResultOk = 0;
inline constexpr std::int32_t kResultBadCrc = 816;  // key check or short content
inline constexpr std::int32_t kResultStopped = 817; // skipped or cancelled, not an error
inline constexpr std::int32_t kResultNoKey = 818;
inline constexpr std::int32_t kResultBadBufferSize = 819;
inline constexpr std::int32_t kResultContentCrc = 820;

// EncryptFile. A missing item of any batch run is recorded as
// kEncryptOpenFailed too (see the worker loop).
inline constexpr std::int32_t kEncryptSizeUnknown = 2;
inline constexpr std::int32_t kEncryptOpenFailed = 3;
inline constexpr std::int32_t kEncryptCreateFailed = 4; // also: target path too long
inline constexpr std::int32_t kEncryptTooBig = 5;
inline constexpr std::int32_t kEncryptFreeSpaceUnknown = 6;
inline constexpr std::int32_t kEncryptNoSpace = 7;
inline constexpr std::int32_t kEncryptNoBuffer = 8;
inline constexpr std::int32_t kEncryptLoadFailed = 9;
inline constexpr std::int32_t kEncryptWriteFailed = 11;

// The file test (and the first steps of DecryptFile): the header's checks
// in the reader's order.
inline constexpr std::int32_t kTestOpenFailed = 1;
inline constexpr std::int32_t kTestSizeUnknown = 2;
inline constexpr std::int32_t kTestTooSmall = 3;
inline constexpr std::int32_t kTestReadFailed = 4;
inline constexpr std::int32_t kTestBadIdentifier = 5;
inline constexpr std::int32_t kTestPartBlock = 6;    // payload not whole blocks
inline constexpr std::int32_t kTestSizeMismatch = 7; // payload does not fit the size

// DecryptFile after the key search.
inline constexpr std::int32_t kDecryptWriteFailed = 18;
inline constexpr std::int32_t kDecryptOpenFailed = 22;
inline constexpr std::int32_t kDecryptSizeUnknown = 23;
inline constexpr std::int32_t kDecryptCreateFailed = 24; // also: target path too long
inline constexpr std::int32_t kDecryptTooBig = 25;
inline constexpr std::int32_t kDecryptFreeSpaceUnknown = 26;
inline constexpr std::int32_t kDecryptNoSpace = 27;
inline constexpr std::int32_t kDecryptNoBuffer = 28;
inline constexpr std::int32_t kDecryptSeekFailed = 29;
inline constexpr std::int32_t kDecryptLoadFailed = 30;

// The key-database check.
inline constexpr std::int32_t kDatabaseValid = 0;
inline constexpr std::int32_t kDatabaseKeyDoesNotFit = 1;
inline constexpr std::int32_t kDatabaseBadIdentifier = 2;
inline constexpr std::int32_t kDatabaseBadCount = 3;

// The text of an encryption result code.
std::string encryptionMessage(std::uint32_t code);

// The text of a decryption (or file test) result code.
std::string decryptionMessage(std::uint32_t code);

} // namespace ravelock::engine
