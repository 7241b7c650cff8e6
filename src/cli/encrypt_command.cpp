// ravelock encrypt [options] FILE|FOLDER...: a batch run under one key.

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console_link.h"
#include "cli/key_input.h"
#include "engine/batch/jobs.h"
#include "engine/files/file_transform.h"
#include "platform/secure_wipe.h"
#include "platform/text.h"

#include <cstdio>
#include <cstring>

namespace ravelock::cli {

void printEncryptHelp() {
  std::printf(
      "Usage: ravelock encrypt [options] FILE|FOLDER...\n\n"
      "Encrypts each FILE to FILE.rlk under one key, and every file of each\n"
      "FOLDER (with -r, of its subfolders too).\n\n"
      "The key comes from --key-file, else from the environment variable\n"
      "RAVELOCK_KEY, else it is asked twice on the terminal. Each gives its\n"
      "first line, without the line end. It has 1 to 56 characters, no NUL\n"
      "byte, and is never taken from the command line.\n\n"
      "Options:\n"
      "  --key-file FILE     read the key from the first line of FILE\n"
      "%s"
      "  --name NAME         the key's name stored in each file's header\n"
      "                      (default: \"My key\" and the date and time)\n"
      "  --output PATH       write to PATH (\".rlk\" is appended unless present);\n"
      "                      one FILE only\n"
      "  -r, --recursive     encrypt the subfolders of each FOLDER too\n"
      "  --remove-original   do not keep the original (it is replaced in place)\n"
      "  --in-place-without-copy\n"
      "                      with --remove-original, where the disk has no room\n"
      "                      for a copy, overwrite the file itself\n"
      "  --overwrite         overwrite an existing encrypted file\n"
      "  --skip-existing     skip a file whose encrypted file exists\n"
      "Without --overwrite or --skip-existing the terminal asks; without a\n"
      "terminal such a file is skipped and reported.\n\n"
      "Each result is written beside its file under a temporary name and takes\n"
      "its own name only once complete; the original goes only after that. A\n"
      "disk without room for that copy refuses --remove-original, unless\n"
      "--in-place-without-copy is given: then the file is overwritten where it\n"
      "is, and a power loss or crash during that overwrite loses the file.\n"
      "A file another run is working on, and a symbolic link, are refused.\n\n"
      "Failures are listed at the end, one line each. Ctrl-C stops the file\n"
      "being worked on (nothing is left half-written; an overwrite in place\n"
      "is finished first) and ends the run.\n\n"
      "Exit status: 0 when every file was encrypted, 1 when one failed or was\n"
      "skipped, 2 for bad usage, 130 when stopped with Ctrl-C.\n",
      kCodePageHelp);
}

int runEncrypt(std::span<char* const> args) {
  const Arguments a(args, {"--key-file", "--name", "--output", kCodePageOption},
                    {"--remove-original", "--in-place-without-copy", "--overwrite",
                     "--skip-existing", "-r", "--recursive"});
  if (a.has("--help")) {
    printEncryptHelp();
    return kExitOk;
  }
  std::string problem = a.error();
  if (problem.empty() && a.positional().empty())
    problem = "no FILE given";
  if (problem.empty() && a.given("--output") && a.positional().size() != 1)
    problem = "--output takes exactly one FILE";
  if (problem.empty())
    problem = existingTargetProblem(a);
  unsigned codePage = 0;
  if (problem.empty())
    keyCodePage(a, codePage, problem);
  bool cut = false;
  const std::string name = keyNameToStore(a.value("--name"), cut);
  if (problem.empty() && name.empty() && !a.value("--name").empty())
    problem = "the key name is no UTF-8 text";
  if (!problem.empty()) {
    std::fprintf(stderr, "ravelock encrypt: %s (try 'ravelock encrypt --help')\n",
                 problem.c_str());
    return kExitUsage;
  }

  platform::Wiped<KeyRecord> key;
  if (!obtainKey({a.value("--key-file"), true, codePage}, *key))
    return kExitUsage;
  if (cut)
    std::fprintf(stderr, "ravelock encrypt: the key name is cut to its first %zu bytes\n",
                 name.size());
  std::memcpy(key->name, name.data(), name.size());

  RunChoices choices;
  choices.existing = existingTargetChoice(a);
  ConsoleLink link(false, choices);
  ConsoleLink::catchInterrupt();
  const std::string items = itemList(a.positional());
  engine::EncryptJob job;
  job.items = items.c_str();
  job.count = static_cast<int>(a.positional().size());
  job.key = key.get();
  job.progress = &link;
  job.targetName = a.value("--output");
  job.deleteOriginal = a.has("--remove-original");
  job.subfolders = a.has("-r") || a.has("--recursive");
  engine::allowOverwriteWithoutCopy(a.has("--in-place-without-copy"));
  engine::encryptWorker(job);
  if (ConsoleLink::interrupted())
    return kExitInterrupted;
  return link.failures() == 0 ? kExitOk : kExitFailed;
}

} // namespace ravelock::cli
