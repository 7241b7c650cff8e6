// ravelock decrypt [options] FILE...: encrypted files back to their content.

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console_link.h"
#include "cli/key_input.h"
#include "cli/report.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/file_test.h"
#include "engine/files/target_naming.h"
#include "engine/results.h"
#include "keyserver/client.h"
#include "platform/filesystem.h"
#include "platform/secure_wipe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ravelock::cli {

void printDecryptHelp() {
  std::fputs(
      "Usage: ravelock decrypt [options] FILE...\n\n"
      "Decrypts each encrypted FILE; FILE.rlk becomes FILE.\n\n"
      "The key is the one from --key-file or the environment variable\n"
      "RAVELOCK_KEY when given, else one the key server remembers under the\n"
      "file's key name, else it is asked on the terminal (again after a wrong\n"
      "key). A key that fits one file is tried first on the next. Without a\n"
      "terminal a file whose key is not at hand fails and nothing is written.\n\n"
      "Options:\n"
      "  --key-file FILE     read the key from the first line of FILE\n"
      "  --output PATH       write to PATH; one FILE only\n"
      "  --remove-original   do not keep the encrypted file\n"
      "  --overwrite         overwrite an existing decrypted file\n"
      "  --skip-existing     skip a file whose decrypted file exists\n"
      "  --remember          remember the key that fitted in the key server\n"
      "  --keep-damaged      keep a result whose CRC does not match (without it\n"
      "                      the terminal asks; without a terminal it is dropped)\n\n"
      "Exit status: 0 when every file was decrypted, 1 when one failed or was\n"
      "skipped, 2 for bad usage.\n",
      stdout);
}

namespace {

// The key server, when one runs (or, to remember keys, is started).
bool connectKeyServer(bool startIfNeeded) {
  auto& client = keyserver::KeyServerClient::process();
  if (!startIfNeeded && !keyserver::keyServerRunning())
    return false;
  static const int anchor = 0;
  return client.ConnectKeyServer(&anchor, true, nullptr) == 1;
}

std::string failureText(const ConsoleLink& link, std::int32_t result) {
  switch (link.note()) {
  case FileNote::TargetExists: return "Skipped: the decrypted file exists";
  case FileNote::NoKey:
    return "Skipped: no key for this file (give --key-file or RAVELOCK_KEY)";
  case FileNote::WrongKey: return kIncorrectKeyMessage;
  case FileNote::RepeatedName:
    return "Skipped: the decrypted file is itself encrypted and its name is taken";
  case FileNote::None: break;
  }
  return engine::decryptionMessage(static_cast<std::uint32_t>(result));
}

} // namespace

int runDecrypt(std::span<char* const> args) {
  const Arguments a(args, {"--key-file", "--output"},
                    {"--remove-original", "--overwrite", "--skip-existing", "--remember",
                     "--keep-damaged"});
  if (a.has("--help")) {
    printDecryptHelp();
    return kExitOk;
  }
  std::string problem = a.error();
  if (problem.empty() && a.positional().empty())
    problem = "no FILE given";
  if (problem.empty() && a.given("--output") &&
      (a.positional().size() != 1 || a.value("--output").size() >= engine::kMaxPath))
    problem = "--output takes exactly one FILE and a path below 260 bytes";
  if (problem.empty() && a.has("--overwrite") && a.has("--skip-existing"))
    problem = "--overwrite and --skip-existing exclude each other";
  if (!problem.empty()) {
    std::fprintf(stderr, "ravelock decrypt: %s (try 'ravelock decrypt --help')\n",
                 problem.c_str());
    return kExitUsage;
  }

  KeyRecord lastKey{};
  if ((a.given("--key-file") || std::getenv(kKeyEnvironment)) &&
      !obtainKey({a.value("--key-file"), false}, lastKey))
    return kExitUsage;
  const bool serverConnected = connectKeyServer(a.has("--remember"));
  if (a.has("--remember") && !serverConnected)
    std::fputs("ravelock decrypt: the key server cannot be reached; keys are not "
               "remembered\n",
               stderr);

  const ExistingTarget existing = a.has("--overwrite")       ? ExistingTarget::Overwrite
                                  : a.has("--skip-existing") ? ExistingTarget::Skip
                                                             : ExistingTarget::Ask;
  ConsoleLink link(existing,
                   {a.has("--remember") && serverConnected, a.has("--keep-damaged")});
  const std::string output = a.value("--output");
  int status = kExitOk;
  for (const std::string& file : a.positional()) {
    engine::HeaderInfo info{};
    std::int32_t result = platform::isDirectory(file.c_str())
                              ? 1 // folders are walked by the batch runs, not here
                              : engine::testEncryptedFile(file.c_str(), &info);
    if (result != 0) {
      status = kExitFailed;
      printReportLine(
          stderr, engine::decryptionMessage(static_cast<std::uint32_t>(result)), file);
      continue;
    }
    KeyRecord current = lastKey;
    KeyRecord named{};
    if (serverConnected &&
        keyserver::KeyServerClient::process().FindKey(info.keyName, named) != 1)
      named = KeyRecord{};
    link.beginFile(file, current.length > 0 || named.length > 0);
    char target[engine::kMaxPath] = {};
    std::memcpy(target, output.c_str(), output.size());
    std::int32_t deleteOriginal = a.has("--remove-original");
    result = engine::DecryptFile(file.c_str(), target, &current, &named, &link,
                                 &deleteOriginal);
    link.endFile();
    platform::secureWipe(&named, sizeof named);
    if (result == 0) {
      lastKey = current;
      std::printf("decrypted  >>\"%s\"\n", target);
      continue;
    }
    status = kExitFailed;
    printReportLine(stderr, failureText(link, result), file);
  }
  platform::secureWipe(&lastKey, sizeof lastKey);
  return status;
}

} // namespace ravelock::cli
