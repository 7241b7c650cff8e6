#pragma once
// The per-user options: each key with how it is written and read, its
// default and the values it takes. The typed accessors and `ravelock config`
// both work from this table. Paths are users_settings / section / key.

#include "options/options_location.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ravelock::options {

enum class OptionId : std::uint8_t {
  CryRememberKeys,
  DecryRememberKeys,
  CryKeepFile,
  DecryKeepFile,
  CryBrowseSubfolders,
  DecryBrowseSubfolders,
  CryErrorsDialog,
  DecryErrorsDialog,
  ServerIconShow,
  AppPage,
  StartUp,
  VelldatabaseDefaultPath,
  FishTopmost,
  FishSize,
  FishStart,
  FishX,
  FishY,
};

enum class OptionType : std::uint8_t {
  Boolean, // 0 or 1; any non-zero number reads as 1
  Number,
  Text,
};

struct OptionDefinition {
  OptionId id;
  std::string_view key;
  OptionType type;
  int writtenAs; // value kind of the store used for writing
  int readAs;    // and for reading
  bool hasDefault;
  std::int64_t defaultNumber; // the default of a Boolean or Number; a Text's is ""
  // What `ravelock config set` accepts: numbers in [lowest, highest]; for
  // Text, at most `highest` bytes.
  std::int64_t lowest;
  std::int64_t highest;
  // How a stored number is taken by the programs (out-of-range values fall
  // back); null when it is taken as it is.
  std::int64_t (*asUsed)(std::int64_t stored);
  std::string_view summary;
};

std::span<const OptionDefinition> perUserOptions();
const OptionDefinition& optionDefinition(OptionId id);
// By key, compared byte for byte; null when there is no such option.
const OptionDefinition* findOption(std::string_view key);

struct OptionReading {
  int result = 0;          // the store's result: 1 when a stored value was read
  std::int64_t stored = 0; // the number as stored (result 1)
  std::int64_t value = 0;  // as the programs take it (result 1)
  std::string text;        // a Text option's value (result 1)
};

OptionReading readOption(const OptionDefinition& option, const OptionsLocation& at);

// The store's result of writing the value (0 = written or already equal).
int writeOption(const OptionDefinition& option, std::int64_t value,
                const OptionsLocation& at);
int writeOption(const OptionDefinition& option, std::string_view text,
                const OptionsLocation& at);

} // namespace ravelock::options
