#pragma once
// Option parsing shared by the subcommands: "--name VALUE", "--name=VALUE",
// flags, "--" ending the options, and positional arguments.

#include <initializer_list>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::cli {

class Arguments {
public:
  // `valued` options take a value, `flags` do not; "-h"/"--help" is a flag.
  Arguments(std::span<char* const> args, std::initializer_list<std::string_view> valued,
            std::initializer_list<std::string_view> flags);

  // The first problem found ("unknown option '--x'"), empty when none.
  const std::string& error() const { return error_; }
  bool has(std::string_view flag) const { return flags_.count(std::string(flag)) != 0; }
  // The option's value, or `fallback` when it was not given.
  std::string value(std::string_view option, std::string fallback = {}) const;
  bool given(std::string_view option) const { return values_.count(std::string(option)); }
  const std::vector<std::string>& positional() const { return positional_; }

private:
  std::map<std::string, std::string> values_;
  std::set<std::string> flags_;
  std::vector<std::string> positional_;
  std::string error_;
};

} // namespace ravelock::cli
