#include "engine/batch/workers.h"

#include "engine/batch/folder_walk.h"
#include "engine/batch/jobs.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/disk_helpers.h"
#include "engine/files/encrypt_file.h"
#include "engine/files/file_test.h"
#include "engine/files/target_naming.h"
#include "engine/results.h"
#include "keyserver/client.h"
#include "platform/filesystem.h"
#include "platform/secure_wipe.h"

#include <cstring>

namespace ravelock::engine {

namespace {

// After a file that needs no entry: 1 when the run goes on, 0 when the user
// aborted it.
int runGoesOn(ProgressLink* progress) {
  return sendTo(progress, UM_QUERY_ABORT, QUERY_FILE_DONE) == ANSWER_ABORT_RUN ? 0 : 1;
}

// After a file: whether the run goes on, recording a failure unless the
// user aborted in the meantime.
int afterFile(const std::string& path, std::int32_t result, Operation operation,
              ProgressLink* progress, ErrorList& errors) {
  if (result == kResultOk || result == kResultStopped)
    return runGoesOn(progress);
  if (result == kResultNoKey || result == kResultBadBufferSize) {
    sendTo(progress, UM_QUERY_ABORT, QUERY_INTERNAL_ERROR, result);
    return 0;
  }
  if (sendTo(progress, UM_QUERY_ABORT, QUERY_FILE_FAILED, result) == ANSWER_ABORT_RUN)
    return 0;
  errors.add(path, static_cast<std::uint32_t>(result), operation);
  return 1;
}

// The long form of an item, or the item as given.
std::string longPath(const char* item) {
  char buffer[kMaxPath];
  const std::size_t n = GetLongPath(item, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string(item);
}

// The worker loop both runs share; `handle` processes one existing item.
template <typename Handle>
void runItems(const char* items, int count, ErrorList& errors, Handle handle) {
  forEachItem(items, count, [&](const char* item, int remaining) {
    const std::string path = longPath(item);
    if (!platform::pathExists(path.c_str())) {
      // Both runs record a missing item as the encryption table's "Unable to
      // open source file.": the decryption table's 3 would call it too small.
      errors.add(path, kEncryptOpenFailed, Operation::Encryption);
      return true;
    }
    return handle(path, remaining) != 0;
  });
}

// A folder that the run walks. A link to a folder is not walked (its
// files would be written at the link's target): it goes to the file
// routines, which refuse links.
bool isFolderToWalk(const std::string& path) {
  return platform::isDirectory(path.c_str()) && !platform::isSymbolicLink(path.c_str());
}

void endRun(ProgressLink* progress, ErrorList& errors) {
  sendTo(progress, UM_RUN_RESULT, reinterpret_cast<std::uintptr_t>(&errors));
  if (progress)
    progress->post(UM_WORK_DONE, 0, 0);
}

} // namespace

int containsFolder(const char* items, int count) {
  int found = 0;
  forEachItem(items, count, [&](const char* item, int) {
    found = platform::isDirectory(item) ? 1 : 0;
    return found == 0;
  });
  return found;
}

int encryptOneFile(const std::string& path, const KeyRecord& key, ProgressLink* progress,
                   std::int32_t deleteOriginal, ErrorList& errors,
                   const std::string& targetName, std::uintptr_t showSkip) {
  if (progress)
    progress->setStopState(STOP_NONE); // a Skip applies to its own file only
  sendTo(progress, UM_SHOW_SKIP, showSkip);
  const std::int32_t result =
      EncryptFile(path.c_str(), targetName.c_str(), &key, progress, deleteOriginal);
  return afterFile(path, result, Operation::Encryption, progress, errors);
}

int decryptOneFile(const std::string& path, char* lastTarget, KeyRecord& lastKey,
                   ProgressLink* progress, std::int32_t* deleteOriginal,
                   ErrorList& errors, std::uintptr_t showSkip) {
  lastTarget[0] = '\0';
  if (progress)
    progress->setStopState(STOP_NONE);
  sendTo(progress, UM_SHOW_SKIP, showSkip);
  HeaderInfo info{};
  if (const std::int32_t tested = testEncryptedFile(path.c_str(), &info);
      tested != kResultOk) {
    errors.add(path, static_cast<std::uint32_t>(tested), Operation::Decryption);
    return runGoesOn(progress);
  }
  auto& server = keyserver::KeyServerClient::process();
  platform::Wiped<KeyRecord> current;
  if (lastKey.length > 0)
    *current = lastKey;
  else if (server.GetCurrentKey(*current) != 1)
    *current = KeyRecord{};
  platform::Wiped<KeyRecord> named;
  if (server.FindKey(info.keyName, *named) != 1)
    *named = KeyRecord{};
  const std::int32_t result = DecryptFile(path.c_str(), lastTarget, current.get(),
                                          named.get(), progress, deleteOriginal);
  if (result == kResultOk)
    lastKey = *current;
  else
    lastTarget[0] = '\0'; // a target chosen in the key dialog is no result
  return afterFile(path, result, Operation::Decryption, progress, errors);
}

void encryptWorker(EncryptJob& job) {
  platform::ComApartment com; // the folder shortcuts are shell links
  ErrorList errors;
  runItems(job.items, job.count, errors, [&](const std::string& path, int remaining) {
    if (isFolderToWalk(path))
      return encryptFolder(job.progress, path, job.subfolders, *job.key,
                           job.deleteOriginal, errors);
    return encryptOneFile(path, *job.key, job.progress, job.deleteOriginal, errors,
                          job.targetName, static_cast<std::uintptr_t>(remaining));
  });
  endRun(job.progress, errors);
}

void decryptWorker(DecryptJob& job) {
  ErrorList errors;
  platform::Wiped<KeyRecord> lastKey;
  runItems(job.items, job.count, errors, [&](const std::string& path, int remaining) {
    if (isFolderToWalk(path))
      return decryptFolder(job.progress, path, job.lastTarget, &job.subfolders, *lastKey,
                           &job.deleteOriginal, errors);
    return decryptOneFile(path, job.lastTarget, *lastKey, job.progress,
                          &job.deleteOriginal, errors,
                          static_cast<std::uintptr_t>(remaining));
  });
  endRun(job.progress, errors);
}

} // namespace ravelock::engine
