#include "app/key_databases.h"

#include "app/key_database_dialogs.h"
#include "app/key_database_file.h"
#include "engine/files/target_naming.h"
#include "keyserver/key_database.h"
#include "platform/filesystem.h"
#include "platform/secure_wipe.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "resource.h"
#include "ui/key_entry.h"
#include "ui/message_box.h"
#include "ui/save_as.h"
#include "ui/text.h"

#include <algorithm>
#include <cstring>

namespace ravelock::app {

namespace {

constexpr wchar_t kDatabaseExtension[] = L"rlk";
// The free space a save needs beyond the records.
constexpr std::uint64_t kSpaceBeyondRecords = 16;
// Fewer payload bytes than this are tested whole by the key check.
constexpr std::uint32_t kKeyCheckBytes = 128;

// The plain image of a database: wiped however the operation ends.
struct WipedImage {
  std::vector<unsigned char> bytes;
  WipedImage() = default;
  WipedImage(const WipedImage&) = delete;
  WipedImage& operator=(const WipedImage&) = delete;
  ~WipedImage() { platform::secureWipe(bytes.data(), bytes.size()); }
};

int say(const KeyDatabaseContext& context, HWND owner, unsigned text, UINT flags) {
  return ui::messageBox(owner, context.resources.string(text), MB_OK | flags);
}

std::wstring systemText(std::uint32_t error) {
  return ui::widen(platform::systemErrorText(error));
}

// Whether the volume of `path` lacks room for `needed` bytes; a volume
// that cannot be asked is taken to have room.
bool lacksSpace(const std::string& path, std::uint64_t needed) {
  std::uint64_t available = 0;
  return platform::getFreeSpace(platform::volumeRootOf(path).c_str(), &available, nullptr,
                                nullptr) == 1 &&
         available < needed;
}

// The chosen name as the engine's ANSI path with ".rlk"; nothing when the
// code page cannot spell it (it would name another file).
std::optional<std::string> databasePath(const std::wstring& chosen) {
  std::string path;
  if (!ui::narrow(chosen, path))
    return std::nullopt;
  return engine::withEncryptedExtension(path);
}

// The export of the keys to save, with the count of records it holds.
bool fetchKeys(const KeyDatabaseContext& context, const char* names, std::uint32_t count,
               WipedImage& image, std::uint32_t& records) {
  if (names) {
    records = count;
    return context.keys->ExportNamedKeys(image.bytes, names, records) == 1;
  }
  return context.keys->ExportAllKeys(image.bytes, records) == 1;
}

} // namespace

void SaveKeyDatabase(const KeyDatabaseContext& context, HWND owner, const char* names,
                     std::uint32_t count) {
  const ui::Resources& resources = context.resources;
  ui::SaveAsRequest request{resources.string(IDS_FILTER_ENCRYPTED), kDatabaseExtension,
                            L"", false};
  std::optional<KeyEntryDialog> password;
  WipedImage image;
  std::uint32_t records = 0;
  for (;;) {
    const std::optional<std::wstring> chosen = ui::saveAs(owner, request);
    if (!chosen)
      return;
    const std::optional<std::string> path = databasePath(*chosen);
    if (!path) {
      say(context, owner, IDS_OUTSIDE_CODE_PAGE, MB_ICONSTOP);
      continue;
    }
    request.initialPath = ui::widen(*path);
    if (platform::pathExists(path->c_str()) &&
        ui::messageBox(owner,
                       ui::fill(resources.string(IDS_SAVE_EXISTS), request.initialPath),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
      continue;
    // The master key and the keys are asked for once, whatever comes after.
    if (!password) {
      password.emplace(resources, KeyEntryDialog::Mode::DatabasePassword);
      if (password->runModal(owner) != IDOK)
        return;
      if (!fetchKeys(context, names, count, image, records)) {
        say(context, owner, IDS_NO_SERVER, MB_ICONSTOP);
        return;
      }
    }
    const std::uint64_t contentLength = keyserver::databaseContentLength(records);
    if (lacksSpace(*path,
                   contentLength - keyserver::kDatabaseLeadBytes + kSpaceBeyondRecords)) {
      const auto needed = static_cast<unsigned>(
          contentLength - keyserver::kDatabaseLeadBytes + kSpaceBeyondRecords);
      ui::messageBox(owner, formatNumbers(resources.string(IDS_NO_SPACE), {needed}),
                     MB_OK | MB_ICONEXCLAMATION);
      continue;
    }
    DatabaseTarget target(*path);
    if (!target.prepare()) {
      const std::uint32_t error = platform::lastSystemError();
      ui::messageBox(owner,
                     fillEach(resources.string(IDS_CANNOT_CREATE),
                              {systemText(error), request.initialPath}),
                     MB_OK | MB_ICONSTOP);
      continue;
    }
    const KeyRecord& master = password->record();
    auto padded = static_cast<std::uint32_t>(contentLength);
    std::uint32_t keyCheckCrc = 0;
    std::uint32_t contentCrc = 0;
    DatabaseProgressDialog progress(
        resources, true, records, *path, [&](::ProgressLink& link) {
          return context.engine->cryptFreeBuffer(image.bytes.data(), &padded, master.key,
                                                 static_cast<std::int32_t>(master.length),
                                                 &link, &keyCheckCrc, &contentCrc);
        });
    if (progress.runModal(owner) != IDOK)
      return;
    const ui::WaitCursor wait;
    if (!target.write(databaseHeader(master, padded, keyCheckCrc, contentCrc),
                      std::span(image.bytes.data(), padded))) {
      const std::uint32_t error = platform::lastSystemError();
      ui::messageBox(owner,
                     ui::fill(resources.string(IDS_WRITE_FAILED), systemText(error)),
                     MB_OK | MB_ICONSTOP);
    }
    return;
  }
}

void LoadKeyDatabase(const KeyDatabaseContext& context, HWND owner,
                     const std::optional<std::string>& path,
                     keyserver::KeyConflictWindow* page, bool atLogon) {
  std::string file;
  if (path) {
    file = *path;
  } else {
    const std::optional<std::wstring> chosen =
        ui::openFile(owner, context.resources.string(IDS_FILTER_ENCRYPTED));
    if (!chosen)
      return;
    if (!ui::narrow(*chosen, file)) {
      say(context, owner, IDS_FILE_UNUSABLE, MB_ICONEXCLAMATION);
      return;
    }
  }
  RlkHeaderInfo info{};
  const std::int32_t tested = context.engine->isValidRlkFile(file.c_str(), &info);
  if (tested != 0) {
    if (path)
      return;
    // Open, size and read failures: the file may be fine but out of reach.
    const bool unusable = tested == 1 || tested == 2 || tested == 4;
    say(context, owner, unusable ? IDS_FILE_UNUSABLE : IDS_NOT_ENCRYPTED_DATABASE,
        MB_ICONEXCLAMATION);
    return;
  }
  WipedImage image;
  switch (readDatabasePayload(file.c_str(), info.originalSize, image.bytes)) {
  case PayloadRead::Read: break;
  case PayloadRead::Unusable:
    say(context, owner, IDS_FILE_UNUSABLE, MB_ICONEXCLAMATION);
    return;
  case PayloadRead::NotDatabase:
    say(context, owner, IDS_NOT_DATABASE, MB_ICONEXCLAMATION);
    return;
  }
  const auto length = static_cast<std::uint32_t>(image.bytes.size());
  const std::wstring databaseName = ui::keyNameText(info.keyName);
  platform::Wiped<KeyRecord> master;
  for (bool wrongKey = false;; wrongKey = true) {
    if (wrongKey)
      say(context, owner, IDS_WRONG_MASTER_KEY, MB_ICONEXCLAMATION);
    LoadDatabaseDialog dialog(context.resources, databaseName, atLogon);
    if (dialog.runModal(owner) != IDOK)
      return;
    *master = dialog.master();
    std::memcpy(master->name, info.keyName, sizeof info.keyName);
    const std::int32_t fits = context.engine->isValidDatabaseFile(
        image.bytes.data(), std::min(length, kKeyCheckBytes),
        reinterpret_cast<const RlkKeyRecord*>(master.get()), &info);
    if (fits == 0)
      break;
    if (fits != 1) {
      say(context, owner, IDS_NOT_DATABASE, MB_ICONEXCLAMATION);
      return;
    }
  }
  DatabaseProgressDialog progress(
      context.resources, false, keyserver::recordsThatFit(length), file,
      [&](::ProgressLink& link) {
        return context.engine->decryptBuffer(image.bytes.data(), length, master->key,
                                             static_cast<std::int32_t>(master->length),
                                             &link, info.keyCheckCrc, info.contentCrc);
      });
  if (progress.runModal(owner) != IDOK)
    return;
  const ui::WaitCursor wait;
  const keyserver::DatabaseRecords read = keyserver::readDatabaseRecords(image.bytes);
  if (read.check != keyserver::DatabaseCheck::Valid) {
    say(context, owner, IDS_NOT_DATABASE, MB_ICONEXCLAMATION);
    return;
  }
  context.keys->StoreKeys(read.records.data(),
                          static_cast<std::uint32_t>(read.records.size()), page);
}

} // namespace ravelock::app
