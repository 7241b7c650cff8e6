#pragma once
// The ravelock command-line tool's subcommands. Each takes the arguments
// after its own name and returns the process exit status.

#include <span>
#include <string_view>

namespace ravelock::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

struct Command {
  std::string_view name;
  std::string_view summary;
  int (*run)(std::span<char* const> args);
  void (*printHelp)();
};

int runConfig(std::span<char* const> args);
void printConfigHelp();

int runInfo(std::span<char* const> args);
void printInfoHelp();

int runEncrypt(std::span<char* const> args);
void printEncryptHelp();

int runDecrypt(std::span<char* const> args);
void printDecryptHelp();

int runKeys(std::span<char* const> args);
void printKeysHelp();

} // namespace ravelock::cli
