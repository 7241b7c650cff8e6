#include "cli/arguments.h"

#include <algorithm>

namespace ravelock::cli {

Arguments::Arguments(std::span<char* const> args,
                     std::initializer_list<std::string_view> valued,
                     std::initializer_list<std::string_view> flags) {
  auto known = [](std::initializer_list<std::string_view> list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      positional_.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      flags_.insert("--help");
      continue;
    }
    const auto equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    if (known(valued, name)) {
      if (equals != std::string_view::npos) {
        values_[std::string(name)] = std::string(arg.substr(equals + 1));
      } else if (i + 1 < args.size()) {
        values_[std::string(name)] = args[++i];
      } else if (error_.empty()) {
        error_ = "option '" + std::string(name) + "' needs a value";
      }
    } else if (known(flags, arg)) {
      flags_.insert(std::string(arg));
    } else if (error_.empty()) {
      error_ = "unknown option '" + std::string(arg) + "'";
    }
  }
}

std::string Arguments::value(std::string_view option, std::string fallback) const {
  const auto it = values_.find(std::string(option));
  return it == values_.end() ? fallback : it->second;
}

} // namespace ravelock::cli
