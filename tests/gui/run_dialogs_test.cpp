// The run dialogs as a user meets them: each scenario runs in its own
// process (gui_host, calling the engine library as the main program does)
// in a virtual desktop, and the test answers its dialogs and checks the
// files on disk afterwards. Screenshots of every dialog go to
// build/screens.

#include "gui/suite.h"
#include "resource.h"
#include "support/key_record.h"

#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace ravelock::gui {
namespace {

constexpr char kKey[] = "gui secret";
constexpr char kKeyName[] = "gui key";

// `path` + ".rlk" holding `content`, encrypted under the remembered key;
// nothing else is left.
void makeEncrypted(const std::string& path, const std::string& content) {
  gui::makeEncrypted(path, content, test::keyRecord(kKey, kKeyName));
}

// The engine library, the key server and the scenario program, installed
// together in one folder as they would be: the options file lives there.
class RunDialogs : public InstalledSuite<RunDialogs> {
public:
  static constexpr const char* kPrograms[] = {"gui_host.exe"};

protected:
  static void SetUpTestSuite() {
    InstalledSuite::SetUpTestSuite();
    ASSERT_EQ(keys->StoreKey(test::keyRecord(kKey, kKeyName)), 1);
  }

  // Starts a decryption (or, with a key, an encryption) of `items`.
  std::unique_ptr<Process> start(const std::vector<std::string>& items,
                                 const char* key = nullptr) {
    return startWithList("gui_host.exe",
                         key ? std::string("encrypt \"") + key + "\"" : "decrypt", items);
  }

  // The export's answer and last target, once the scenario has ended.
  std::pair<int, std::string> finish(Process& process) {
    EXPECT_TRUE(process.waitForExit(kWindowTimeoutMs));
    EXPECT_EQ(process.exitCode(), 0u);
    std::ifstream in(resultFile());
    int answer = -2;
    std::string lastTarget;
    in >> answer;
    in.ignore();
    std::getline(in, lastTarget);
    return {answer, lastTarget};
  }

  // The next of the windows titled `titles`; its index in `which`. Null
  // when the process ended (or nothing came) instead.
  HWND next(Process& process, const std::vector<std::wstring>& titles, int& which) {
    bool found = false;
    waitUntil("the next window or the end of the scenario", [&] {
      for (std::size_t i = 0; i < titles.size() && !found; ++i)
        if (findWindow(process.id(), titles[i])) {
          which = static_cast<int>(i);
          found = true;
        }
      return found || !process.running();
    });
    // Found again, once it has painted.
    return found ? waitForWindow(process.id(), titles[which], 0) : nullptr;
  }
};

constexpr wchar_t kProgressTitle[] = L"Decryption progress";

TEST_F(RunDialogs, ConflictInAFolderShowsTheProgressAndTheQuestion) {
  const fs::path folder = data.path() / "folder";
  fs::create_directory(folder);
  const std::string a = (folder / "a.txt").string();
  makeEncrypted(a, "new a");
  writeFile(a, "old a");
  auto host = start({folder.string() + "\\"});

  HWND conflict = waitForWindow(host->id(), kExistsTitle);
  ASSERT_NE(conflict, nullptr);
  HWND progress = findWindow(host->id(), kProgressTitle);
  ASSERT_NE(progress, nullptr);
  // While the question is open the progress shows the conflicting file.
  EXPECT_EQ(itemText(progress, IDC_SOURCE), wide(a));
  EXPECT_EQ(itemText(conflict, IDC_EXISTS_PATH), wide(a));
  EXPECT_EQ(itemText(conflict, IDC_EXISTS_TEXT),
            L"This file already exists.\nWhat woud you like to do?");
  // Files met in a folder can always be skipped.
  EXPECT_TRUE(itemVisible(conflict, IDC_EXISTS_SKIP));
  EXPECT_TRUE(itemVisible(conflict, IDC_EXISTS_REMEMBER));
  EXPECT_TRUE(itemVisible(progress, IDC_SKIP));
  screenshot(conflict, "TargetExistsDialog");

  click(conflict, IDC_EXISTS_OVERWRITE);
  HWND success = waitForWindow(host->id(), kSuccessTitle);
  ASSERT_NE(success, nullptr);
  EXPECT_EQ(itemText(success, IDC_RESULT_TITLE), L"Success");
  EXPECT_EQ(itemText(success, IDC_RESULT_TEXT),
            L"The operation has completed successfully.");
  EXPECT_FALSE(itemChecked(success, IDC_DONT_SHOW));
  screenshot(success, "SuccessDialog");
  click(success, IDOK);
  const auto [answer, lastTarget] = finish(*host);
  // The last file processed was decrypted.
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(lastTarget, a);
  EXPECT_EQ(readFile(a), "new a");
  EXPECT_EQ(filesIn(folder), (std::set<std::string>{"a.txt", "a.txt.rlk"}));
}

// Every answer to an existing target, over three conflicting files: the
// first question gets the answer, later ones (if asked) Skip.
TEST_F(RunDialogs, EachAnswerToAnExistingTargetHasItsEffectOnDisk) {
  enum class First { Overwrite, OverwriteAll, Rename, Skip, SkipAll, Cancel };
  struct Case {
    First answer;
    const char* name;
    int questions; // how many conflict questions the run asks
    bool firstWritten, othersWritten, renamed, success;
  };
  const Case cases[] = {
      {First::Overwrite, "overwrite", 3, true, false, false, true},
      {First::OverwriteAll, "overwrite all", 1, true, true, false, true},
      {First::Rename, "rename", 3, false, false, true, true},
      {First::Skip, "skip", 3, false, false, false, true},
      {First::SkipAll, "skip all", 1, false, false, false, true},
      {First::Cancel, "cancel", 1, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path folder = data.path() / c.name;
    fs::create_directory(folder);
    std::set<std::string> names{"renamed.txt"};
    for (const char* name : {"t1.txt", "t2.txt", "t3.txt"}) {
      makeEncrypted((folder / name).string(), std::string("new ") + name);
      writeFile((folder / name).string(), std::string("old ") + name);
      names.insert(name);
      names.insert(std::string(name) + ".rlk");
    }
    if (!c.renamed)
      names.erase("renamed.txt");
    const std::string renamed = (folder / "renamed.txt").string();
    auto host = start({folder.string()});

    std::string first;
    int questions = 0, which = -1;
    bool success = false;
    while (HWND window = next(*host, {kExistsTitle, kSuccessTitle}, which)) {
      if (which == 1) {
        success = true;
        click(window, IDOK);
        waitUntilGone(window);
        continue;
      }
      const std::wstring path = itemText(window, IDC_EXISTS_PATH);
      if (++questions > 1) {
        click(window, IDC_EXISTS_SKIP);
        waitUntilGone(window);
        continue;
      }
      first = fs::path(path).filename().string();
      switch (c.answer) {
      case First::OverwriteAll:
      case First::SkipAll: setItemChecked(window, IDC_EXISTS_REMEMBER, true); break;
      default: break;
      }
      switch (c.answer) {
      case First::Overwrite:
      case First::OverwriteAll: click(window, IDC_EXISTS_OVERWRITE); break;
      case First::Skip:
      case First::SkipAll: click(window, IDC_EXISTS_SKIP); break;
      case First::Rename:
        click(window, IDC_EXISTS_RENAME);
        EXPECT_TRUE(answerSaveAs(host->id(), wide(renamed)));
        break;
      case First::Cancel:
        click(window, IDCANCEL);
        // More files follow: Cancel asks first.
        EXPECT_EQ(answerMessageBox(host->id(), IDYES),
                  L"Do you want to abort the decryption?");
        break;
      }
      waitUntilGone(window);
    }
    finish(*host);
    EXPECT_EQ(questions, c.questions);
    EXPECT_EQ(success, c.success);
    ASSERT_FALSE(first.empty());
    for (const char* name : {"t1.txt", "t2.txt", "t3.txt"}) {
      const bool written = name == first ? c.firstWritten : c.othersWritten;
      EXPECT_EQ(readFile((folder / name).string()),
                std::string(written ? "new " : "old ") + name)
          << name;
    }
    if (c.renamed) {
      EXPECT_EQ(readFile(renamed), "new " + first);
    }
    // Nothing else is left behind.
    EXPECT_EQ(filesIn(folder), names);
  }
}

TEST_F(RunDialogs, FailuresAreReportedAndTheReportCanBeSaved) {
  const std::string bad = data.file("bad.rlk");
  writeFile(bad, std::string(100, 'x'));
  const std::string missing = data.file("missing.txt.rlk");
  auto host = start({bad, missing});

  HWND failure = waitForWindow(host->id(), kFailureTitle);
  ASSERT_NE(failure, nullptr);
  EXPECT_EQ(itemText(failure, IDC_RESULT_TITLE), L"Error");
  EXPECT_EQ(itemText(failure, IDC_RESULT_TEXT),
            L"An error occured during the operation.\nFor more information click the "
            L"Details button.");
  screenshot(failure, "FailureDialog");
  click(failure, IDC_DETAILS);
  HWND errors = waitForWindow(host->id(), kErrorsTitle);
  ASSERT_NE(errors, nullptr);
  const std::string report =
      "This is not valid encrypted file of this program. Bad ID in file header.  >>\"" +
      bad + "\"\r\nUnable to open source file.  >>\"" + missing + "\"\r\n";
  EXPECT_EQ(itemText(errors, IDC_ERRORS_REPORT), wide(report));
  screenshot(errors, "ErrorsDialog");

  // F1 in the report shows its help.
  SendMessageW(errors, WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(GetDlgItem(errors, IDC_ERRORS_REPORT)), TRUE);
  pressKey(GetDlgItem(errors, IDC_ERRORS_REPORT), VK_F1);
  HWND help = waitForWindow(
      host->id(),
      L"Show detailed info about errors that occured during encryption/decryption.\n"
      L"Report uses following format:\nerror description >>file that was "
      L"encrypted/decrypted.",
      5000);
  EXPECT_NE(help, nullptr);
  pressKey(GetDlgItem(errors, IDC_ERRORS_REPORT), VK_SHIFT);

  const std::string saved = data.file("report.txt");
  click(errors, IDC_ERRORS_SAVE);
  ASSERT_TRUE(answerSaveAs(host->id(), wide(saved)));
  EXPECT_TRUE(waitUntil("the saved report", [&] { return fileClosed(saved); }));
  EXPECT_EQ(readFile(saved), report); // CR LF once per line

  // A file that cannot be written takes nothing: the dialog says so and
  // stays. (Held open without sharing: a read-only attribute does not stop
  // Wine running as root.)
  const std::string locked = data.file("locked.txt");
  writeFile(locked, "keep");
  HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  click(errors, IDC_ERRORS_SAVE);
  ASSERT_TRUE(answerSaveAs(host->id(), wide(locked)));
  // The Save As dialog asks before replacing (Windows captions its box
  // "Confirm Save As", Wine "Error").
  int which = -1;
  HWND replace = next(*host, {L"Confirm Save As", L"Error"}, which);
  ASSERT_NE(replace, nullptr);
  click(replace, IDYES);
  EXPECT_EQ(answerMessageBox(host->id(), IDOK),
            wide(locked) + L"\nError writing to this file.\nPlease make sure disk is not "
                           L"full and that you have sufficient privileges.");
  CloseHandle(holder);
  EXPECT_EQ(readFile(locked), "keep");
  EXPECT_TRUE(IsWindowVisible(errors));

  click(errors, IDCANCEL);
  ASSERT_TRUE(waitUntilGone(errors));
  click(failure, IDOK);
  EXPECT_EQ(finish(*host).first, 1);
}

TEST_F(RunDialogs, TheSuccessDialogCanBeSwitchedOff) {
  std::vector<std::string> files;
  for (const char* name : {"s1.txt", "s2.txt", "s3.txt"}) {
    files.push_back(data.file(name));
    makeEncrypted(files.back(), name);
  }
  // Esc with the box checked changes nothing.
  auto host = start({files[0] + ".rlk"});
  HWND success = waitForWindow(host->id(), kSuccessTitle);
  ASSERT_NE(success, nullptr);
  setItemChecked(success, IDC_DONT_SHOW, true);
  click(success, IDCANCEL);
  finish(*host);
  EXPECT_TRUE(options::getErrorsDialog(false, true, optionsAt()));

  host = start({files[1] + ".rlk"});
  success = waitForWindow(host->id(), kSuccessTitle);
  ASSERT_NE(success, nullptr);
  setItemChecked(success, IDC_DONT_SHOW, true);
  click(success, IDOK);
  finish(*host);
  EXPECT_FALSE(options::getErrorsDialog(false, true, optionsAt()));
  EXPECT_TRUE(options::getErrorsDialog(true, true, optionsAt()));

  // Now a successful run ends without a dialog.
  host = start({files[2] + ".rlk"});
  const auto [answer, lastTarget] = finish(*host);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(lastTarget, files[2]);
  EXPECT_EQ(readFile(files[2]), "s3.txt");
}

TEST_F(RunDialogs, ARepeatedlyEncryptedResultCanBeSavedUnderAnotherName) {
  const std::string plain = data.file("twice.txt");
  makeEncrypted(plain, "twice");
  const std::string once = readFile(plain + ".rlk");
  const KeyRecord key = test::keyRecord(kKey, kKeyName);
  // Encrypting the encrypted file again keeps its name.
  ASSERT_EQ(engine::EncryptFile((plain + ".rlk").c_str(), nullptr, &key, nullptr, 1), 0);
  const std::string twice = readFile(plain + ".rlk");
  auto host = start({plain + ".rlk"});

  HWND repeated = waitForWindow(host->id(), L"Repeatedly encrypted file");
  ASSERT_NE(repeated, nullptr);
  EXPECT_EQ(itemText(repeated, IDC_REPEATED_PATH), wide(plain + ".rlk"));
  screenshot(repeated, "RepeatedEncryptionDialog");
  const std::string other = data.file("once.rlk");
  click(repeated, IDC_REPEATED_RENAME);
  ASSERT_TRUE(answerSaveAs(host->id(), wide(other)));
  confirmSuccess(host->id());
  const auto [answer, lastTarget] = finish(*host);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(lastTarget, other);
  EXPECT_EQ(readFile(other), once);
  EXPECT_EQ(readFile(plain + ".rlk"), twice); // the kept original
  EXPECT_EQ(filesIn(data.path()), (std::set<std::string>{"list.txt", "once.rlk",
                                                         "result.txt", "twice.txt.rlk"}));
}

// A result whose content CRC does not match is kept only when the user
// says so; declined, it is reported and nothing of it is left.
TEST_F(RunDialogs, ADamagedResultIsKeptOnlyWhenTheUserSaysSo) {
  for (const bool keep : {true, false}) {
    SCOPED_TRACE(keep ? "keep" : "decline");
    const std::string plain = data.file(keep ? "kept.txt" : "declined.txt");
    makeEncrypted(plain, std::string(4096, 'c'));
    // Past the bytes the key check reads: the key fits, the content does not.
    std::string encrypted = readFile(plain + ".rlk");
    encrypted[48 + 1024] ^= 0x55;
    writeFile(plain + ".rlk", encrypted);
    auto host = start({plain + ".rlk"});
    EXPECT_EQ(
        answerMessageBox(host->id(), keep ? IDYES : IDNO),
        L"CRC of the decrypted file in not correct.\nWould you like to keep the file "
        L"anyway?\n\nMore information: The decrypted file is not identical to original "
        L"encrypted file, because the checksum (CRC) does not match. The file may be "
        L"corrupted.\nDepending on type of the file, you may be still able to use it.");
    if (keep) {
      confirmSuccess(host->id());
    } else {
      HWND failure = waitForWindow(host->id(), kFailureTitle);
      ASSERT_NE(failure, nullptr);
      click(failure, IDC_DETAILS);
      HWND errors = waitForWindow(host->id(), kErrorsTitle);
      ASSERT_NE(errors, nullptr);
      EXPECT_EQ(itemText(errors, IDC_ERRORS_REPORT),
                wide("CRC check of the file failed.  >>\"" + plain + ".rlk\"\r\n"));
      click(errors, IDCANCEL);
      waitUntilGone(errors);
      click(failure, IDOK);
    }
    finish(*host);
    EXPECT_EQ(fs::exists(plain), keep);
    EXPECT_EQ(readFile(plain + ".rlk"), encrypted);
  }
}

// Skip and Cancel while a large file is being decrypted end that file and
// leave nothing of it behind.
TEST_F(RunDialogs, SkipAndCancelStopALargeFile) {
  const std::string big = data.file("big.bin");
  makeEncrypted(big, std::string(96u << 20, 'b'));
  const std::string small = data.file("small.txt");
  makeEncrypted(small, "small");

  for (const bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancel" : "skip");
    auto host = start({big + ".rlk", small + ".rlk"});
    HWND progress = waitForWindow(host->id(), kProgressTitle);
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(
        waitUntil("the Skip button", [&] { return itemVisible(progress, IDC_SKIP); }));
    click(progress, cancel ? IDCANCEL : IDC_SKIP);
    if (!cancel) {
      // The question holds the worker: the progress stands still for its
      // picture while the box is moved out of the way.
      HWND question =
          waitForWindow(host->id(), kProductCaption, kWindowTimeoutMs, kDialogClass);
      ASSERT_NE(question, nullptr);
      moveWindow(question, 8, 8);
      EXPECT_EQ(itemText(progress, IDC_TARGET), wide(big));
      screenshot(progress, "DecryptProgressDialog");
    }
    EXPECT_EQ(answerMessageBox(host->id(), IDYES),
              cancel ? L"Do you want to abort the decryption?"
                     : L"Would you like to skip this file?");
    if (!cancel) {
      confirmSuccess(host->id());
    }
    const auto [answer, lastTarget] = finish(*host);
    EXPECT_FALSE(fs::exists(big));
    EXPECT_EQ(fs::exists(small), !cancel);
    std::set<std::string> expected{"big.bin.rlk", "list.txt", "result.txt",
                                   "small.txt.rlk"};
    if (!cancel)
      expected.insert("small.txt");
    EXPECT_EQ(filesIn(data.path()), expected);
    fs::remove(small);
  }
}

TEST_F(RunDialogs, EncryptionGoesOnAfterNoToSkipAndRenameAppendsTheExtension) {
  const std::string big = data.file("big.bin");
  const std::string bigContent(48u << 20, 'e');
  writeFile(big, bigContent);
  const std::string plain = data.file("plain.txt");
  writeFile(plain, "plain");
  writeFile(plain + ".rlk", "in the way");
  auto host = start({big, plain}, kKey);

  HWND progress = waitForWindow(host->id(), L"Encryption progress");
  ASSERT_NE(progress, nullptr);
  ASSERT_TRUE(
      waitUntil("the Skip button", [&] { return itemVisible(progress, IDC_SKIP); }));
  click(progress, IDC_SKIP);
  HWND question =
      waitForWindow(host->id(), kProductCaption, kWindowTimeoutMs, kDialogClass);
  ASSERT_NE(question, nullptr);
  moveWindow(question, 8, 8);
  screenshot(progress, "EncryptProgressDialog");
  EXPECT_EQ(answerMessageBox(host->id(), IDNO), L"Would you like to skip this file?");

  HWND conflict = waitForWindow(host->id(), kExistsTitle);
  ASSERT_NE(conflict, nullptr);
  EXPECT_EQ(itemText(conflict, IDC_EXISTS_PATH), wide(plain + ".rlk"));
  click(conflict, IDC_EXISTS_RENAME);
  const std::string chosen = data.file("chosen.txt");
  ASSERT_TRUE(answerSaveAs(host->id(), wide(chosen)));
  confirmSuccess(host->id());
  finish(*host);
  EXPECT_EQ(fs::file_size(big + ".rlk"), 48 + bigContent.size());
  EXPECT_EQ(readFile(plain + ".rlk"), "in the way");
  EXPECT_TRUE(fs::exists(chosen + ".rlk"));
  EXPECT_FALSE(fs::exists(chosen));
}

} // namespace
} // namespace ravelock::gui
