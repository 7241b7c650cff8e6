// ravelock decrypt [options] FILE|FOLDER...: a batch run back to the
// plain files.

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console_link.h"
#include "cli/key_input.h"
#include "cli/report.h"
#include "engine/batch/jobs.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/file_test.h"
#include "engine/files/file_transform.h"
#include "engine/files/target_naming.h"
#include "engine/results.h"
#include "keyserver/client.h"
#include "platform/ipc.h"
#include "platform/secure_wipe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ravelock::cli {

using namespace engine;

void printDecryptHelp() {
  std::printf(
      "Usage: ravelock decrypt [options] FILE|FOLDER...\n\n"
      "Decrypts each encrypted FILE (FILE.rlk becomes FILE) and every .rlk\n"
      "file of each FOLDER (with -r, of its subfolders too).\n\n"
      "A file is tried with the key that fitted the previous file, the key\n"
      "server's keys (its current key and the one remembered under the file's\n"
      "key name), the key from --key-file or RAVELOCK_KEY, and finally a key\n"
      "asked on the terminal (again after a wrong key). Without a terminal a\n"
      "file whose key is not at hand fails and nothing is written for it.\n\n"
      "Options:\n"
      "  --key-file FILE     read the key from the first line of FILE\n"
      "%s"
      "  --output PATH       write to PATH; one FILE only\n"
      "  -r, --recursive     decrypt the subfolders of each FOLDER too\n"
      "  --remove-original   do not keep the encrypted file\n"
      "  --in-place-without-copy\n"
      "                      with --remove-original, where the disk has no room\n"
      "                      for a copy, overwrite the encrypted file itself\n"
      "  --overwrite         overwrite an existing decrypted file\n"
      "  --skip-existing     skip a file whose decrypted file exists\n"
      "  --remember          remember the key that fitted in the key server\n"
      "  --keep-damaged      keep a result whose CRC does not match (without it\n"
      "                      the terminal asks; without a terminal it is dropped)\n\n"
      "Each result is written beside its file under a temporary name and takes\n"
      "its own name only once complete; the encrypted file goes only after\n"
      "that. A disk without room for that copy refuses --remove-original,\n"
      "unless --in-place-without-copy is given: then the file is overwritten\n"
      "where it is, and a power loss or crash during that overwrite loses it.\n"
      "A file another run is working on, and a symbolic link, are refused.\n\n"
      "Failures are listed at the end, one line each. Ctrl-C stops the file\n"
      "being worked on (nothing is left half-written; an overwrite in place\n"
      "is finished first) and ends the run.\n\n"
      "Exit status: 0 when every file was decrypted, 1 when one failed or was\n"
      "skipped, 2 for bad usage, 130 when stopped with Ctrl-C.\n",
      kCodePageHelp);
}

namespace {

// The key server, when one runs (or, to remember keys, is started).
bool connectKeyServer(bool startIfNeeded) {
  static const int anchor = 0;
  const bool connected =
      (startIfNeeded || keyserver::keyServerRunning()) &&
      keyserver::KeyServerClient::process().ConnectKeyServer(&anchor, true, nullptr) == 1;
  // Objects another user could reach are not used; the keys are asked for.
  if (const std::string why = platform::namedObjectRefusal(); !connected && !why.empty())
    std::fprintf(stderr, "ravelock decrypt: not using the key server: %s\n",
                 printable(why).c_str());
  return connected;
}

// One file to a path of the user's choosing, reported like a batch run.
void decryptToOutput(const std::string& file, const std::string& output,
                     ConsoleLink& link, std::int32_t deleteOriginal) {
  ErrorList errors;
  link.send(UM_SHOW_SKIP, 0, 0); // no file follows
  HeaderInfo info{};
  std::int32_t result = testEncryptedFile(file.c_str(), &info);
  if (result == kResultOk) {
    platform::Wiped<KeyRecord> current, named;
    auto& server = keyserver::KeyServerClient::process();
    if (server.GetCurrentKey(*current) != 1)
      *current = KeyRecord{};
    if (server.FindKey(info.keyName, *named) != 1)
      *named = KeyRecord{};
    char target[kMaxPath];
    storePath(output, target);
    result = DecryptFile(file.c_str(), target, current.get(), named.get(), &link,
                         &deleteOriginal);
  }
  if (result == kResultOk || result == kResultStopped)
    link.send(UM_QUERY_ABORT, QUERY_FILE_DONE, 0);
  else
    errors.add(file, static_cast<std::uint32_t>(result), Operation::Decryption);
  link.send(UM_RUN_RESULT, reinterpret_cast<std::uintptr_t>(&errors), 0);
}

} // namespace

int runDecrypt(std::span<char* const> args) {
  const Arguments a(args, {"--key-file", "--output", kCodePageOption},
                    {"--remove-original", "--in-place-without-copy", "--overwrite",
                     "--skip-existing", "--remember", "--keep-damaged", "-r",
                     "--recursive"});
  if (a.has("--help")) {
    printDecryptHelp();
    return kExitOk;
  }
  std::string problem = a.error();
  if (problem.empty() && a.positional().empty())
    problem = "no FILE given";
  if (problem.empty() && a.given("--output") &&
      (a.positional().size() != 1 || a.value("--output").size() >= kMaxPath))
    problem = "--output takes exactly one FILE and a path below 260 bytes";
  if (problem.empty())
    problem = existingTargetProblem(a);
  unsigned codePage = 0;
  if (problem.empty())
    keyCodePage(a, codePage, problem);
  if (!problem.empty()) {
    std::fprintf(stderr, "ravelock decrypt: %s (try 'ravelock decrypt --help')\n",
                 problem.c_str());
    return kExitUsage;
  }

  platform::Wiped<KeyRecord> givenKey;
  const bool keyGiven = a.given("--key-file") || std::getenv(kKeyEnvironment);
  if (keyGiven && !obtainKey({a.value("--key-file"), false, codePage}, *givenKey))
    return kExitUsage;
  const bool serverConnected = connectKeyServer(a.has("--remember"));
  if (a.has("--remember") && !serverConnected)
    std::fputs("ravelock decrypt: the key server cannot be reached; keys are not "
               "remembered\n",
               stderr);

  RunChoices choices;
  choices.existing = existingTargetChoice(a);
  choices.remember = a.has("--remember") && serverConnected;
  choices.keepDamaged = a.has("--keep-damaged");
  choices.keyCodePage = codePage;
  choices.givenKey = keyGiven ? givenKey.get() : nullptr;
  ConsoleLink link(true, choices);
  ConsoleLink::catchInterrupt();
  allowOverwriteWithoutCopy(a.has("--in-place-without-copy"));

  if (a.given("--output")) {
    decryptToOutput(a.positional().front(), a.value("--output"), link,
                    a.has("--remove-original"));
  } else {
    const std::string items = itemList(a.positional());
    char lastTarget[kMaxPath] = {};
    DecryptJob job;
    job.items = items.c_str();
    job.count = static_cast<int>(a.positional().size());
    job.progress = &link;
    job.deleteOriginal = a.has("--remove-original");
    job.subfolders = a.has("-r") || a.has("--recursive");
    job.lastTarget = lastTarget;
    decryptWorker(job);
  }
  if (ConsoleLink::interrupted())
    return kExitInterrupted;
  return link.failures() == 0 ? kExitOk : kExitFailed;
}

} // namespace ravelock::cli
