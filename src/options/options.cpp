#include "options/options.h"

#include "options/option_table.h"

namespace ravelock::options {

namespace {

OptionId pick(bool encryption, OptionId cry, OptionId decry) {
  return encryption ? cry : decry;
}

std::int64_t readNumber(OptionId id, std::int64_t defaultValue,
                        const OptionsLocation& at) {
  const OptionReading reading = readOption(optionDefinition(id), at);
  return reading.result == 1 ? reading.value : defaultValue;
}

template <typename Int>
bool readInto(OptionId id, Int& value, const OptionsLocation& at) {
  const OptionReading reading = readOption(optionDefinition(id), at);
  if (reading.result != 1)
    return false;
  value = static_cast<Int>(reading.value);
  return true;
}

bool write(OptionId id, std::int64_t value, const OptionsLocation& at) {
  return writeOption(optionDefinition(id), value, at) == 0;
}

} // namespace

bool getRememberKeys(bool encryption, bool defaultValue, const OptionsLocation& at) {
  return readNumber(
      pick(encryption, OptionId::CryRememberKeys, OptionId::DecryRememberKeys),
      defaultValue, at);
}

bool setRememberKeys(bool encryption, bool value, const OptionsLocation& at) {
  return write(pick(encryption, OptionId::CryRememberKeys, OptionId::DecryRememberKeys),
               value, at);
}

bool getKeepFile(bool encryption, bool defaultValue, const OptionsLocation& at) {
  return readNumber(pick(encryption, OptionId::CryKeepFile, OptionId::DecryKeepFile),
                    defaultValue, at);
}

bool setKeepFile(bool encryption, bool value, const OptionsLocation& at) {
  return write(pick(encryption, OptionId::CryKeepFile, OptionId::DecryKeepFile), value,
               at);
}

bool getBrowseSubfolders(bool encryption, bool defaultValue, const OptionsLocation& at) {
  return readNumber(
      pick(encryption, OptionId::CryBrowseSubfolders, OptionId::DecryBrowseSubfolders),
      defaultValue, at);
}

bool setBrowseSubfolders(bool encryption, bool value, const OptionsLocation& at) {
  return write(
      pick(encryption, OptionId::CryBrowseSubfolders, OptionId::DecryBrowseSubfolders),
      value, at);
}

bool getErrorsDialog(bool encryption, bool defaultValue, const OptionsLocation& at) {
  return readNumber(
      pick(encryption, OptionId::CryErrorsDialog, OptionId::DecryErrorsDialog),
      defaultValue, at);
}

bool setErrorsDialog(bool encryption, bool value, const OptionsLocation& at) {
  return write(pick(encryption, OptionId::CryErrorsDialog, OptionId::DecryErrorsDialog),
               value, at);
}

bool getServerIconShow(bool defaultValue, const OptionsLocation& at) {
  return readNumber(OptionId::ServerIconShow, defaultValue, at);
}

bool setServerIconShow(bool value, const OptionsLocation& at) {
  return write(OptionId::ServerIconShow, value, at);
}

unsigned getAppPage(unsigned defaultValue, const OptionsLocation& at) {
  return static_cast<unsigned>(readNumber(OptionId::AppPage, defaultValue, at));
}

bool setAppPage(unsigned page, const OptionsLocation& at) {
  return write(OptionId::AppPage, page, at);
}

bool setStartUp(bool created, const OptionsLocation& at) {
  return write(OptionId::StartUp, created, at);
}

bool getDatabaseDefaultPath(std::string& path, const OptionsLocation& at) {
  OptionReading reading =
      readOption(optionDefinition(OptionId::VelldatabaseDefaultPath), at);
  path = std::move(reading.text);
  return reading.result == 1;
}

bool setDatabaseDefaultPath(std::string_view path, const OptionsLocation& at) {
  return writeOption(optionDefinition(OptionId::VelldatabaseDefaultPath), path, at) == 0;
}

bool getFishTopmost(bool& topmost, const OptionsLocation& at) {
  return readInto(OptionId::FishTopmost, topmost, at);
}

bool setFishTopmost(bool topmost, const OptionsLocation& at) {
  return write(OptionId::FishTopmost, topmost, at);
}

bool getFishSize(int& size, const OptionsLocation& at) {
  return readInto(OptionId::FishSize, size, at);
}

bool setFishSize(unsigned size, const OptionsLocation& at) {
  return write(OptionId::FishSize, size, at);
}

bool getFishStart(int& mode, const OptionsLocation& at) {
  return readInto(OptionId::FishStart, mode, at);
}

bool setFishStart(unsigned mode, const OptionsLocation& at) {
  return write(OptionId::FishStart, mode, at);
}

bool getFishX(int& x, const OptionsLocation& at) {
  return readInto(OptionId::FishX, x, at);
}

bool setFishX(int x, const OptionsLocation& at) {
  return write(OptionId::FishX, x, at);
}

bool getFishY(int& y, const OptionsLocation& at) {
  return readInto(OptionId::FishY, y, at);
}

bool setFishY(int y, const OptionsLocation& at) {
  return write(OptionId::FishY, y, at);
}

} // namespace ravelock::options
