#include "engine/files/encrypt_file.h"

#include "engine/files/buffer_crypto.h"
#include "engine/files/disk_helpers.h"
#include "engine/files/file_note.h"
#include "engine/files/file_transform.h"
#include "engine/files/target_naming.h"
#include "engine/results.h"
#include "platform/clock.h"
#include "platform/text.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace ravelock::engine {

using namespace platform;

namespace {

constexpr TransformCodes kEncryptionCodes = {
    kEncryptOpenFailed, kEncryptSizeUnknown, kEncryptCreateFailed, kEncryptWriteFailed,
    kEncryptNoBuffer,   kEncryptLoadFailed,  kEncryptNoSpace};
// The result is at most this much larger than the source: header + padding.
constexpr std::uint64_t kGrowth = 56;
// kGrowth covers the header and the 8 zero bytes written after the content,
// which hold its padding. The 4 bytes beyond are the work buffer's size as
// the design gives it; nothing is stored there, and the result is ended at
// its true size after saving.
constexpr std::uint64_t kBufferSlack = kGrowth + 4;
constexpr std::uint64_t kMaxEncryptedSize = 0xFFFFFFFFu;

// Chooses the target and, from it, whether the source is encrypted in
// place. False with `result` set when the run ends here.
bool nameTarget(FileTransform& job, const char* requestedTarget, bool deleteOriginal,
                ProgressLink* link, std::int32_t& result) {
  const bool derived = !requestedTarget || !*requestedTarget;
  job.target = withEncryptedExtension(derived ? job.source : requestedTarget);
  job.mode = deleteOriginal && derived ? FileTransform::Mode::InPlace
                                       : FileTransform::Mode::TwoFile;
  if (job.target.size() >= kMaxPath) {
    result = kEncryptCreateFailed;
    return false;
  }
  if (derived && pathExists(job.target.c_str())) {
    PathBuffer buffer(job.target);
    const std::intptr_t answer = buffer.ask(link, UM_TARGET_EXISTS);
    if (answer == TARGET_SKIP) {
      result = kResultStopped;
      return false;
    }
    if (answer == TARGET_NEW_NAME) {
      job.target = withEncryptedExtension(buffer.path());
      if (job.target.size() >= kMaxPath) {
        result = kEncryptCreateFailed;
        return false;
      }
    }
    // Two files cannot share one name: overwriting the source is in place.
    job.mode = samePath(job.target, job.source) ? FileTransform::Mode::InPlace
                                                : FileTransform::Mode::TwoFile;
  }
  return true;
}

// Overwriting in place: the whole source is read into the work buffer,
// enciphered there and written back over itself with its header.
std::int32_t encipherWhole(FileTransform& job, const CipherState& cipher,
                           std::uint64_t size, ProgressLink* link, ContentCrcs& crcs) {
  unsigned char* content = job.buffer.data() + kHeaderSize;
  if (const std::int32_t result = job.load(content, size))
    return result;
  job.sourceFile.seek(0);
  sendText(link, UM_SET_SOURCE, job.source.c_str());
  std::memset(content + size, 0, 8);
  return encipherPadded(cipher, content, paddedLength(size), link, crcs);
}

// Every other way: chunk after chunk enciphered with its CRC folded in and
// written at 48 + its offset; the header follows once the CRCs are known.
std::int32_t encipherStreamed(FileTransform& job, const CipherState& cipher,
                              std::uint64_t size, ProgressLink* link, ContentCrcs& crcs) {
  sendText(link, UM_SET_SOURCE, job.source.c_str());
  const std::uint64_t padded = paddedLength(size);
  CryptTeam team(teamThreadsFor(padded));
  PayloadEncipherer pass(cipher, team, link, padded);
  if (const std::int32_t result =
          job.stream(kHeaderSize, padded, [&](unsigned char* data, std::size_t length) {
            return pass.next(data, length);
          }))
    return result;
  pass.completed();
  crcs = pass.crcs();
  return kResultOk;
}

std::int32_t encrypt(FileTransform& job, const KeyRecord& key, ProgressLink* link) {
  std::int32_t result = job.open();
  if (result != kResultOk)
    return result;
  const std::uint64_t size = job.sourceSize;
  const std::uint64_t needed =
      job.mode == FileTransform::Mode::InPlace ? kGrowth : size + kGrowth;

  if (size + kGrowth >= kMaxEncryptedSize)
    return job.fail(kEncryptTooBig);
  std::uint64_t freeBytes = 0;
  if (!GetFreeSpace(volumeRootOf(job.target).c_str(), &freeBytes, nullptr, nullptr))
    return job.fail(kEncryptFreeSpaceUnknown);
  if (freeBytes <= needed)
    return job.fail(kEncryptNoSpace);
  if ((result = job.useCopyWhenRoom(freeBytes, size + kGrowth)) != kResultOk)
    return result;

  sendTo(link, UM_FILE_SIZE, static_cast<std::uintptr_t>(size));
  if ((result = job.createBuffer(size, size + kBufferSlack)) != kResultOk)
    return job.fail(result);
  sendTo(link, UM_LOADING);
  sendText(link, UM_SET_TARGET, job.target.c_str());
  job.timesRead = job.sourceFile.getTimes(job.times);

  CipherState cipher;
  cipher.Init(reinterpret_cast<const unsigned char*>(key.key), key.length);
  ContentCrcs crcs;
  result = job.streams() ? encipherStreamed(job, cipher, size, link, crcs)
                         : encipherWhole(job, cipher, size, link, crcs);
  if (result != kResultOk)
    return job.fail(result);

  sendTo(link, UM_SAVING);
  EncryptedFileHeader header{
      kFileIdentifier, static_cast<std::uint32_t>(size), crcs.keyCheck, crcs.content, {}};
  headerKeyName(key, header.keyName);
  unsigned char raw[kHeaderSize];
  serializeHeader(header, raw);
  const std::uint64_t resultSize = kHeaderSize + paddedLength(size);
  if (job.streams()) {
    if ((result = job.writeAt(0, raw)) == kResultOk)
      result = job.endOutput(resultSize);
  } else {
    std::memcpy(job.buffer.data(), raw, kHeaderSize);
    result = job.save(resultSize);
  }
  if (result != kResultOk)
    return job.fail(result);
  return job.finish();
}

} // namespace

void headerKeyName(const KeyRecord& key, char (&name)[kKeyNameBytes]) {
  std::memset(name, 0, kKeyNameBytes);
  char given[kKeyNameField + 1] = {};
  std::memcpy(given, key.name, kKeyNameField);
  if (given[0] != '\0') {
    std::memcpy(name, given, cutOnCharBoundary(given, kKeyNameBytes));
    return;
  }
  const LocalTime t = localTimeNow();
  char text[64];
  std::snprintf(text, sizeof text, "My key %u/%.2u/%.2u-%.2u:%.2u:%.2u", t.year, t.month,
                t.day, t.hour, t.minute, t.second);
  std::memcpy(name, text, cutOnCharBoundary(text, kKeyNameBytes));
}

std::int32_t EncryptFile(const char* source, const char* requestedTarget,
                         const KeyRecord* key, ProgressLink* progress,
                         int deleteOriginal) {
  if (!key || key->length == 0 || key->length > kMaxKeyLength)
    return kResultNoKey;
  if (!source || !*source)
    return kEncryptOpenFailed;
  clearFileNote();
  // A link is neither followed for writing nor removed: the result would
  // be named after it and its target's content replaced or lost.
  if (isSymbolicLink(source)) {
    noteFile(FileNote::SourceIsLink, source);
    return kEncryptOpenFailed;
  }
  FileTransform job(source, progress, kEncryptionCodes);
  std::int32_t result = kResultOk;
  if (!nameTarget(job, requestedTarget, deleteOriginal != 0, progress, result))
    return result;
  job.deleteSource = deleteOriginal != 0;
  job.sourceAttributes = getAttributes(job.source.c_str());
  return encrypt(job, *key, progress);
}

} // namespace ravelock::engine
