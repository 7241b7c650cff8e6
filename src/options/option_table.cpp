#include "options/option_table.h"

#include "options/xml_store.h"

#include <limits>

namespace ravelock::options {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
// The path buffer holds 260 bytes with the terminator.
constexpr std::size_t kTextCapacity = 260;

std::int64_t asBoolean(std::int64_t stored) {
  return stored != 0;
}
// Pages 0..3; anything else opens the last page.
std::int64_t asPage(std::int64_t stored) {
  return stored <= 3 ? stored : 3;
}
// Sizes 0..2; anything else is small.
std::int64_t asFishSize(std::int64_t stored) {
  return stored >= 0 && stored <= 2 ? stored : 0;
}
// Start modes above 3 are "when the application is first used".
std::int64_t asFishStart(std::int64_t stored) {
  return stored > 3 ? 2 : stored;
}

constexpr OptionDefinition boolean(OptionId id, std::string_view key, bool hasDefault,
                                   std::string_view summary) {
  return {.id = id,
          .key = key,
          .type = OptionType::Boolean,
          .writtenAs = XML_UNSIGNED,
          .readAs = XML_UNSIGNED,
          .hasDefault = hasDefault,
          .defaultNumber = 1,
          .lowest = 0,
          .highest = 1,
          .asUsed = asBoolean,
          .summary = summary};
}

struct Range {
  std::int64_t lowest, highest;
};

constexpr OptionDefinition number(OptionId id, std::string_view key, int writtenAs,
                                  int readAs, std::int64_t defaultNumber, Range accepted,
                                  std::int64_t (*asUsed)(std::int64_t),
                                  std::string_view summary) {
  return {.id = id,
          .key = key,
          .type = OptionType::Number,
          .writtenAs = writtenAs,
          .readAs = readAs,
          .hasDefault = true,
          .defaultNumber = defaultNumber,
          .lowest = accepted.lowest,
          .highest = accepted.highest,
          .asUsed = asUsed,
          .summary = summary};
}

constexpr OptionDefinition kOptions[] = {
    boolean(OptionId::CryRememberKeys, "CryRememberKeys", true,
            "preset of \"Remember this key\" when encrypting"),
    boolean(OptionId::DecryRememberKeys, "DecryRememberKeys", true,
            "preset of \"Remember this key\" when decrypting"),
    boolean(OptionId::CryKeepFile, "CryKeepFile", true,
            "preset of \"Keep original file\" when encrypting"),
    boolean(OptionId::DecryKeepFile, "DecryKeepFile", true,
            "preset of \"Keep original file\" when decrypting"),
    boolean(OptionId::CryBrowseSubfolders, "CryBrowseSubfolders", true,
            "preset of \"Encrypt also subfolders\""),
    boolean(OptionId::DecryBrowseSubfolders, "DecryBrowseSubfolders", true,
            "preset of \"Decrypt also subfolders\""),
    boolean(OptionId::CryErrorsDialog, "CryErrorsDialog", true,
            "display the success message after encryption"),
    boolean(OptionId::DecryErrorsDialog, "DecryErrorsDialog", true,
            "display the success message after decryption"),
    boolean(OptionId::ServerIconShow, "ServerIconShow", true,
            "the key server shows its icon in the task bar"),
    number(OptionId::AppPage, "APPpage", XML_UNSIGNED, XML_UNSIGNED, 3, {0, 3}, asPage,
           "page of the main window opened at start"),
    boolean(OptionId::StartUp, "StartUp", false,
            "1 after the key manager's logon shortcut was made, 0 after it was removed"),
    {.id = OptionId::VelldatabaseDefaultPath,
     .key = "VelldatabaseDefaultPath",
     .type = OptionType::Text,
     .writtenAs = XML_STRING,
     .readAs = XML_STRING,
     .hasDefault = true,
     .defaultNumber = 0,
     .lowest = 0,
     .highest = kTextCapacity - 1,
     .asUsed = nullptr,
     .summary = "key database file loaded at logon"},
    boolean(OptionId::FishTopmost, "fish_topmost", true,
            "the drop target stays above all windows"),
    number(OptionId::FishSize, "fish_size", XML_UNSIGNED, XML_SIGNED, 0, {0, 2},
           asFishSize, "drop-target picture size: 0 small, 1 medium, 2 large"),
    number(OptionId::FishStart, "fish_start", XML_UNSIGNED, XML_SIGNED, 2, {0, 2},
           asFishStart,
           "when the drop target starts: 0 never, 1 at logon, 2 at first use"),
    number(OptionId::FishX, "fish_x", XML_SIGNED, XML_SIGNED, 2, {kInt32Min, kInt32Max},
           nullptr, "drop-target window's left edge, screen pixels"),
    number(OptionId::FishY, "fish_y", XML_SIGNED, XML_SIGNED, 2, {kInt32Min, kInt32Max},
           nullptr, "drop-target window's top edge, screen pixels"),
};

// The table is indexed by OptionId.
constexpr bool tableFollowsIds() {
  for (std::size_t i = 0; i < std::size(kOptions); ++i)
    if (static_cast<std::size_t>(kOptions[i].id) != i)
      return false;
  return true;
}
static_assert(tableFollowsIds());

} // namespace

std::span<const OptionDefinition> perUserOptions() {
  return kOptions;
}

const OptionDefinition& optionDefinition(OptionId id) {
  return kOptions[static_cast<std::size_t>(id)];
}

const OptionDefinition* findOption(std::string_view key) {
  for (const OptionDefinition& option : kOptions)
    if (option.key == key)
      return &option;
  return nullptr;
}

OptionReading readOption(const OptionDefinition& option, const OptionsLocation& at) {
  OptionReading reading;
  const std::string_view names[] = {kRootElement, at.section, option.key};
  const XmlPath path(names);
  if (option.type == OptionType::Text) {
    char buffer[kTextCapacity];
    std::size_t size = sizeof buffer;
    reading.result = XmlGetValue(at.file.c_str(), XML_STRING, buffer, size, path);
    if (reading.result == 1)
      reading.text.assign(buffer, size - 1);
    return reading;
  }
  std::uint32_t raw = 0;
  std::size_t size = sizeof raw;
  reading.result = XmlGetValue(at.file.c_str(), option.readAs, &raw, size, path);
  if (reading.result == 1) {
    reading.stored = option.readAs == XML_SIGNED
                         ? std::int64_t{static_cast<std::int32_t>(raw)}
                         : std::int64_t{raw};
    reading.value = option.asUsed ? option.asUsed(reading.stored) : reading.stored;
  }
  return reading;
}

int writeOption(const OptionDefinition& option, std::int64_t value,
                const OptionsLocation& at) {
  // Both number kinds hold 32 bits; the kind only decides how they are printed.
  const auto bits = static_cast<std::uint32_t>(value);
  return XmlSetValue(at.file.c_str(), option.writtenAs, &bits, XML_ADD_OR_REPLACE,
                     XML_AT_END, {kRootElement, at.section, option.key});
}

int writeOption(const OptionDefinition& option, std::string_view text,
                const OptionsLocation& at) {
  const std::string value(text);
  return XmlSetValue(at.file.c_str(), XML_STRING, value.c_str(), XML_ADD_OR_REPLACE,
                     XML_AT_END, {kRootElement, at.section, option.key});
}

} // namespace ravelock::options
