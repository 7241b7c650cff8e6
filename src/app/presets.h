#pragma once
// The eight per-user defaults that the engine's encrypt and decrypt dialogs
// start from, edited together by the "Encryption & Decryption options"
// dialog: read as a set, and written back option by option where the user
// changed one.

#include "options/options_location.h"

#include <array>
#include <cstddef>

namespace ravelock::app {

enum class Preset : std::size_t {
  CryRememberKeys,
  CryKeepFile,
  CryBrowseSubfolders,
  CryErrorsDialog,
  DecryRememberKeys,
  DecryKeepFile,
  DecryBrowseSubfolders,
  DecryErrorsDialog,
  Count
};

inline constexpr std::size_t kPresetCount = static_cast<std::size_t>(Preset::Count);

struct PresetValues {
  std::array<bool, kPresetCount> on{};
  bool& operator[](Preset preset) { return on[static_cast<std::size_t>(preset)]; }
  bool operator[](Preset preset) const { return on[static_cast<std::size_t>(preset)]; }
  bool operator==(const PresetValues&) const = default;
};

// Each preset as stored, or ticked (the default) when it cannot be read.
PresetValues
readPresets(const options::OptionsLocation& at = options::currentOptionsLocation());

// Writes each preset of `edited` that differs from `read`, trying every one
// whatever the others gave; answers how many writes failed.
int writeChangedPresets(
    const PresetValues& read, const PresetValues& edited,
    const options::OptionsLocation& at = options::currentOptionsLocation());

} // namespace ravelock::app
