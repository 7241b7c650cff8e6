// ravelock config get KEY | set KEY VALUE | list: the current user's options
// in the options file the programs share.

#include "cli/arguments.h"
#include "cli/commands.h"
#include "options/option_table.h"
#include "options/options_location.h"
#include "platform/filesystem.h"
#include "platform/system_error.h"

#include <charconv>
#include <cstdio>
#include <string>

namespace ravelock::cli {

namespace {

using options::OptionDefinition;
using options::OptionReading;
using options::OptionsLocation;
using options::OptionType;

constexpr const char* kPrefix = "ravelock config";

std::string describeValues(const OptionDefinition& option) {
  switch (option.type) {
  case OptionType::Boolean: return "0 or 1";
  case OptionType::Number:
    return "a number from " + std::to_string(option.lowest) + " to " +
           std::to_string(option.highest);
  case OptionType::Text:
    return "a text of at most " + std::to_string(option.highest) + " bytes";
  }
  return {};
}

std::string describeDefault(const OptionDefinition& option) {
  if (!option.hasDefault)
    return "none";
  if (option.type == OptionType::Text)
    return "empty";
  return std::to_string(option.defaultNumber);
}

// Why `value` is refused for `option`, or "" when it is taken; `number`
// receives a number's value.
std::string checkValue(const OptionDefinition& option, const std::string& value,
                       std::int64_t& number) {
  if (option.type == OptionType::Text) {
    if (static_cast<std::int64_t>(value.size()) <= option.highest)
      return {};
    return std::string(option.key) + " takes at most " + std::to_string(option.highest) +
           " bytes; this value has " + std::to_string(value.size());
  }
  const char* end = value.data() + value.size();
  const auto parsed = std::from_chars(value.data(), end, number);
  if (value.empty() || parsed.ec != std::errc() || parsed.ptr != end ||
      number < option.lowest || number > option.highest)
    return std::string(option.key) + " takes " + describeValues(option) + ", not '" +
           value + "'";
  return {};
}

// What the programs see for one option.
std::string shownValue(const OptionDefinition& option, const OptionReading& reading) {
  if (option.type == OptionType::Text)
    return reading.result == 1 ? reading.text : std::string();
  if (reading.result == 1)
    return std::to_string(reading.value);
  return option.hasDefault ? std::to_string(option.defaultNumber) : std::string();
}

// A store result that the user should hear about, as a sentence; "" for
// the ordinary cases (a value, or none stored).
std::string problemWith(const OptionsLocation& at, const OptionDefinition& option,
                        int result) {
  const std::string file = "'" + at.file + "'";
  switch (result) {
  case -1:
    if (!platform::pathExists(at.file.c_str()))
      return {};
    return "cannot read " + file + " (it is empty, or access is denied)";
  case -2:
    return file + " is damaged where the options of '" + at.section +
           "' are kept; repair or delete it (the programs use the defaults)";
  case 4:
    return std::string(option.key) + " is longer than " + std::to_string(option.highest) +
           " bytes and reads as empty";
  default: return {};
  }
}

int runGet(const OptionsLocation& at, const OptionDefinition& option) {
  const OptionReading reading = options::readOption(option, at);
  const std::string problem = problemWith(at, option, reading.result);
  if (reading.result != 1 && !option.hasDefault) {
    std::fprintf(stderr, "%s: %.*s is not set\n", kPrefix,
                 static_cast<int>(option.key.size()), option.key.data());
    return kExitFailed;
  }
  std::printf("%s\n", shownValue(option, reading).c_str());
  if (!problem.empty()) {
    std::fprintf(stderr, "%s: %s\n", kPrefix, problem.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

int runSet(const OptionsLocation& at, const OptionDefinition& option,
           const std::string& value) {
  std::int64_t number = 0;
  const std::string refused = checkValue(option, value, number);
  if (!refused.empty()) {
    std::fprintf(stderr, "%s: %s\n", kPrefix, refused.c_str());
    return kExitUsage;
  }
  const int result = option.type == OptionType::Text
                         ? options::writeOption(option, value, at)
                         : options::writeOption(option, number, at);
  if (result == 0)
    return kExitOk;
  if (result == -1) {
    const std::string why = platform::systemErrorText(platform::lastSystemError());
    std::fprintf(stderr, "%s: could not write '%s': %s\n", kPrefix, at.file.c_str(),
                 why.c_str());
  } else {
    std::fprintf(stderr, "%s: %s\n", kPrefix, problemWith(at, option, result).c_str());
  }
  return kExitFailed;
}

int runList(const OptionsLocation& at) {
  std::printf("options file: %s\nsection:      %s\n\n", at.file.c_str(),
              at.section.c_str());
  std::string problem;
  for (const OptionDefinition& option : options::perUserOptions()) {
    const OptionReading reading = options::readOption(option, at);
    std::string note;
    if (reading.result != 1)
      note = option.hasDefault ? "(default)" : "(not set)";
    else if (option.type != OptionType::Text && reading.value != reading.stored)
      note = "(stored as " + std::to_string(reading.stored) + ")";
    std::printf("%-24.*s %s%s%s\n", static_cast<int>(option.key.size()),
                option.key.data(), shownValue(option, reading).c_str(),
                note.empty() ? "" : "  ", note.c_str());
    if (problem.empty())
      problem = problemWith(at, option, reading.result);
  }
  if (!problem.empty()) {
    std::fprintf(stderr, "%s: %s\n", kPrefix, problem.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

} // namespace

void printConfigHelp() {
  std::fputs("Usage: ravelock config [--options-file FILE] get KEY\n"
             "       ravelock config [--options-file FILE] set KEY VALUE\n"
             "       ravelock config [--options-file FILE] list\n\n"
             "Reads and changes your options in the options file that the Ravelock\n"
             "programs share. Each user has a section of their own, named after the\n"
             "logon name (\"default\" for names with other characters than letters,\n"
             "digits, '_', '-' and '.').\n\n"
             "  get KEY         print the value the programs use: the stored one, or\n"
             "                  the default when none is stored\n"
             "  set KEY VALUE   store VALUE after checking that KEY takes it; a\n"
             "                  negative VALUE goes after '--'\n"
             "  list            every option with its value\n\n"
             "Options:\n"
             "  --options-file FILE   use FILE instead of Ravelock_options.xml beside\n"
             "                        this program\n\n"
             "Keys (values taken, default):\n",
             stdout);
  for (const OptionDefinition& option : options::perUserOptions())
    std::printf("  %-24.*s %s (%s)\n  %24s %.*s\n", static_cast<int>(option.key.size()),
                option.key.data(), describeValues(option).c_str(),
                describeDefault(option).c_str(), "",
                static_cast<int>(option.summary.size()), option.summary.data());
  std::fputs("\nExit status: 0 when done, 1 when the file cannot be read or written or\n"
             "is damaged (or KEY has no value and no default), 2 for bad usage or a\n"
             "refused VALUE.\n",
             stdout);
}

int runConfig(std::span<char* const> args) {
  const Arguments a(args, {"--options-file"}, {});
  if (a.has("--help")) {
    printConfigHelp();
    return kExitOk;
  }
  const std::vector<std::string>& words = a.positional();
  const std::string action = words.empty() ? std::string() : words[0];
  const std::size_t wanted = action == "list" ? 1 : action == "get" ? 2 : 3;
  std::string problem = a.error();
  if (!problem.empty() && problem.find("'-") != std::string::npos && action == "set")
    problem += " (a negative VALUE goes after '--')";
  if (problem.empty() && action != "get" && action != "set" && action != "list")
    problem = action.empty() ? "no action given" : "unknown action '" + action + "'";
  if (problem.empty() && words.size() != wanted)
    problem = "'" + action + "' takes " +
              (wanted == 1   ? "no KEY"
               : wanted == 2 ? "one KEY"
                             : "a KEY and a VALUE");
  const OptionDefinition* option = nullptr;
  if (problem.empty() && wanted > 1) {
    option = options::findOption(words[1]);
    if (!option)
      problem = "unknown option key '" + words[1] + "' (keys are case-sensitive)";
  }
  if (!problem.empty()) {
    std::fprintf(stderr, "%s: %s (try 'ravelock config --help')\n", kPrefix,
                 problem.c_str());
    return kExitUsage;
  }

  OptionsLocation at = options::currentOptionsLocation();
  if (a.given("--options-file"))
    at.file = a.value("--options-file");
  if (at.file.empty()) {
    std::fprintf(stderr,
                 "%s: the options file beside this program cannot be named; "
                 "give one with --options-file\n",
                 kPrefix);
    return kExitFailed;
  }
  if (action == "list")
    return runList(at);
  if (action == "get")
    return runGet(at, *option);
  return runSet(at, *option, words[2]);
}

} // namespace ravelock::cli
