// The machine-wide lists of logon shortcuts and their counts.

#include "options/options_fixture.h"
#include "options/startup_lists.h"
#include "platform/filesystem.h"

namespace ravelock::options {
namespace {

class StartupLists : public OptionsFileTest {
protected:
  std::int64_t add(std::string_view path, StartupList list = StartupList::KeyManager) {
    return updateStartupList(list, path, true, file);
  }
  std::int64_t remove(std::string_view path, StartupList list = StartupList::KeyManager) {
    return updateStartupList(list, path, false, file);
  }
  std::string value(std::string_view key) const {
    std::string text;
    XmlGetText(file.c_str(), text, {"users_settings", "StartUp_users", key});
    return text;
  }
  void storeLists(std::string_view list, std::string_view count) {
    store("<users_settings><StartUp_users><StartUpUsers>" + std::string(list) +
          "</StartUpUsers><StartUpUsersCount>" + std::string(count) +
          "</StartUpUsersCount></StartUp_users></users_settings>");
  }
};

TEST_F(StartupLists, AddingKeepsUpperCasePathsOnceWithTheirCount) {
  EXPECT_EQ(add("c:\\docume~1\\al\\startm~1\\vellfi~1.lnk"), 1);
  EXPECT_EQ(add("C:\\DOCUME~1\\BOB\\STARTM~1\\VELLFI~1.LNK"), 2);
  EXPECT_EQ(value("StartUpUsers"), "C:\\DOCUME~1\\AL\\STARTM~1\\VELLFI~1.LNK "
                                   "C:\\DOCUME~1\\BOB\\STARTM~1\\VELLFI~1.LNK");
  EXPECT_EQ(value("StartUpUsersCount"), "2");
  // Already listed: nothing is written.
  const std::string before = bytes();
  EXPECT_EQ(add("C:\\Docume~1\\al\\STARTM~1\\vellfi~1.lnk"), 2);
  EXPECT_EQ(bytes(), before);
  // The drop target's list is separate.
  EXPECT_EQ(add("c:\\x\\pondlet.lnk", StartupList::DropTarget), 1);
  EXPECT_EQ(value("StartUpUsersPondlet"), "C:\\X\\PONDLET.LNK");
  EXPECT_EQ(value("StartUpUsersPondletCount"), "1");
  EXPECT_EQ(value("StartUpUsersCount"), "2");
  EXPECT_EQ(add(""), -1);
}

TEST_F(StartupLists, RemovingTakesTheFirstOccurrence) {
  EXPECT_EQ(remove("C:\\A.LNK"), -1); // nothing recorded
  storeLists("C:\\S\\PONDLET.LNK.OLD  C:\\S\\PONDLET.LNK C:\\T\\X.LNK", "3");
  // A path that is the beginning of a longer one removes that beginning.
  EXPECT_EQ(remove("c:\\s\\pondlet.lnk"), 2);
  EXPECT_EQ(value("StartUpUsers"), ".OLD  C:\\S\\PONDLET.LNK C:\\T\\X.LNK");
  EXPECT_EQ(remove("C:\\T\\X.LNK"), 1);
  EXPECT_EQ(value("StartUpUsers"), ".OLD  C:\\S\\PONDLET.LNK");
  const std::string before = bytes();
  EXPECT_EQ(remove("C:\\NOT\\THERE.LNK"), 1);
  EXPECT_EQ(bytes(), before);
  // The count does not go below 0.
  storeLists("C:\\A.LNK", "0");
  EXPECT_EQ(remove("C:\\A.LNK"), 0);
  EXPECT_EQ(value("StartUpUsers"), "");
  storeLists("C:\\A.LNK", "");
  EXPECT_EQ(remove("C:\\A.LNK"), 0);
}

TEST_F(StartupLists, AMissingListOrCountCountsFromNothingWhenAdding) {
  store("<users_settings><StartUp_users><StartUpUsers>C:\\OLD.LNK</StartUpUsers>"
        "</StartUp_users></users_settings>");
  EXPECT_EQ(remove("C:\\OLD.LNK"), -1);
  EXPECT_EQ(add("C:\\NEW.LNK"), 1);
  EXPECT_EQ(value("StartUpUsers"), "C:\\OLD.LNK C:\\NEW.LNK");
}

TEST_F(StartupLists, AListLongerThanItsCountSaysIsKeptWhole) {
  std::string list;
  for (int i = 0; i < 20; ++i)
    list += "C:\\DOCUME~1\\USER" + std::to_string(i) +
            "\\STARTM~1\\PROGRA~1\\STARTUP\\V.LNK ";
  list.pop_back();
  storeLists(list, "0");
  EXPECT_EQ(add("C:\\NEW.LNK"), 1);
  EXPECT_EQ(value("StartUpUsers"), list + " C:\\NEW.LNK");
}

TEST_F(StartupLists, AFailedWriteIsMinusOne) {
  store("<users_settings><StartUp_users lang=\"x\"></StartUp_users></users_settings>");
  EXPECT_EQ(add("C:\\A.LNK"), -1);
}

TEST_F(StartupLists, DeletingEveryListedShortcut) {
  const std::string a = dir.file("A.LNK"), b = dir.file("B.LNK"),
                    kept = dir.file("C.LNK");
  for (const std::string& f : {a, b, kept})
    test::writeFile(f, "lnk");
  EXPECT_EQ(deleteListedShortcuts(StartupList::KeyManager, file), 0);
  storeLists(" " + a + "  " + b + " " + dir.file("MISSING.LNK"), "3");
  EXPECT_EQ(listedShortcuts(StartupList::KeyManager, file),
            (std::vector<std::string>{a, b, dir.file("MISSING.LNK")}));
  EXPECT_EQ(deleteListedShortcuts(StartupList::KeyManager, file), 1);
  EXPECT_FALSE(platform::pathExists(a.c_str()));
  EXPECT_FALSE(platform::pathExists(b.c_str()));
  EXPECT_TRUE(platform::pathExists(kept.c_str()));
  EXPECT_EQ(value("StartUpUsersCount"), "3");
  EXPECT_EQ(deleteListedShortcuts(StartupList::DropTarget, file), 0);
  EXPECT_TRUE(listedShortcuts(StartupList::DropTarget, file).empty());
}

} // namespace
} // namespace ravelock::options
