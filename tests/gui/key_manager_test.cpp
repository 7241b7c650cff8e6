// The Key manager page and key databases as the user meets them: keys
// added (also under a name that exists), deleted, saved to a database and
// loaded back from the page and at logon, name conflicts, wrong master
// keys and files that are no databases (screenshots in build/screens).

#include "engine/cipher/cipher.h"
#include "engine/files/buffer_crypto.h"
#include "engine/format/header.h"
#include "gui/suite.h"
#include "keyserver/key_database.h"
#include "support/key_record.h"
#include "vellapp/resource.h"

#include <commctrl.h>

#include <cstring>

namespace ravelock::gui {
namespace {

constexpr wchar_t kNewKeyTitle[] = L"New key";
constexpr wchar_t kPasswordTitle[] = L"Key database password";
constexpr wchar_t kLoadTitle[] = L"Ravelock - load key database";
constexpr wchar_t kConflictTitle[] = L"Key with this name already exists";
constexpr wchar_t kLoadingTitle[] = L"Loading key database";
constexpr wchar_t kMaster[] = L"master key";
constexpr char kDatabaseName[] = "Team keys";
const std::wstring kNotDatabase =
    L"The file you have selected is not a valid key database.";

class KeyManager : public InstalledSuite<KeyManager> {
public:
  static constexpr const char* kPrograms[] = {"vellapp.exe"};

protected:
  void SetUp() override {
    InstalledSuite::SetUp();
    keys->DeleteAllKeys();
  }

  std::unique_ptr<Process> vellapp(const std::wstring& arguments) {
    auto process = std::make_unique<Process>(
        L"\"" + (install->path() / "vellapp.exe").wstring() + L"\" " + arguments,
        install->path().wstring());
    EXPECT_TRUE(process->started());
    return process;
  }

  // vellapp on the Key manager page; the main window and the page.
  std::unique_ptr<Process> openPage(HWND& window, HWND& page) {
    auto app = vellapp(L"/d");
    window = waitForWindow(app->id(), kProductCaption);
    page = window ? GetDlgItem(window, IDD_KEY_MANAGER_PAGE) : nullptr;
    EXPECT_NE(page, nullptr);
    return app;
  }

  static std::string keyOf(const char* name) {
    KeyRecord record{};
    if (keys->FindKey(name, record) != 1)
      return "<none>";
    return std::string(record.key, record.length);
  }

  static void store(const char* key, const char* name) {
    ASSERT_EQ(keys->StoreKey(test::keyRecord(key, name)), 1) << name;
  }

  // The list once it shows `expected` (the page reloads on its own).
  static testing::AssertionResult listShows(HWND page,
                                            std::vector<std::wstring> expected) {
    return waitUntil("the key list to show the server's keys", [&] {
      return listItems(GetDlgItem(page, IDC_KEY_LIST)) == expected;
    });
  }

  // Template 145 or 148 answered with a key (typed twice where there are
  // two boxes) and, when given, a name.
  static HWND fillKeyDialog(DWORD pid, const wchar_t* title, const std::wstring& key,
                            const wchar_t* name = nullptr) {
    HWND dialog = waitForWindow(pid, title);
    EXPECT_NE(dialog, nullptr) << "no dialog "
                               << std::string(title, title + wcslen(title));
    if (!dialog)
      return nullptr;
    setItemText(dialog, IDC_ENTRY_KEY, key);
    if (GetDlgItem(dialog, IDC_ENTRY_CONFIRM))
      setItemText(dialog, IDC_ENTRY_CONFIRM, key);
    if (name)
      setItemText(dialog, IDC_ENTRY_NAME, name);
    return dialog;
  }

  // Save All... (or Save... when `selected`) to `path` under the master key.
  void saveTo(DWORD pid, HWND page, const std::string& path, bool selected = false) {
    click(page, selected ? IDC_SAVE_SELECTED : IDC_SAVE_ALL);
    ASSERT_TRUE(answerSaveAs(pid, wide(path)));
    HWND password =
        fillKeyDialog(pid, kPasswordTitle, kMaster, wide(kDatabaseName).c_str());
    ASSERT_NE(password, nullptr);
    click(password, IDOK);
    ASSERT_TRUE(waitUntilGone(password));
    ASSERT_TRUE(
        waitUntil("the database to be written", [&] { return fileClosed(path); }));
  }

  // Load... of `path`; the load dialog, waiting for its master key.
  static HWND startLoad(DWORD pid, HWND page, const std::string& path) {
    click(page, IDC_LOAD_DATABASE);
    const fs::path file(path);
    EXPECT_TRUE(answerOpenFiles(pid, file.parent_path().wstring(),
                                {file.filename().wstring().c_str()}));
    return waitForWindow(pid, kLoadTitle);
  }

  static void finishLoad(HWND dialog, const std::wstring& key = kMaster) {
    setItemText(dialog, IDC_ENTRY_KEY, key);
    click(dialog, IDOK);
    EXPECT_TRUE(waitUntilGone(dialog));
  }

  // The records of a database file, deciphered under the master key.
  static std::vector<std::pair<std::string, std::string>>
  recordsOf(const std::string& path) {
    const std::string bytes = readFile(path);
    std::vector<std::pair<std::string, std::string>> records;
    if (bytes.size() < engine::kHeaderSize)
      return records;
    unsigned char head[engine::kHeaderSize];
    std::memcpy(head, bytes.data(), sizeof head);
    const engine::EncryptedFileHeader header = engine::parseHeader(head);
    std::vector<unsigned char> payload(bytes.begin() + engine::kHeaderSize, bytes.end());
    engine::CipherState cipher;
    const std::string master = "master key";
    cipher.Init(reinterpret_cast<const unsigned char*>(master.data()), master.size());
    if (engine::decipherPayload(cipher, payload.data(), payload.size(), nullptr,
                                header.keyCheckCrc, header.contentCrc) != 0)
      return records;
    for (const KeyRecord& record : keyserver::readDatabaseRecords(payload).records)
      records.emplace_back(record.name, std::string(record.key, record.length));
    return records;
  }
};

TEST_F(KeyManager, KeysAreAddedAndANameThatExistsIsAskedAbout) {
  store("old beta", "beta");
  HWND window = nullptr, page = nullptr;
  auto app = openPage(window, page);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(listShows(page, {L"beta"}));

  // A new name is stored at once.
  click(page, IDC_ADD_KEY);
  HWND dialog = fillKeyDialog(app->id(), kNewKeyTitle, L"alpha key", L"alpha");
  ASSERT_NE(dialog, nullptr);
  screenshot(dialog, "AddKeyDialog");
  click(dialog, IDOK);
  ASSERT_TRUE(waitUntilGone(dialog));
  ASSERT_TRUE(listShows(page, {L"alpha", L"beta"}));

  // The checks in their order.
  click(page, IDC_ADD_KEY);
  dialog = fillKeyDialog(app->id(), kNewKeyTitle, L"one", L"x");
  setItemText(dialog, IDC_ENTRY_CONFIRM, L"One");
  click(dialog, IDOK);
  EXPECT_EQ(
      answerMessageBoxBeside(app->id(), IDOK),
      L"The key you have entered to the confirmation box differs from the first one.");
  setItemText(dialog, IDC_ENTRY_KEY, L"");
  setItemText(dialog, IDC_ENTRY_CONFIRM, L"");
  click(dialog, IDOK);
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDOK), L"Empty keys are not allowed.");
  setItemText(dialog, IDC_ENTRY_KEY, L"k");
  setItemText(dialog, IDC_ENTRY_CONFIRM, L"k");
  setItemText(dialog, IDC_ENTRY_NAME, L"");
  click(dialog, IDOK);
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDOK), L"You need to enter some name.");

  // No reopens the dialog with the name selected; the new name is stored.
  setItemText(dialog, IDC_ENTRY_NAME, L"beta");
  setItemText(dialog, IDC_ENTRY_KEY, L"gamma key");
  setItemText(dialog, IDC_ENTRY_CONFIRM, L"gamma key");
  click(dialog, IDOK);
  const std::wstring question =
      L"Key [beta] already exists in the database.\nWould you like "
      L"to replace this key with the new one?";
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDNO), question);
  dialog = waitForWindow(app->id(), kNewKeyTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(itemText(dialog, IDC_ENTRY_NAME), L"beta");
  DWORD from = 0, to = 0;
  ASSERT_TRUE(waitUntil("the name to be selected", [&] {
    SendDlgItemMessageW(dialog, IDC_ENTRY_NAME, EM_GETSEL,
                        reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return from == 0 && to == 4;
  }));
  setItemText(dialog, IDC_ENTRY_NAME, L"gamma");
  click(dialog, IDOK);
  ASSERT_TRUE(waitUntilGone(dialog));
  ASSERT_TRUE(listShows(page, {L"gamma", L"alpha", L"beta"}));
  EXPECT_EQ(keyOf("gamma"), "gamma key");

  // Yes replaces; Cancel leaves the server as it was.
  click(page, IDC_ADD_KEY);
  click(fillKeyDialog(app->id(), kNewKeyTitle, L"new beta", L"beta"), IDOK);
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDYES), question);
  ASSERT_TRUE(waitUntil("beta replaced", [&] { return keyOf("beta") == "new beta"; }));
  click(page, IDC_ADD_KEY);
  click(fillKeyDialog(app->id(), kNewKeyTitle, L"not stored", L"alpha"), IDOK);
  EXPECT_FALSE(answerMessageBoxBeside(app->id(), IDCANCEL).empty());
  EXPECT_EQ(keyOf("alpha"), "alpha key");
  EXPECT_EQ(keys->GetKeyCount(), 3);

  // Another program's key shows once the program is activated again.
  store("outside", "delta");
  SendMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
  ASSERT_TRUE(listShows(page, {L"delta", L"gamma", L"alpha", L"beta"}));
  screenshot(window, "KeyManagerPage");

  // Delete key in the list with nothing selected does nothing; with two
  // selected one question deletes both.
  HWND list = GetDlgItem(page, IDC_KEY_LIST);
  ASSERT_TRUE(selectListItems(list, {}));
  SendMessageW(page, WM_USER + 785, 0, 0);
  ASSERT_TRUE(selectListItems(list, {0, 2}));
  click(page, IDC_DELETE_KEY);
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDYES),
            L"Do you want to delete selected keys?");
  ASSERT_TRUE(listShows(page, {L"gamma", L"beta"}));
  click(page, IDC_DELETE_KEY);
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDOK),
            L"Please select the item you want to delete. ");
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
}

TEST_F(KeyManager, AllKeysAreSavedDeletedAndLoadedBack) {
  store("key one", "one");
  store("key two", "two");
  store("key three", "three");
  const std::string path = data.file("keys.rlk");
  HWND window = nullptr, page = nullptr;
  auto app = openPage(window, page);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(listShows(page, {L"three", L"two", L"one"}));

  click(page, IDC_SAVE_ALL);
  ASSERT_TRUE(answerSaveAs(app->id(), wide(path)));
  HWND password = fillKeyDialog(app->id(), kPasswordTitle, kMaster);
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(itemText(password, IDC_ENTRY_NAME).rfind(L"My_keys_file_", 0), 0u);
  setItemText(password, IDC_ENTRY_NAME, wide(kDatabaseName));
  screenshot(password, "DatabasePasswordDialog");
  click(password, IDOK);
  ASSERT_TRUE(waitUntil("the database to be written", [&] { return fileClosed(path); }));

  const std::string bytes = readFile(path);
  EXPECT_EQ(bytes.size(), 48u + 8 + 3 * 96);
  EXPECT_EQ(std::string(bytes.data() + 16), kDatabaseName);
  using Records = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(recordsOf(path),
            (Records{{"one", "key one"}, {"two", "key two"}, {"three", "key three"}}));

  click(page, IDC_DELETE_ALL);
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDYES), L"Do you want to delete all keys?");
  ASSERT_TRUE(listShows(page, {}));
  EXPECT_EQ(keys->GetKeyCount(), 0);

  // A wrong master key is said so, and the dialog comes again as it was.
  HWND load = startLoad(app->id(), page, path);
  ASSERT_NE(load, nullptr);
  EXPECT_EQ(itemText(load, IDC_ENTRY_NAME), wide(kDatabaseName));
  EXPECT_FALSE(itemVisible(load, IDC_LOAD_LOGON_TEXT));
  setItemText(load, IDC_ENTRY_KEY, L"wrong");
  screenshot(load, "LoadDatabaseDialog");
  click(load, IDOK);
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDOK),
            L"The key you have entered is not valid for this file.");
  load = waitForWindow(app->id(), kLoadTitle);
  ASSERT_NE(load, nullptr);
  EXPECT_EQ(itemText(load, IDC_ENTRY_NAME), wide(kDatabaseName));
  finishLoad(load);
  ASSERT_TRUE(listShows(page, {L"three", L"two", L"one"}));
  EXPECT_EQ(keyOf("two"), "key two");

  // Saving over it again with Save... and two of the three selected:
  // the question first, then exactly those two.
  ASSERT_TRUE(selectListItems(GetDlgItem(page, IDC_KEY_LIST), {}));
  click(page, IDC_SAVE_SELECTED);
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDOK), L"No items are selected.");
  ASSERT_TRUE(selectListItems(GetDlgItem(page, IDC_KEY_LIST), {0, 2}));
  click(page, IDC_SAVE_SELECTED);
  ASSERT_TRUE(answerSaveAs(app->id(), wide(path)));
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDYES),
            wide(path) + L"\nThis file already exists.\nWould you like to overwrite it?");
  password =
      fillKeyDialog(app->id(), kPasswordTitle, kMaster, wide(kDatabaseName).c_str());
  click(password, IDOK);
  ASSERT_TRUE(waitUntil("the two keys to be written", [&] {
    return fileClosed(path) && readFile(path).size() == 48 + 200;
  }));
  EXPECT_EQ(recordsOf(path), (Records{{"three", "key three"}, {"one", "key one"}}));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
}

TEST_F(KeyManager, NamesThatExistAreAskedAboutFromThePageAndReplacedAtLogon) {
  for (const char* name : {"a", "b", "c"})
    store((std::string("saved ") + name).c_str(), name);
  const std::string path = data.file("logon.rlk");
  HWND window = nullptr, page = nullptr;
  auto app = openPage(window, page);
  ASSERT_NE(page, nullptr);
  saveTo(app->id(), page, path);
  for (const char* name : {"a", "b", "c"})
    store((std::string("changed ") + name).c_str(), name);

  // Skip for all: one question, then every later name is skipped.
  HWND load = startLoad(app->id(), page, path);
  ASSERT_NE(load, nullptr);
  finishLoad(load);
  HWND conflict = waitForWindow(app->id(), kConflictTitle);
  ASSERT_NE(conflict, nullptr);
  EXPECT_EQ(itemText(conflict, IDC_CONFLICT_NAME), L"a");
  screenshot(conflict, "KeyConflictDialog");
  // Cancel asks first; No keeps the dialog.
  click(conflict, IDCANCEL);
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDNO),
            L"Are you sure you want to abort loading the database?");
  setItemChecked(conflict, IDC_CONFLICT_FOR_ALL, true);
  click(conflict, IDC_CONFLICT_SKIP);
  ASSERT_TRUE(waitUntilGone(conflict));
  ASSERT_TRUE(
      waitUntil("the load to end", [&] { return IsWindowEnabled(window) != FALSE; }));
  EXPECT_EQ(findWindow(app->id(), kConflictTitle), nullptr);
  for (const char* name : {"a", "b", "c"})
    EXPECT_EQ(keyOf(name), std::string("changed ") + name);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));

  // At logon the same file replaces them without asking.
  auto logon = vellapp(L"/ld \"" + wide(path) + L"\"");
  load = waitForWindow(logon->id(), kLoadTitle);
  ASSERT_NE(load, nullptr);
  EXPECT_TRUE(itemVisible(load, IDC_LOAD_LOGON_TEXT));
  EXPECT_TRUE(GetWindowLongPtrW(load, GWL_EXSTYLE) & WS_EX_TOPMOST);
  screenshot(load, "LoadDatabaseDialogAtLogon");
  finishLoad(load);
  EXPECT_TRUE(logon->waitForExit(kWindowTimeoutMs));
  for (const char* name : {"a", "b", "c"})
    EXPECT_EQ(keyOf(name), std::string("saved ") + name);
}

TEST_F(KeyManager, FilesThatAreNoDatabasesAreRefused) {
  // More than the 128 bytes of the key check, so damage after them shows
  // only once deciphered.
  store("k", "first");
  store("k", "second");
  const std::string database = data.file("good.rlk");
  HWND window = nullptr, page = nullptr;
  auto app = openPage(window, page);
  ASSERT_NE(page, nullptr);
  saveTo(app->id(), page, database);
  const std::string good = readFile(database);

  // Not an encrypted file; only the two lead words; a size field past the
  // end; a payload damaged after the key check.
  writeFile(data.file("plain.rlk"), std::string(200, 'p'));
  makeEncrypted(data.file("lead.txt"), std::string("\xA1\xED\xEC\xAB\x01\0\0\0", 8),
                test::keyRecord("master key", "lead"));
  std::string longer = good;
  longer[4] = static_cast<char>(good[4] + 8);
  writeFile(data.file("longer.rlk"), longer);
  struct Case {
    const char* file;
    std::wstring message;
  };
  const Case cases[] = {
      {"plain.rlk", kNotDatabase},
      {"lead.txt.rlk", kNotDatabase},
      {"longer.rlk", kNotDatabase},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    click(page, IDC_LOAD_DATABASE);
    ASSERT_TRUE(
        answerOpenFiles(app->id(), data.path().wstring(), {wide(c.file).c_str()}));
    EXPECT_EQ(answerMessageBoxBeside(app->id(), IDOK), c.message);
  }

  std::string damaged = good;
  damaged.back() = static_cast<char>(damaged.back() ^ 0x40);
  writeFile(data.file("damaged.rlk"), damaged);
  HWND load = startLoad(app->id(), page, data.file("damaged.rlk"));
  ASSERT_NE(load, nullptr);
  finishLoad(load);
  HWND progress = waitForWindow(app->id(), kLoadingTitle);
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(itemText(progress, IDC_DATABASE_LABEL), L"Loading 2 keys from a file:");
  EXPECT_EQ(itemText(progress, IDC_PROGRESS_PATH), wide(data.file("damaged.rlk")));
  screenshot(progress, "DatabaseProgressDialog");
  EXPECT_EQ(answerMessageBoxBeside(app->id(), IDOK), L"Could not load database.");
  EXPECT_TRUE(waitUntilGone(progress));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app->waitForExit(kWindowTimeoutMs));
}

} // namespace
} // namespace ravelock::gui
