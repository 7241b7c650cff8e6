// Whole encryption and decryption sessions as a user meets them: the key
// dialogs before and during the runs (key_host calls CryptFiles and
// DeCryptFiles), remembered keys in the key server, and decrypt-and-run
// through rundll32. Screenshots of the key dialogs go to build/screens.

#include "gui/suite.h"
// After the suite's <windows.h>, whose DecryptFile macro it undoes.
#include "engine/files/decrypt_file.h"
#include "platform/filesystem.h"
#include "resource.h"
#include "support/key_record.h"

#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace ravelock::gui {
namespace {

constexpr char kRememberedName[] = "gui key";
constexpr char kRememberedKey[] = "gui secret";

// Types `text` (UTF-8) into an edit box as the keyboard would, one character at a
// time, so that the box's own limit applies.
void type(HWND dialog, int id, const std::string& text) {
  HWND edit = GetDlgItem(dialog, id);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  for (const wchar_t c : wide(text))
    SendMessageW(edit, WM_CHAR, c, 1);
}

// A left click on a static control, which the dialog sees as its own.
void clickLabel(HWND dialog, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
  const LPARAM at =
      MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(dialog, WM_LBUTTONUP, 0, at);
}

bool readOnly(HWND dialog, int id) {
  return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY) != 0;
}

wchar_t passwordChar(HWND dialog, int id) {
  return static_cast<wchar_t>(SendDlgItemMessageW(dialog, id, EM_GETPASSWORDCHAR, 0, 0));
}

// The engine library, the key server and the scenario program installed in
// one folder; the key server remembers one key at the start of each test.
class KeyDialogs : public InstalledSuite<KeyDialogs> {
public:
  static constexpr const char* kPrograms[] = {"key_host.exe"};

protected:
  void SetUp() override {
    InstalledSuite::SetUp();
    keys->DeleteAllKeys();
    ASSERT_EQ(keys->StoreKey(test::keyRecord(kRememberedKey, kRememberedName)), 1);
  }

  std::unique_ptr<Process> start(const char* what,
                                 const std::vector<std::string>& items) {
    return startWithList("key_host.exe", what, items);
  }

  int finish(Process& process) {
    EXPECT_TRUE(process.waitForExit(kWindowTimeoutMs));
    int answer = -2;
    std::ifstream(resultFile()) >> answer;
    fs::remove(resultFile());
    return answer;
  }

  static std::string rememberedKey(const char* name) {
    KeyRecord found{};
    if (keys->FindKey(name, found) != 1)
      return "";
    return std::string(found.key, found.length);
  }
};

// A new key of the longest length, typed twice and named; remembered, and
// then it decrypts the file without a question.
TEST_F(KeyDialogs, ATypedKeyEncryptsAFileAndIsRemembered) {
  keys->DeleteAllKeys();
  const std::string file = data.file("letter.txt");
  writeFile(file, "dear reader");
  auto host = start("encrypt", {file});

  HWND dialog = waitForWindow(host->id(), kEncryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  // Nothing remembered: no name list; one file: the target line.
  EXPECT_FALSE(itemVisible(dialog, IDC_KEY_NAMES));
  EXPECT_FALSE(itemVisible(dialog, IDC_KEY_NAME_LABEL));
  EXPECT_FALSE(itemVisible(dialog, IDC_KEY_SUBFOLDERS));
  EXPECT_EQ(itemText(dialog, IDC_KEY_SOURCE), L"letter.txt");
  EXPECT_EQ(itemText(dialog, IDC_KEY_WILL_BECOME), L"will be encrypted to:");
  EXPECT_EQ(itemText(dialog, IDC_KEY_TARGET), L"letter.txt.rlk");
  EXPECT_TRUE(itemChecked(dialog, IDC_KEY_REMEMBER));
  EXPECT_TRUE(itemChecked(dialog, IDC_KEY_KEEP));

  // The boxes take 56 characters and refuse the 57th.
  const std::string key = std::string(50, 'k') + "Secret";
  type(dialog, IDC_KEY, key + "x");
  EXPECT_EQ(itemText(dialog, IDC_KEY), wide(key));
  // A confirmation that differs only in case is another key.
  type(dialog, IDC_KEY_CONFIRM, std::string(50, 'k') + "secret");
  screenshot(dialog, "EncryptKeyDialog");
  click(dialog, IDOK);
  EXPECT_EQ(answerMessageBox(host->id(), IDOK),
            L"Keys are different.\nPlease enter a key in the top box and type the same "
            L"key again in to the lower box to confirm it.");

  // The masking button shows both boxes and hides them again.
  const wchar_t masked = passwordChar(dialog, IDC_KEY);
  EXPECT_NE(masked, 0);
  click(dialog, IDC_KEY_MASK);
  EXPECT_TRUE(waitUntil("the keys to show",
                        [&] { return passwordChar(dialog, IDC_KEY_CONFIRM) == 0; }));
  EXPECT_EQ(passwordChar(dialog, IDC_KEY), 0);
  EXPECT_EQ(passwordChar(dialog, IDC_KEY_CONFIRM), 0);
  screenshot(dialog, "EncryptKeyDialog-unmasked");
  click(dialog, IDC_KEY_MASK);
  EXPECT_TRUE(waitUntil("the keys to be masked again",
                        [&] { return passwordChar(dialog, IDC_KEY_CONFIRM) != 0; }));
  EXPECT_EQ(passwordChar(dialog, IDC_KEY_CONFIRM), masked);

  type(dialog, IDC_KEY_CONFIRM, key);
  click(dialog, IDOK);
  HWND name = waitForWindow(host->id(), kKeyNameTitle);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(itemText(name, IDC_NAME_EDIT).rfind(L"My key ", 0), 0u);
  EXPECT_EQ(
      itemText(name, IDC_NAME_TEXT).rfind(L"Enter name of this key.\nBy this name", 0),
      0u);
  screenshot(name, "KeyNameDialog");
  setItemText(name, IDC_NAME_EDIT, L"");
  click(name, IDOK);
  EXPECT_EQ(answerMessageBox(host->id(), IDOK), L"Key name cannot be empty.");
  setItemText(name, IDC_NAME_EDIT, L"letters");
  click(name, IDOK);
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  EXPECT_EQ(readFile(file), "dear reader"); // kept
  EXPECT_TRUE(fs::exists(file + ".rlk"));
  EXPECT_EQ(rememberedKey("letters"), key);

  // Decrypted with the remembered key: no key dialog.
  fs::remove(file);
  host = start("decrypt", {file + ".rlk"});
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  EXPECT_EQ(readFile(file), "dear reader");
}

// A selection with a key remembered: the remembered key is offered, a
// click into a key box makes room for a new one, and its name asks before
// replacing a remembered one only when the key is to be remembered. The
// decryption then needs the typed key; a wrong one is shown again.
TEST_F(KeyDialogs, ASelectionUnderANewKeyOfARememberedName) {
  const std::vector<std::string> files{data.file("one.txt"), data.file("two.txt")};
  for (const std::string& file : files)
    writeFile(file, "content of " + file);
  auto host = start("encrypt", files);

  HWND dialog = waitForWindow(host->id(), kEncryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(itemVisible(dialog, IDC_KEY_NAMES));
  EXPECT_EQ(itemText(dialog, IDC_KEY_NAMES), wide(kRememberedName));
  EXPECT_FALSE(itemVisible(dialog, IDC_KEY_TARGET)); // two files: no target line
  EXPECT_TRUE(readOnly(dialog, IDC_KEY));
  EXPECT_TRUE(readOnly(dialog, IDC_KEY_CONFIRM));
  SendMessageW(dialog, WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_KEY)), TRUE);
  EXPECT_TRUE(waitUntil("room for a new key", [&] {
    return !readOnly(dialog, IDC_KEY) && !readOnly(dialog, IDC_KEY_CONFIRM);
  }));
  EXPECT_FALSE(readOnly(dialog, IDC_KEY));
  EXPECT_FALSE(readOnly(dialog, IDC_KEY_CONFIRM));
  type(dialog, IDC_KEY, "new key");
  type(dialog, IDC_KEY_CONFIRM, "new key");
  click(dialog, IDOK);
  HWND name = waitForWindow(host->id(), kKeyNameTitle);
  ASSERT_NE(name, nullptr);
  setItemText(name, IDC_NAME_EDIT, wide(kRememberedName));
  click(name, IDOK);
  EXPECT_EQ(answerMessageBox(host->id(), IDNO),
            L"Key with this name already exists.\nDo you want to overwrite it?");
  click(name, IDCANCEL);
  ASSERT_TRUE(waitUntilGone(name));
  // Not remembering: the same name is taken without a question.
  setItemChecked(dialog, IDC_KEY_REMEMBER, false);
  click(dialog, IDOK);
  name = waitForWindow(host->id(), kKeyNameTitle);
  ASSERT_NE(name, nullptr);
  setItemText(name, IDC_NAME_EDIT, wide(kRememberedName));
  click(name, IDOK);
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  EXPECT_EQ(rememberedKey(kRememberedName), kRememberedKey);
  EXPECT_FALSE(options::getRememberKeys(true, true, optionsAt()));

  for (const std::string& file : files)
    fs::remove(file);
  host = start("decrypt", {files[0] + ".rlk", files[1] + ".rlk"});
  dialog = waitForWindow(host->id(), kDecryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(itemText(dialog, IDC_KEY_FILE_NAME), wide(kRememberedName));
  EXPECT_EQ(itemText(dialog, IDC_KEY_SOURCE), L"one.txt.rlk");
  EXPECT_EQ(itemText(dialog, IDC_KEY_TARGET), L"one.txt");
  EXPECT_TRUE(itemVisible(dialog, IDC_KEY_SKIP));
  EXPECT_FALSE(itemVisible(dialog, IDC_KEY_SUBFOLDERS));
  type(dialog, IDC_KEY, "New key");
  screenshot(dialog, "DecryptKeyDialog");
  click(dialog, IDOK);
  // Remembering it would replace the remembered key of that name: No.
  EXPECT_EQ(answerMessageBox(host->id(), IDNO),
            L"Key with this name already exists. Do you want to overwrite it? ");
  EXPECT_EQ(
      answerMessageBox(host->id(), IDOK),
      L"Incorrect key.\nThe key you have entered is not valid for this file.\nPlease "
      L"check if the Caps Lock is not on and try again.");
  dialog = waitForWindow(host->id(), kDecryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  // The answer No is the run's choice now.
  EXPECT_FALSE(itemChecked(dialog, IDC_KEY_REMEMBER));
  // The rejected key is in the box again, masked until the button is pressed.
  EXPECT_NE(passwordChar(dialog, IDC_KEY), 0);
  click(dialog, IDC_KEY_MASK);
  EXPECT_TRUE(
      waitUntil("the key to show", [&] { return passwordChar(dialog, IDC_KEY) == 0; }));
  EXPECT_EQ(itemText(dialog, IDC_KEY), L"New key");
  screenshot(dialog, "DecryptKeyDialog-unmasked");
  type(dialog, IDC_KEY, "new key");
  click(dialog, IDOK);
  // The second file is tried with the first one's key: no other question.
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  for (const std::string& file : files)
    EXPECT_EQ(readFile(file), "content of " + file);
  EXPECT_EQ(rememberedKey(kRememberedName), kRememberedKey);
}

// Once the current key is deleted a run has no key to start with; the key
// the server holds under the file's key name still opens it unasked.
TEST_F(KeyDialogs, TheNamedKeyOpensAFileWhenThereIsNoCurrentKey) {
  const std::string file = data.file("named.txt");
  makeEncrypted(file, "found by name", test::keyRecord(kRememberedKey, kRememberedName));
  ASSERT_EQ(keys->StoreKey(test::keyRecord("passing key", "passing")), 1); // current
  ASSERT_EQ(keys->DeleteKey("passing"), 1);
  KeyRecord none{};
  ASSERT_EQ(keys->GetCurrentKey(none), 0);
  auto host = start("decrypt", {file + ".rlk"});
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  EXPECT_EQ(readFile(file), "found by name");
}

// Skip leaves one file encrypted and goes on; Cancel asks, and Yes ends the
// run with the remaining files untouched. Empty keys are refused.
TEST_F(KeyDialogs, SkipAndCancelInTheDecryptKeyDialog) {
  const KeyRecord unknown = test::keyRecord("unknown key", "elsewhere");
  std::vector<std::string> encrypted;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    makeEncrypted(data.file(name), name, unknown);
    encrypted.push_back(data.file(name) + ".rlk");
  }
  auto host = start("decrypt", encrypted);
  HWND dialog = waitForWindow(host->id(), kDecryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  click(dialog, IDOK);
  EXPECT_EQ(answerMessageBox(host->id(), IDOK),
            L"You must enter some key (Empty keys are not allowed)");
  click(dialog, IDC_KEY_SKIP);
  ASSERT_TRUE(waitUntilGone(dialog));
  dialog = waitForWindow(host->id(), kDecryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(itemText(dialog, IDC_KEY_SOURCE), L"b.txt.rlk");
  click(dialog, IDCANCEL);
  EXPECT_EQ(answerMessageBox(host->id(), IDNO), L"Do you want to abort the decryption?");
  EXPECT_TRUE(IsWindowVisible(dialog));
  click(dialog, IDCANCEL);
  EXPECT_EQ(answerMessageBox(host->id(), IDYES), L"Do you want to abort the decryption?");
  EXPECT_EQ(finish(*host), 1);
  EXPECT_EQ(filesIn(data.path()),
            (std::set<std::string>{"a.txt.rlk", "b.txt.rlk", "c.txt.rlk", "list.txt"}));
}

// A folder with subfolders under the remembered key (OK at once), the
// originals replaced; decrypted again with the remembered key.
TEST_F(KeyDialogs, AFolderWithSubfoldersUnderTheRememberedKey) {
  const fs::path folder = data.path() / "tree";
  fs::create_directories(folder / "inner" / "deeper");
  const std::vector<fs::path> files{folder / "top.txt", folder / "inner" / "mid.txt",
                                    folder / "inner" / "deeper" / "low.txt"};
  for (const fs::path& file : files)
    writeFile(file.string(), file.filename().string());
  auto host = start("encrypt", {folder.string() + "\\"});
  HWND dialog = waitForWindow(host->id(), kEncryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(itemVisible(dialog, IDC_KEY_SUBFOLDERS));
  EXPECT_TRUE(itemChecked(dialog, IDC_KEY_SUBFOLDERS));
  EXPECT_FALSE(itemVisible(dialog, IDC_KEY_TARGET));
  setItemChecked(dialog, IDC_KEY_KEEP, false);
  click(dialog, IDOK);
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  for (const fs::path& file : files) {
    EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_TRUE(fs::exists(file.string() + ".rlk")) << file;
  }
  // The changed choice is the next default.
  EXPECT_FALSE(options::getKeepFile(true, true, optionsAt()));

  host = start("decrypt", {folder.string() + "\\"});
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  for (const fs::path& file : files)
    EXPECT_EQ(readFile(file.string()), file.filename().string());
}

// A single ".RLK" file keeps its name as the target; a click on the target
// chooses another file, to which ".rlk" is added.
TEST_F(KeyDialogs, TheTargetOfASingleFile) {
  const std::string file = data.file("archive.RLK");
  writeFile(file, "not yet encrypted");
  auto host = start("encrypt", {file});
  HWND dialog = waitForWindow(host->id(), kEncryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(itemText(dialog, IDC_KEY_TARGET), L"archive.RLK");
  clickLabel(dialog, IDC_KEY_TARGET);
  const std::string chosen = data.file("chosen");
  ASSERT_TRUE(answerSaveAs(host->id(), wide(chosen)));
  EXPECT_TRUE(waitUntil("the chosen target", [&] {
    return itemText(dialog, IDC_KEY_TARGET) == L"chosen.rlk";
  }));
  EXPECT_EQ(itemText(dialog, IDC_KEY_TARGET), L"chosen.rlk");
  click(dialog, IDOK); // the remembered key
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  EXPECT_TRUE(fs::exists(chosen + ".rlk"));
  EXPECT_EQ(readFile(file), "not yet encrypted");

  // Cancel changes nothing and answers 1.
  host = start("encrypt", {file});
  dialog = waitForWindow(host->id(), kEncryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  click(dialog, IDCANCEL);
  EXPECT_EQ(finish(*host), 1);
  EXPECT_FALSE(fs::exists(optionsFile()));
}

// One pass-phrase encoding everywhere: a file whose key is the
// Windows-1252 bytes of "Käse-Brötchen" (as the command-line tool writes it
// on Linux) opens with that pass phrase typed, and a key typed into the
// encrypt dialog gives those bytes; a key name in that code page, as the
// design wrote it, shows right.
TEST_F(KeyDialogs, PassPhrasesAreWindows1252BytesAndOldKeyNamesShowRight) {
  const std::string typed = "K\xC3\xA4se-Br\xC3\xB6tchen";
  const KeyRecord western = test::keyRecord("K\xE4se-Br\xF6tchen", "Schl\xFC"
                                                                   "ssel");
  const std::string file =
      data.file("\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82 \xE2\x98\x95.txt");
  makeEncrypted(file, "Brotzeit", western);
  auto host = start("decrypt", {file + ".rlk"});
  HWND dialog = waitForWindow(host->id(), kDecryptKeyTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(itemText(dialog, IDC_KEY_FILE_NAME), L"Schl\u00FCssel");
  EXPECT_EQ(itemText(dialog, IDC_KEY_SOURCE),
            L"\u043E\u0442\u0447\u0451\u0442 \u2615.txt.rlk");
  type(dialog, IDC_KEY, typed);
  screenshot(dialog, "DecryptKeyDialog-Unicode");
  click(dialog, IDOK);
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  EXPECT_EQ(readFile(file), "Brotzeit");

  // No remembered key, so the dialog asks for a new one, and no encrypted
  // file in the way (decrypting kept it).
  keys->DeleteAllKeys();
  fs::remove(test::fileSystemPath(file + ".rlk"));
  host = start("encrypt", {file});
  answerEncryptKey(wide(typed), L"Schl\u00FCssel");
  confirmSuccess(host->id());
  EXPECT_EQ(finish(*host), 0);
  const std::string encrypted = readFile(file + ".rlk");
  ASSERT_GE(encrypted.size(), 48u);
  EXPECT_EQ(encrypted.substr(16, 10), std::string("Schl\xFCssel\0", 10));
  fs::remove(test::fileSystemPath(file));
  char target[platform::kMaxPath] = {};
  KeyRecord current = western;
  std::int32_t deleteOriginal = 0;
  EXPECT_EQ(engine::DecryptFile((file + ".rlk").c_str(), target, &current, nullptr,
                                nullptr, &deleteOriginal),
            0);
  EXPECT_EQ(readFile(file), "Brotzeit");
}

// rundll32 velldll.dll,CallToRun PATH: decrypts and opens the result.
class CallToRun : public KeyDialogs {
protected:
  std::unique_ptr<Process> run(const std::string& path) {
    const std::string command = "rundll32.exe \"" +
                                (install->path() / "velldll.dll").string() +
                                "\",CallToRun " + path;
    auto process = std::make_unique<Process>(wide(command), install->path().wstring());
    EXPECT_TRUE(process->started());
    return process;
  }
};

// The top-level window whose title starts with `prefix`, of any process.
HWND windowTitled(const std::wstring& prefix, DWORD ms) {
  struct Search {
    std::wstring prefix;
    HWND found = nullptr;
  } search{prefix};
  waitUntil(
      "a window titled \"" + fs::path(prefix).string() + "...\"",
      [&] {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
              auto* s = reinterpret_cast<Search*>(data);
              wchar_t title[256] = {};
              GetWindowTextW(window, title, 256);
              if (IsWindowVisible(window) &&
                  std::wstring(title).rfind(s->prefix, 0) == 0) {
                s->found = window;
                return FALSE;
              }
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      ms);
  return search.found;
}

TEST_F(CallToRun, DecryptsAndOpensTheResult) {
  const KeyRecord remembered = test::keyRecord(kRememberedKey, kRememberedName);
  const std::string note = data.file("note.txt");
  makeEncrypted(note, "a note", remembered);
  auto process = run(note + ".rlk");
  confirmSuccess(process->id());
  HWND editor = windowTitled(L"note", kWindowTimeoutMs);
  EXPECT_NE(editor, nullptr);
  EXPECT_TRUE(process->waitForExit(kWindowTimeoutMs));
  EXPECT_EQ(readFile(note), "a note");
  if (editor)
    PostMessageW(editor, WM_CLOSE, 0, 0);
}

TEST_F(CallToRun, AnExecutableResultIsRunOnlyWhenConfirmed) {
  const std::string tool = data.file("tool.EXE");
  makeEncrypted(tool, "not a program", test::keyRecord(kRememberedKey, kRememberedName));
  auto process = run(tool + ".rlk");
  confirmSuccess(process->id());
  EXPECT_EQ(answerMessageBox(process->id(), IDNO),
            L"The file is executable.\nDo you want to run it?");
  EXPECT_TRUE(process->waitForExit(kWindowTimeoutMs));
  EXPECT_EQ(readFile(tool), "not a program");
}

// rundll32 keeps the system's code page and calls CallToRunW: a name no
// ANSI code page holds arrives whole.
TEST_F(CallToRun, ANameOfEveryScriptArrivesWhole) {
  const std::string note =
      data.file("\xE5\xA0\xB1\xE5\x91\x8A caf\xC3\xA9 \xE2\x98\x95.txt");
  makeEncrypted(note, "a note", test::keyRecord(kRememberedKey, kRememberedName));
  auto process = run(note + ".rlk");
  confirmSuccess(process->id());
  HWND editor = windowTitled(L"\u5831\u544A", kWindowTimeoutMs);
  EXPECT_NE(editor, nullptr);
  EXPECT_TRUE(process->waitForExit(kWindowTimeoutMs));
  EXPECT_EQ(readFile(note), "a note");
  if (editor)
    PostMessageW(editor, WM_CLOSE, 0, 0);
}

TEST_F(CallToRun, AMissingFileIsReported) {
  auto process = run(data.file("missing.txt.rlk"));
  EXPECT_EQ(answerMessageBox(process->id(), IDOK),
            L"File does not exist, was not found or could not be accessed.");
  EXPECT_TRUE(process->waitForExit(kWindowTimeoutMs));
  EXPECT_EQ(findWindow(process->id(), kDecryptKeyTitle), nullptr);
}

} // namespace
} // namespace ravelock::gui
