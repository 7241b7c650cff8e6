#include "engine/files/decrypt_file.h"

#include "engine/files/buffer_crypto.h"
#include "engine/files/disk_helpers.h"
#include "engine/files/file_note.h"
#include "engine/files/file_test.h"
#include "engine/files/file_transform.h"
#include "engine/files/target_naming.h"
#include "engine/format/header.h"
#include "engine/results.h"
#include "keyserver/client.h"
#include "platform/system_error.h"
#include "platform/text.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace ravelock::engine {

using namespace platform;

namespace {

constexpr TransformCodes kDecryptionCodes = {
    kDecryptOpenFailed, kDecryptSizeUnknown, kDecryptCreateFailed, kDecryptWriteFailed,
    kDecryptNoBuffer,   kDecryptLoadFailed,  kDecryptNoSpace};
// The header and the bytes the key test needs.
constexpr std::size_t kProbeBytes = kHeaderSize + kKeyCheckBytes;

struct Probe {
  EncryptedFileHeader header;
  unsigned char payload[kKeyCheckBytes];
  std::size_t payloadRead = 0;
  std::uint64_t fileSize = 0;
};

// Reads and checks the header and the first payload bytes: kResultOk or a
// code of the file test.
std::int32_t probe(FileTransform& job, Probe& p) {
  // A link is neither followed for writing nor removed (see EncryptFile).
  if (isSymbolicLink(job.source.c_str())) {
    noteFile(FileNote::SourceIsLink, job.source);
    return kTestOpenFailed;
  }
  File file = File::open(job.source.c_str(), Access::Read, Share::Read,
                         Disposition::OpenExisting);
  if (!file.isOpen()) {
    if (lastErrorIsSharingViolation())
      noteFile(FileNote::SourceInUse, job.source);
    return kTestOpenFailed;
  }
  job.timesRead = file.getTimes(job.times);
  if (!file.size(p.fileSize))
    return kTestSizeUnknown;
  if (p.fileSize < kHeaderSize)
    return kTestTooSmall;
  unsigned char bytes[kProbeBytes];
  std::size_t got = 0;
  if (!readFully(file, std::as_writable_bytes(std::span(bytes)), got) ||
      got < kHeaderSize)
    return kTestReadFailed;
  unsigned char raw[kHeaderSize];
  std::memcpy(raw, bytes, kHeaderSize);
  p.header = parseHeader(raw);
  p.payloadRead = got - kHeaderSize;
  std::memcpy(p.payload, bytes + kHeaderSize, p.payloadRead);
  return checkHeader(p.header, p.fileSize);
}

bool fits(CipherState& cipher, const KeyRecord& key, const Probe& p) {
  if (key.length == 0 || key.length > kMaxKeyLength)
    return false;
  cipher.Init(reinterpret_cast<const unsigned char*>(key.key), key.length);
  return keyFits(cipher, p.payload, p.payloadRead, p.fileSize - kHeaderSize,
                 p.header.keyCheckCrc, p.header.contentCrc);
}

bool sameName(const KeyRecord& a, const KeyRecord& b) {
  return strncmp(a.name, b.name, kKeyNameField) == 0;
}

// The key search: the current key, the named key, then the user until a key
// fits or the question is cancelled. `cipher` is left keyed with the key
// that fitted. The named key is tried also when the run has no current key
// yet (the server's current key was deleted, say), so a key the server holds
// under the file's name is never asked for; it is not tried again when it
// is the current key that just failed.
std::int32_t findKey(CipherState& cipher, const Probe& p, FileTransform& job,
                     char* target, KeyRecord& current, const KeyRecord* named,
                     ProgressLink* link, std::int32_t* deleteOriginal) {
  const bool hadKey = current.length > 0;
  if (hadKey && fits(cipher, current, p))
    return kResultOk;
  const bool namedFailed = hadKey && named && sameName(*named, current);
  current.length = 0;
  if (named && named->length > 0 && !namedFailed && fits(cipher, *named, p)) {
    current = *named;
    return kResultOk;
  }
  std::memset(current.name, 0, kKeyNameField);
  std::memcpy(current.name, p.header.keyName, kKeyNameBytes);
  KeyRequest request{job.source.c_str(), target, deleteOriginal, &current};
  for (;;) {
    if (sendTo(link, UM_ASK_KEY, reinterpret_cast<std::uintptr_t>(&request)) == ANSWER_NO)
      return kResultStopped;
    if (fits(cipher, current, p))
      return kResultOk;
    sendTo(link, UM_BAD_KEY);
  }
}

// A result that is itself an encrypted file takes the encrypted name.
std::int32_t renameRepeated(FileTransform& job, ProgressLink* link) {
  if (testEncryptedFile(job.target.c_str(), nullptr) != kResultOk)
    return kResultOk;
  std::string repeated = withEncryptedExtension(job.target);
  if (samePath(repeated, job.target) ||
      moveFile(job.target.c_str(), repeated.c_str(), false)) {
    job.target = repeated;
    return kResultOk;
  }
  PathBuffer buffer(repeated);
  for (std::intptr_t copyFailed = 0;; copyFailed = 1) {
    if (buffer.ask(link, UM_ASK_REPEATED, copyFailed) == ANSWER_NO) {
      sendTo(link, UM_CLEANING_UP);
      setAttributes(job.target.c_str(), kAttrNormal);
      deleteFile(job.target.c_str());
      return kResultStopped;
    }
    const std::string chosen = buffer.path();
    setAttributes(chosen.c_str(), kAttrNormal);
    if (copyFile(job.target.c_str(), chosen.c_str())) {
      setAttributes(job.target.c_str(), kAttrNormal);
      deleteFile(job.target.c_str());
      job.target = chosen;
      return kResultOk;
    }
  }
}

// Overwriting in place: the whole payload is read into the work buffer,
// deciphered and checked there, and written back over the source.
std::int32_t decipherWhole(FileTransform& job, const Probe& p, const CipherState& cipher,
                           ProgressLink* link) {
  const std::uint64_t payload = p.fileSize - kHeaderSize;
  if (const std::int32_t result = job.load(job.buffer.data(), payload))
    return result;
  job.sourceFile.seek(0);
  sendText(link, UM_SET_SOURCE, job.source.c_str());
  return decipherPayload(cipher, job.buffer.data(), payload, link, p.header.keyCheckCrc,
                         p.header.contentCrc);
}

// Every other way: chunk after chunk deciphered with its CRC folded in and
// its plain bytes written; the key check comes with the first chunk, the
// content check after the last.
std::int32_t decipherStreamed(FileTransform& job, const Probe& p,
                              const CipherState& cipher, ProgressLink* link) {
  sendText(link, UM_SET_SOURCE, job.source.c_str());
  const std::uint64_t payload = p.fileSize - kHeaderSize;
  CryptTeam team(teamThreadsFor(payload));
  PayloadDecipherer pass(cipher, team, link, payload, p.header.keyCheckCrc,
                         p.header.contentCrc);
  if (const std::int32_t result = job.stream(
          0, p.header.originalSize, [&](unsigned char* data, std::size_t length) {
            return pass.next(data, length);
          }))
    return result;
  pass.completed();
  return pass.finish();
}

std::int32_t decrypt(FileTransform& job, const Probe& p, CipherState& cipher,
                     ProgressLink* link) {
  std::int32_t result = job.open();
  if (result != kResultOk)
    return result;
  // The file probed is the file opened, or it changed in between.
  if (job.sourceSize != p.fileSize) {
    noteFile(FileNote::SourceChanged, job.source);
    return job.fail(kDecryptLoadFailed);
  }
  const std::uint64_t payload = p.fileSize - kHeaderSize;
  const std::uint32_t original = p.header.originalSize;
  if (job.mode != FileTransform::Mode::InPlace) {
    const std::uint32_t needed = static_cast<std::uint32_t>(job.sourceSize - kHeaderSize);
    if (needed == 0xFFFFFFFFu)
      return job.fail(kDecryptTooBig);
    if (needed != 0) {
      std::uint64_t freeBytes = 0;
      if (!GetFreeSpace(volumeRootOf(job.target).c_str(), &freeBytes, nullptr, nullptr))
        return job.fail(kDecryptFreeSpaceUnknown);
      if (freeBytes <= needed)
        return job.fail(kDecryptNoSpace);
    }
  } else {
    // Free space unknown counts as no room for the copy.
    std::uint64_t freeBytes = 0;
    GetFreeSpace(volumeRootOf(job.target).c_str(), &freeBytes, nullptr, nullptr);
    if ((result = job.useCopyWhenRoom(freeBytes, original)) != kResultOk)
      return result;
  }

  sendTo(link, UM_SET_PROGRESS, 0);
  sendTo(link, UM_FILE_SIZE, original);
  sendTo(link, UM_LOADING);
  sendText(link, UM_SET_TARGET, job.target.c_str());
  // The payload and a block and a word beyond it: the work buffer's size as
  // the design gives it. Nothing is stored there; the result is ended at the
  // original size after saving.
  if ((result = job.createBuffer(payload, payload + 8 + 4)) != kResultOk)
    return job.fail(result);
  if (!job.sourceFile.seek(kHeaderSize))
    return job.fail(kDecryptSeekFailed);

  result = job.streams() ? decipherStreamed(job, p, cipher, link)
                         : decipherWhole(job, p, cipher, link);
  if (result == kResultContentCrc && sendTo(link, UM_ASK_KEEP_BAD_CRC) != ANSWER_NO)
    result = kResultOk;
  if (result != kResultOk)
    return job.fail(result);

  sendTo(link, UM_SAVING);
  result = job.streams() ? job.endOutput(original) : job.save(original);
  if (result != kResultOk)
    return job.fail(result);
  return job.finish();
}

} // namespace

std::int32_t DecryptFile(const char* source, char* target, KeyRecord* currentKey,
                         const KeyRecord* namedKey, ProgressLink* progress,
                         std::int32_t* deleteOriginal) {
  if (!currentKey || !target || !deleteOriginal)
    return kResultNoKey;
  if (!source || !*source)
    return kTestOpenFailed;
  clearFileNote();
  FileTransform job(source, progress, kDecryptionCodes);
  Probe p;
  std::int32_t result = probe(job, p);
  if (result != kResultOk)
    return result;
  CipherState cipher;
  if ((result = findKey(cipher, p, job, target, *currentKey, namedKey, progress,
                        deleteOriginal)) != kResultOk)
    return result;

  // The key dialog may have changed the choice.
  job.deleteSource = *deleteOriginal != 0;
  const bool derived = target[0] == '\0';
  job.target = derived ? withoutEncryptedExtension(job.source) : loadPath(target);
  job.mode =
      job.deleteSource ? FileTransform::Mode::InPlace : FileTransform::Mode::TwoFile;
  if (derived && pathExists(job.target.c_str())) {
    PathBuffer buffer(job.target);
    if (buffer.ask(progress, UM_TARGET_EXISTS) == TARGET_SKIP)
      return kResultStopped;
    job.target = buffer.path();
    // Two files cannot share one name: overwriting the source is in place.
    job.mode = samePath(job.target, job.source) ? FileTransform::Mode::InPlace
                                                : FileTransform::Mode::TwoFile;
  }
  // Its result over the encrypted file itself would lose the original that
  // was to be kept.
  if (samePath(job.target, job.source) && !job.deleteSource)
    return kDecryptCreateFailed;
  // A target past the path limit (in bytes of UTF-8, the limit's unit) is
  // refused whole: the caller's 260-byte buffer would hold a cut name.
  if (job.target.size() >= kMaxPath)
    return kDecryptCreateFailed;
  job.sourceAttributes = getAttributes(job.source.c_str());

  if ((result = decrypt(job, p, cipher, progress)) != kResultOk)
    return result;
  if ((result = renameRepeated(job, progress)) != kResultOk)
    return result;

  setAttributes(job.target.c_str(), job.sourceAttributes);
  storePath(job.target, target);
  if (sendTo(progress, UM_QUERY_REMEMBER) != ANSWER_NO)
    keyserver::KeyServerClient::process().StoreKey(*currentKey);
  return kResultOk;
}

} // namespace ravelock::engine
