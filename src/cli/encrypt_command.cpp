// ravelock encrypt [options] FILE...: each file to an encrypted file.

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console_link.h"
#include "cli/key_input.h"
#include "cli/report.h"
#include "engine/files/encrypt_file.h"
#include "engine/results.h"
#include "platform/filesystem.h"
#include "platform/secure_wipe.h"
#include "platform/text.h"

#include <cstdio>
#include <cstring>

namespace ravelock::cli {

void printEncryptHelp() {
  std::fputs(
      "Usage: ravelock encrypt [options] FILE...\n\n"
      "Encrypts each FILE to FILE.rlk under one key.\n\n"
      "The key comes from --key-file, else from the environment variable\n"
      "RAVELOCK_KEY, else it is asked twice on the terminal. It has 1 to 56\n"
      "characters and is never taken from the command line.\n\n"
      "Options:\n"
      "  --key-file FILE     read the key from the first line of FILE\n"
      "  --name NAME         the key's name stored in each file's header\n"
      "                      (default: \"My key\" and the date and time)\n"
      "  --output PATH       write to PATH (\".rlk\" is appended unless present);\n"
      "                      one FILE only\n"
      "  --remove-original   do not keep the original (it is replaced in place)\n"
      "  --overwrite         overwrite an existing encrypted file\n"
      "  --skip-existing     skip a file whose encrypted file exists\n"
      "Without --overwrite or --skip-existing the terminal asks; without a\n"
      "terminal such a file is skipped and reported.\n\n"
      "Exit status: 0 when every file was encrypted, 1 when one failed or was\n"
      "skipped, 2 for bad usage.\n",
      stdout);
}

int runEncrypt(std::span<char* const> args) {
  const Arguments a(args, {"--key-file", "--name", "--output"},
                    {"--remove-original", "--overwrite", "--skip-existing"});
  if (a.has("--help")) {
    printEncryptHelp();
    return kExitOk;
  }
  std::string problem = a.error();
  if (problem.empty() && a.positional().empty())
    problem = "no FILE given";
  if (problem.empty() && a.given("--output") && a.positional().size() != 1)
    problem = "--output takes exactly one FILE";
  if (problem.empty() && a.has("--overwrite") && a.has("--skip-existing"))
    problem = "--overwrite and --skip-existing exclude each other";
  std::string name = a.value("--name");
  if (!problem.empty()) {
    std::fprintf(stderr, "ravelock encrypt: %s (try 'ravelock encrypt --help')\n",
                 problem.c_str());
    return kExitUsage;
  }

  KeyRecord key{};
  if (!obtainKey({a.value("--key-file"), true}, key))
    return kExitUsage;
  const std::size_t kept = platform::cutOnCharBoundary(name.c_str(), kMaxKeyNameLength);
  if (kept < name.size())
    std::fprintf(stderr, "ravelock encrypt: the key name is cut to its first %zu bytes\n",
                 kept);
  std::memcpy(key.name, name.data(), kept);

  const ExistingTarget existing = a.has("--overwrite")       ? ExistingTarget::Overwrite
                                  : a.has("--skip-existing") ? ExistingTarget::Skip
                                                             : ExistingTarget::Ask;
  ConsoleLink link(existing);
  const std::string output = a.value("--output");
  int status = kExitOk;
  for (const std::string& file : a.positional()) {
    link.beginFile(file);
    std::int32_t result;
    if (platform::isDirectory(file.c_str()))
      result = 3; // folders are walked by the batch runs, not here
    else
      result = engine::EncryptFile(file.c_str(), output.c_str(), &key, &link,
                                   a.has("--remove-original"));
    link.endFile();
    if (result == 0) {
      std::printf("encrypted  >>\"%s\"\n", file.c_str());
      continue;
    }
    status = kExitFailed;
    if (link.note() == FileNote::TargetExists)
      printReportLine(stderr, "Skipped: the encrypted file exists", file);
    else
      printReportLine(
          stderr, engine::encryptionMessage(static_cast<std::uint32_t>(result)), file);
  }
  platform::secureWipe(&key, sizeof key);
  return status;
}

} // namespace ravelock::cli
