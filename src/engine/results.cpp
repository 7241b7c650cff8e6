#include "engine/results.h"

#include <cstdio>

namespace ravelock::engine {

std::string encryptionMessage(std::uint32_t code) {
  switch (code) {
  case kResultOk: return "Encrypted successfully";
  case kEncryptSizeUnknown: return "Unable to work with source file (unknow file size)";
  case kEncryptOpenFailed: return "Unable to open source file.";
  case kEncryptCreateFailed: return "Unable to create target file.";
  case kEncryptTooBig: return "Source file is too big";
  case kEncryptFreeSpaceUnknown: return "Unknow disk free space";
  case kEncryptNoSpace: return "Not enough free space on the disk";
  case kEncryptNoBuffer: return "Unable to allocate buffer (file is too big?)";
  case kEncryptLoadFailed: return "Unable to load source file";
  case kEncryptWriteFailed: return "Unable to write to target file";
  case kResultStopped: return "Canceled by user";
  case kResultNoKey: return "Internal error (incorrect password)";
  case kResultBadBufferSize: return "Internal error (incorrect buffer size)";
  default: {
    char text[32];
    std::snprintf(text, sizeof text, "Crypt??? %u ???", code);
    return text;
  }
  }
}

std::string decryptionMessage(std::uint32_t code) {
  switch (code) {
  case kResultOk: return "Decryption sucessful.";
  case kTestOpenFailed:
  case kDecryptOpenFailed: return "Unable to open source file.";
  case kTestSizeUnknown:
  case kDecryptSizeUnknown: return "Unable to read file size.";
  case kTestTooSmall: return "File is too small to be decrypted.";
  case kTestReadFailed: return "Unable to read from source file.";
  case kTestBadIdentifier:
    return "This is not valid encrypted file of this program. Bad ID in file header.";
  case kTestPartBlock: return "The file appears to be corrupted. Unexpected file size.";
  case kTestSizeMismatch:
    return "The file appears to be corrupted. Physical size of the file does not "
           "match the size reported by file header. ";
  case kDecryptWriteFailed: return "Unable to write to target file.";
  case kDecryptCreateFailed: return "Unable to create target file.";
  case kDecryptTooBig:
    return "This file is too big. Encryption of such a big files is not supported.";
  case kDecryptFreeSpaceUnknown: return "Unable to get disk free space info.";
  case kDecryptNoSpace: return "There is not enough free space on the target disk.";
  case kDecryptNoBuffer: return "Unable to allocate buffer (MEMMAP failed)";
  case kDecryptSeekFailed: return "Unable read data from source file (seek failed).";
  case kDecryptLoadFailed: return "Unable to load source file to memory.";
  case kResultBadCrc:
    return "CRC check failed.\nThe file was decrypted, but it is not the same as the "
           "original file. The reason can be wrong key or disk error.";
  case kResultNoKey: return "Internal error (incorrect password)";
  case kResultBadBufferSize: return "Internal error (incorrect buffer size)";
  case kResultContentCrc: return "CRC check of the file failed.";
  default: {
    char text[32];
    std::snprintf(text, sizeof text, "Decrypt??? %u ???", code);
    return text;
  }
  }
}

} // namespace ravelock::engine
