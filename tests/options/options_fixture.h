#pragma once
// A scratch folder with one options file in it, and short forms of the
// store's calls at users_settings / SECTION / KEY.

#include "options/xml_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace ravelock::options {

class OptionsFileTest : public ::testing::Test {
protected:
  test::TempDir dir;
  const std::string file = dir.file("Ravelock_options.xml");

  std::string bytes() const { return test::readFile(file); }
  void store(std::string_view content) const { test::writeFile(file, content); }

  int setUnsigned(std::uint32_t value, std::string_view key,
                  std::string_view section = "default") const {
    return XmlSetValue(file.c_str(), XML_UNSIGNED, &value, XML_ADD_OR_REPLACE, XML_AT_END,
                       {"users_settings", section, key});
  }
  int setString(const char* value, std::string_view key,
                std::string_view section = "default") const {
    return XmlSetValue(file.c_str(), XML_STRING, value, XML_ADD_OR_REPLACE, XML_AT_END,
                       {"users_settings", section, key});
  }
  int getText(std::string& text, std::string_view key,
              std::string_view section = "default") const {
    return XmlGetText(file.c_str(), text, {"users_settings", section, key});
  }
  int getNumber(int kind, std::uint32_t& value, std::string_view key,
                std::string_view section = "default") const {
    std::size_t size = sizeof value;
    return XmlGetValue(file.c_str(), kind, &value, size,
                       {"users_settings", section, key});
  }

  // Files in the folder other than the options file: temporary leftovers.
  int strayFiles() const {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      n += entry.path().filename() != "Ravelock_options.xml";
    return n;
  }
};

} // namespace ravelock::options
