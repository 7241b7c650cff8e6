#include "engine/results.h"

#include <cstdio>

namespace ravelock::engine {

std::string encryptionMessage(std::uint32_t code) {
  switch (code) {
  case 0: return "Encrypted successfully";
  case 2: return "Unable to work with source file (unknow file size)";
  case 3: return "Unable to open source file.";
  case 4: return "Unable to create target file.";
  case 5: return "Source file is too big";
  case 6: return "Unknow disk free space";
  case 7: return "Not enough free space on the disk";
  case 8: return "Unable to allocate buffer (file is too big?)";
  case 9: return "Unable to load source file";
  case 11: return "Unable to write to target file";
  case 817: return "Canceled by user";
  case 818: return "Internal error (incorrect password)";
  case 819: return "Internal error (incorrect buffer size)";
  default: {
    char text[32];
    std::snprintf(text, sizeof text, "Crypt??? %u ???", code);
    return text;
  }
  }
}

std::string decryptionMessage(std::uint32_t code) {
  switch (code) {
  case 0: return "Decryption sucessful.";
  case 1:
  case 22: return "Unable to open source file.";
  case 2:
  case 23: return "Unable to read file size.";
  case 3: return "File is too small to be decrypted.";
  case 4: return "Unable to read from source file.";
  case 5:
    return "This is not valid encrypted file of this program. Bad ID in file header.";
  case 6: return "The file appears to be corrupted. Unexpected file size.";
  case 7:
    return "The file appears to be corrupted. Physical size of the file does not "
           "match the size reported by file header. ";
  case 18: return "Unable to write to target file.";
  case 24: return "Unable to create target file.";
  case 25:
    return "This file is too big. Encryption of such a big files is not supported.";
  case 26: return "Unable to get disk free space info.";
  case 27: return "There is not enough free space on the target disk.";
  case 28: return "Unable to allocate buffer (MEMMAP failed)";
  case 29: return "Unable read data from source file (seek failed).";
  case 30: return "Unable to load source file to memory.";
  case 816:
    return "CRC check failed.\nThe file was decrypted, but it is not the same as the "
           "original file. The reason can be wrong key or disk error.";
  case 818: return "Internal error (incorrect password)";
  case 819: return "Internal error (incorrect buffer size)";
  case 820: return "CRC check of the file failed.";
  default: {
    char text[32];
    std::snprintf(text, sizeof text, "Decrypt??? %u ???", code);
    return text;
  }
  }
}

} // namespace ravelock::engine
