#include "options/options_location.h"

#include "options/xml_text.h"
#include "platform/filesystem.h"
#include "platform/module.h"
#include "platform/user.h"

namespace ravelock::options {

namespace {
// Any object of this code tells the module it was linked into.
const char kInThisModule = 0;
} // namespace

std::string OptionsFilePath() {
  std::string path = platform::moduleFolder(&kInThisModule);
  if (path.empty())
    return {};
  path += kOptionsFileName;
  return path.size() < platform::kMaxPath ? path : std::string();
}

std::string sectionNameFor(std::string_view logonName) {
  return isValidXmlName(logonName) ? std::string(logonName)
                                   : std::string(kDefaultSection);
}

std::string OptionsSectionName() {
  return sectionNameFor(platform::logonUserName());
}

OptionsLocation currentOptionsLocation() {
  return {OptionsFilePath(), OptionsSectionName()};
}

} // namespace ravelock::options
