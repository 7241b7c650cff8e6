// ravelock: the command-line front end of the engine.

#include "cli/commands.h"

#include <cstdio>
#include <string_view>

using namespace ravelock::cli;

namespace {

constexpr Command kCommands[] = {
    {"config", "read and change your options in the shared options file", runConfig,
     printConfigHelp},
    {"encrypt", "encrypt files and folders under a key", runEncrypt, printEncryptHelp},
    {"decrypt", "decrypt encrypted files and folders", runDecrypt, printDecryptHelp},
    {"info", "tell whether files are encrypted files and show their headers", runInfo,
     printInfoHelp},
    {"keys", "list, add and forget the keys that the key server remembers", runKeys,
     printKeysHelp},
};

void printUsage(std::FILE* out) {
  std::fputs("Usage: ravelock COMMAND [ARGS...]\n"
             "       ravelock help COMMAND\n\n"
             "Encrypts and decrypts files in the Ravelock format (.rlk).\n\n"
             "Commands:\n",
             out);
  for (const Command& c : kCommands)
    std::fprintf(out, "  %-10.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(),
                 static_cast<int>(c.summary.size()), c.summary.data());
  std::fputs("\nRun 'ravelock COMMAND --help' for a command's options.\n", out);
}

const Command* findCommand(std::string_view name) {
  for (const Command& c : kCommands)
    if (c.name == name)
      return &c;
  return nullptr;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage(stderr);
    return kExitUsage;
  }
  const std::string_view first = argv[1];
  if (first == "--help" || first == "-h") {
    printUsage(stdout);
    return kExitOk;
  }
  if (first == "help") {
    if (argc == 2) {
      printUsage(stdout);
      return kExitOk;
    }
    if (const Command* c = findCommand(argv[2])) {
      c->printHelp();
      return kExitOk;
    }
  }
  const Command* command = findCommand(first);
  if (!command) {
    std::fprintf(stderr, "ravelock: unknown command '%s'\n\n", argv[1]);
    printUsage(stderr);
    return kExitUsage;
  }
  return command->run(
      std::span<char* const>(argv + 2, static_cast<std::size_t>(argc - 2)));
}
