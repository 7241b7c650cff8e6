// ravelock info FILE...: the file test and the header of each file.

#include "cli/commands.h"
#include "cli/key_input.h"
#include "cli/report.h"
#include "engine/files/file_test.h"
#include "engine/results.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace ravelock::cli {

namespace {

void printHeader(const engine::HeaderInfo& info) {
  std::printf("  original size: %u bytes\n"
              "  key name:      %s\n"
              "  key-check CRC: 0x%08X\n"
              "  content CRC:   0x%08X\n",
              info.originalSize, printable(keyNameToShow(info.keyName)).c_str(),
              info.keyCheckCrc, info.contentCrc);
}

} // namespace

void printInfoHelp() {
  std::fputs("Usage: ravelock info FILE...\n\n"
             "Tests each FILE as a Ravelock encrypted file and prints its header:\n"
             "the original size, the name of the key it was encrypted with and the\n"
             "two CRC-32 values that detect a wrong key and a damaged result.\n"
             "No key is needed; nothing is changed.\n\n"
             "Exit status: 0 when every FILE is a valid encrypted file, 1 when one\n"
             "is not, 2 for bad usage.\n",
             stdout);
}

int runInfo(std::span<char* const> args) {
  bool endOfOptions = false;
  int files = 0;
  int status = kExitOk;
  for (char* arg : args) {
    const std::string_view a = arg;
    if (!endOfOptions && (a == "--help" || a == "-h")) {
      printInfoHelp();
      return kExitOk;
    }
    if (!endOfOptions && a == "--") {
      endOfOptions = true;
      continue;
    }
    if (!endOfOptions && a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "ravelock info: unknown option '%s'\n",
                   printable(arg).c_str());
      return kExitUsage;
    }
    ++files;
    engine::HeaderInfo info{};
    const std::int32_t result = engine::testEncryptedFile(arg, &info);
    if (result == 0) {
      std::printf("%s: valid encrypted file\n", printable(arg).c_str());
    } else {
      std::printf("%s: not a valid encrypted file (%d): %s\n", printable(arg).c_str(),
                  result,
                  engine::decryptionMessage(static_cast<std::uint32_t>(result)).c_str());
      status = kExitFailed;
    }
    // With a wrong identifier the 48 bytes are not a header worth showing.
    if (result == 0 || result >= 6)
      printHeader(info);
  }
  if (files == 0) {
    std::fputs("ravelock info: no FILE given (try 'ravelock info --help')\n", stderr);
    return kExitUsage;
  }
  return status;
}

} // namespace ravelock::cli
