// The encryption and decryption presets: read with ticked defaults, and
// only the changed ones written back, every write tried.

#include "app/presets.h"
#include "options/options_fixture.h"
#include "platform/fault_injection.h"

namespace ravelock::app {
namespace {

// Every call of one operation fails.
class FailEvery : public platform::FaultHook {
public:
  explicit FailEvery(platform::Op op) : op_(op) { platform::installFaultHook(this); }
  ~FailEvery() { platform::installFaultHook(nullptr); }
  FailEvery(const FailEvery&) = delete;
  FailEvery& operator=(const FailEvery&) = delete;
  platform::Fault onCall(platform::Op op) override {
    return op == op_ ? platform::Fault::Fail : platform::Fault::None;
  }

private:
  platform::Op op_;
};

constexpr const char* kKeys[kPresetCount] = {
    "CryRememberKeys",   "CryKeepFile",   "CryBrowseSubfolders",   "CryErrorsDialog",
    "DecryRememberKeys", "DecryKeepFile", "DecryBrowseSubfolders", "DecryErrorsDialog"};

class Presets : public options::OptionsFileTest {
protected:
  options::OptionsLocation at() const { return {file, "al"}; }
  bool stored(std::size_t preset) const {
    std::uint32_t value = 0;
    return getNumber(options::XML_UNSIGNED, value, kKeys[preset], "al") == 1;
  }
};

TEST_F(Presets, WithNothingStoredAllAreTickedAndNothingIsWritten) {
  const PresetValues read = readPresets(at());
  for (bool on : read.on)
    EXPECT_TRUE(on);
  EXPECT_EQ(writeChangedPresets(read, read, at()), 0);
  EXPECT_FALSE(std::filesystem::exists(file));

  // Unchanged values leave an existing file byte for byte.
  store("<users_settings><al><CryKeepFile>0</CryKeepFile></al></users_settings>");
  const PresetValues again = readPresets(at());
  EXPECT_FALSE(again[Preset::CryKeepFile]);
  const std::string before = bytes();
  EXPECT_EQ(writeChangedPresets(again, again, at()), 0);
  EXPECT_EQ(bytes(), before);
}

TEST_F(Presets, OnlyTheChangedOneIsWritten) {
  const PresetValues read = readPresets(at());
  PresetValues edited = read;
  edited[Preset::DecryKeepFile] = false;
  EXPECT_EQ(writeChangedPresets(read, edited, at()), 0);
  for (std::size_t preset = 0; preset < kPresetCount; ++preset)
    EXPECT_EQ(stored(preset), preset == static_cast<std::size_t>(Preset::DecryKeepFile))
        << kKeys[preset];
  EXPECT_EQ(readPresets(at()), edited);
}

// A file that cannot be replaced fails each changed write, all of them
// tried; the old file survives and no temporary file is left.
TEST_F(Presets, FailedWritesAreCountedAndTheFileSurvives) {
  store("<users_settings><al><CryKeepFile>1</CryKeepFile></al></users_settings>");
  const std::string before = bytes();
  const PresetValues read = readPresets(at());
  PresetValues edited = read;
  edited[Preset::CryKeepFile] = false;
  edited[Preset::DecryRememberKeys] = false;
  edited[Preset::DecryErrorsDialog] = false;
  {
    FailEvery failing(platform::Op::Move);
    EXPECT_EQ(writeChangedPresets(read, edited, at()), 3);
  }
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(strayFiles(), 0);
}

} // namespace
} // namespace ravelock::app
