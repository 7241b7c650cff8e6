#include "app/presets.h"

#include "options/options.h"

namespace ravelock::app {

namespace {

struct PresetAccess {
  bool encryption;
  bool (*get)(bool encryption, bool defaultValue, const options::OptionsLocation&);
  bool (*set)(bool encryption, bool value, const options::OptionsLocation&);
};

// In the order of Preset.
constexpr PresetAccess kAccess[kPresetCount] = {
    {true, options::getRememberKeys, options::setRememberKeys},
    {true, options::getKeepFile, options::setKeepFile},
    {true, options::getBrowseSubfolders, options::setBrowseSubfolders},
    {true, options::getErrorsDialog, options::setErrorsDialog},
    {false, options::getRememberKeys, options::setRememberKeys},
    {false, options::getKeepFile, options::setKeepFile},
    {false, options::getBrowseSubfolders, options::setBrowseSubfolders},
    {false, options::getErrorsDialog, options::setErrorsDialog},
};

} // namespace

PresetValues readPresets(const options::OptionsLocation& at) {
  PresetValues values;
  for (std::size_t i = 0; i < kPresetCount; ++i)
    values.on[i] = kAccess[i].get(kAccess[i].encryption, true, at);
  return values;
}

int writeChangedPresets(const PresetValues& read, const PresetValues& edited,
                        const options::OptionsLocation& at) {
  int failed = 0;
  for (std::size_t i = 0; i < kPresetCount; ++i)
    if (edited.on[i] != read.on[i] &&
        !kAccess[i].set(kAccess[i].encryption, edited.on[i], at))
      ++failed;
  return failed;
}

} // namespace ravelock::app
