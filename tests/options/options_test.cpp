// The typed accessors: where the file is, whose section, defaults, the
// read rules and the pairs.

#include "options/option_table.h"
#include "options/options.h"
#include "options/options_fixture.h"
#include "platform/module.h"
#include "platform/user.h"

#include <cstring>

namespace ravelock::options {
namespace {

class Accessors : public OptionsFileTest {
protected:
  const OptionsLocation at{file, "default"};

  void storeValue(std::string_view key, std::string_view text) {
    ASSERT_EQ(XmlSetText(file.c_str(), text, XML_ADD_OR_REPLACE, XML_AT_END,
                         {"users_settings", "default", key}),
              0);
  }
};

TEST(OptionsLocation, TheFileBesideTheProgramAndTheUsersSection) {
  static const int inThisProgram = 0;
  EXPECT_EQ(OptionsFilePath(),
            platform::moduleFolder(&inThisProgram) + "Ravelock_options.xml");

  const std::string user = platform::logonUserName();
  EXPECT_FALSE(user.empty());
  EXPECT_EQ(OptionsSectionName(), sectionNameFor(user));
  const OptionsLocation current = currentOptionsLocation();
  EXPECT_EQ(current.file, OptionsFilePath());
  EXPECT_EQ(current.section, OptionsSectionName());

  struct Case {
    std::string_view logon;
    std::string_view section;
  };
  const Case cases[] = {
      {"alice", "alice"},
      {"A.b-c_9", "A.b-c_9"},
      {"John Smith", "default"},
      {"j\xF6rg", "default"},
      {"", "default"},
      {"dom\\user", "default"},
      {"StartUp_users", "StartUp_users"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(sectionNameFor(c.logon), c.section) << c.logon;
}

TEST_F(Accessors, DefaultsWhenNothingIsStored) {
  for (bool encryption : {true, false}) {
    EXPECT_TRUE(getRememberKeys(encryption, true, at));
    EXPECT_FALSE(getKeepFile(encryption, false, at));
    EXPECT_TRUE(getBrowseSubfolders(encryption, true, at));
    EXPECT_TRUE(getErrorsDialog(encryption, true, at));
  }
  EXPECT_FALSE(getServerIconShow(false, at));
  EXPECT_EQ(getAppPage(3, at), 3u);
  std::string path = "stale";
  EXPECT_FALSE(getDatabaseDefaultPath(path, at));
  EXPECT_EQ(path, "");
  // The drop target's getters leave the caller's preset alone.
  bool topmost = true;
  int size = 1, start = 2, x = 2, y = 2;
  EXPECT_FALSE(getFishTopmost(topmost, at));
  EXPECT_FALSE(getFishSize(size, at));
  EXPECT_FALSE(getFishStart(start, at));
  EXPECT_FALSE(getFishX(x, at));
  EXPECT_FALSE(getFishY(y, at));
  EXPECT_TRUE(topmost);
  EXPECT_EQ(size + start + x + y, 7);
}

TEST_F(Accessors, ThePairsSelectCryOrDecry) {
  ASSERT_TRUE(setKeepFile(true, false, at));
  ASSERT_TRUE(setRememberKeys(false, false, at));
  ASSERT_TRUE(setBrowseSubfolders(true, false, at));
  ASSERT_TRUE(setErrorsDialog(false, false, at));
  EXPECT_FALSE(getKeepFile(true, true, at));
  EXPECT_TRUE(getKeepFile(false, true, at));
  EXPECT_TRUE(getRememberKeys(true, true, at));
  EXPECT_FALSE(getRememberKeys(false, true, at));
  EXPECT_FALSE(getBrowseSubfolders(true, true, at));
  EXPECT_TRUE(getBrowseSubfolders(false, true, at));
  EXPECT_TRUE(getErrorsDialog(true, true, at));
  EXPECT_FALSE(getErrorsDialog(false, true, at));
  std::string text;
  EXPECT_EQ(getText(text, "CryKeepFile"), 1);
  EXPECT_EQ(text, "0");
  EXPECT_EQ(getText(text, "DecryErrorsDialog"), 1);
  EXPECT_EQ(text, "0");
}

TEST_F(Accessors, StoredValuesAreTakenByTheReadRules) {
  struct Case {
    std::string_view key;
    std::string_view stored;
    std::int64_t used;
  };
  const Case cases[] = {
      {"CryKeepFile", "5", 1},   {"ServerIconShow", "0", 0},
      {"fish_topmost", "-1", 1}, {"APPpage", "2", 2},
      {"APPpage", "9", 3},       {"APPpage", "-1", 3},
      {"fish_size", "2", 2},     {"fish_size", "7", 0},
      {"fish_size", "-1", 0},    {"fish_start", "3", 3},
      {"fish_start", "9", 2},    {"fish_start", "0", 0},
      {"fish_x", "-300", -300},  {"fish_y", "4294967295", 2147483647},
  };
  for (const Case& c : cases) {
    storeValue(c.key, c.stored);
    const OptionReading reading = readOption(*findOption(c.key), at);
    ASSERT_EQ(reading.result, 1) << c.key;
    EXPECT_EQ(reading.value, c.used) << c.key << " " << c.stored;
  }
  storeValue("fish_size", "7");
  int size = 2;
  EXPECT_TRUE(getFishSize(size, at));
  EXPECT_EQ(size, 0);
  storeValue("APPpage", "9");
  EXPECT_EQ(getAppPage(1, at), 3u);
}

TEST_F(Accessors, EveryOptionWritesAndReadsItsValues) {
  for (const OptionDefinition& option : perUserOptions()) {
    if (option.type == OptionType::Text) {
      const std::string longest(static_cast<std::size_t>(option.highest), 'p');
      ASSERT_EQ(writeOption(option, longest, at), 0);
      EXPECT_EQ(readOption(option, at).text, longest);
      continue;
    }
    for (std::int64_t value : {option.lowest, option.highest}) {
      ASSERT_EQ(writeOption(option, value, at), 0) << option.key;
      const OptionReading reading = readOption(option, at);
      EXPECT_EQ(reading.result, 1) << option.key;
      EXPECT_EQ(reading.value, value) << option.key;
    }
  }
  EXPECT_EQ(findOption("fish_size"), &optionDefinition(OptionId::FishSize));
  EXPECT_EQ(findOption("Fish_Size"), nullptr);
}

TEST_F(Accessors, TheDatabasePathFitsTwoHundredSixtyBytes) {
  const std::string fits(259, 'd');
  ASSERT_TRUE(setDatabaseDefaultPath(fits, at));
  std::string path;
  EXPECT_TRUE(getDatabaseDefaultPath(path, at));
  EXPECT_EQ(path, fits);
  storeValue("VelldatabaseDefaultPath", fits + "d");
  path = "stale";
  EXPECT_FALSE(getDatabaseDefaultPath(path, at));
  EXPECT_EQ(path, "");
}

TEST_F(Accessors, UsersHaveSectionsSideBySide) {
  const OptionsLocation alice{file, "alice"}, bob{file, "bob"};
  ASSERT_TRUE(setAppPage(1, alice));
  ASSERT_TRUE(setFishX(-40, alice));
  ASSERT_TRUE(setAppPage(2, bob));
  EXPECT_EQ(getAppPage(3, alice), 1u);
  EXPECT_EQ(getAppPage(3, bob), 2u);
  int x = 0;
  EXPECT_TRUE(getFishX(x, alice));
  EXPECT_EQ(x, -40);
  EXPECT_FALSE(getFishX(x, bob));
  // Taking one key out of a section brings back only that option's default.
  std::string content = bytes();
  const std::size_t at1 = content.find("<APPpage>1</APPpage>");
  ASSERT_NE(at1, std::string::npos);
  content.erase(at1, std::strlen("<APPpage>1</APPpage>"));
  store(content);
  EXPECT_EQ(getAppPage(3, alice), 3u);
  EXPECT_TRUE(getFishX(x, alice));
  EXPECT_EQ(getAppPage(3, bob), 2u);
}

TEST_F(Accessors, SettersSayWhenTheFileCannotBeWritten) {
  store("<?xml version=\"1.0\"?><users_settings/>");
  EXPECT_FALSE(setServerIconShow(true, at));
  EXPECT_FALSE(setStartUp(true, at));
  EXPECT_TRUE(getServerIconShow(true, at));
  store("");
  EXPECT_TRUE(setStartUp(true, at));
  std::string text;
  EXPECT_EQ(getText(text, "StartUp"), 1);
  EXPECT_EQ(text, "1");
}

} // namespace
} // namespace ravelock::options
