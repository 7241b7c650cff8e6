#include "engine/files/encrypt_file.h"

#include "engine/files/buffer_crypto.h"
#include "engine/files/disk_helpers.h"
#include "engine/files/target_naming.h"
#include "engine/results.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "platform/mapping.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace ravelock::engine {

using namespace platform;

namespace {

constexpr std::size_t kChunkBytes = 131072;
// The result is at most this much larger than the source: header + padding.
constexpr std::uint64_t kGrowth = 56;
// Room for the header, the content, the padding and the 8 zero bytes the
// enciphering step writes after the content.
constexpr std::uint64_t kBufferSlack = kGrowth + 4;
constexpr std::uint64_t kMaxEncryptedSize = 0xFFFFFFFFu;

// The routine's state for one call. Handles and the mapping close on every
// path through their destructors; the explicit clean-up keeps the order
// the progress dialog expects.
class FileEncryption {
public:
  FileEncryption(const char* source, const KeyRecord& key, ProgressLink* link)
      : source_(source), key_(key), link_(link) {}

  std::int32_t run(const char* requestedTarget, bool deleteOriginal);

private:
  enum class Mode {
    TwoFile,    // the target is a new file beside the source
    InPlace,    // the source file itself is overwritten (no room for a copy)
    InPlaceCopy // in place by way of a temporary file renamed over
  };

  bool nameTarget(const char* requestedTarget, bool deleteOriginal, std::int32_t& result);
  std::int32_t openInPlace();
  std::int32_t openTwoFile();
  std::int32_t load();
  std::int32_t save(std::uint64_t total);
  std::int32_t finish();
  std::int32_t failAfterOpening(std::int32_t result);
  File& output() { return mode_ == Mode::InPlace ? sourceFile_ : targetFile_; }
  bool createTemporary();

  std::string source_;
  std::string target_;
  std::string temporary_;
  const KeyRecord& key_;
  ProgressLink* link_;
  Mode mode_ = Mode::TwoFile;
  bool deleteSource_ = false;
  File sourceFile_;
  File targetFile_;
  std::uint32_t sourceAttributes_ = kInvalidAttributes;
  std::uint32_t targetAttributes_ = kInvalidAttributes;
  std::uint64_t size_ = 0;
  Mapping buffer_;
  FileTimes times_;
  bool timesRead_ = false;
};

// Chooses the target and, from it, whether the source is encrypted in place.
bool FileEncryption::nameTarget(const char* requestedTarget, bool deleteOriginal,
                                std::int32_t& result) {
  const bool derived = !requestedTarget || !*requestedTarget;
  target_ = withEncryptedExtension(derived ? source_ : requestedTarget);
  mode_ = deleteOriginal && derived ? Mode::InPlace : Mode::TwoFile;
  if (target_.size() >= kMaxPath) {
    result = 4;
    return false;
  }
  if (derived && pathExists(target_.c_str())) {
    char buffer[kMaxPath] = {};
    std::memcpy(buffer, target_.c_str(), target_.size());
    const std::intptr_t answer =
        sendTo(link_, UM_TARGET_EXISTS, reinterpret_cast<std::uintptr_t>(buffer));
    if (answer == 1) {
      result = kResultStopped;
      return false;
    }
    if (answer == 2) {
      buffer[kMaxPath - 1] = '\0';
      target_ = withEncryptedExtension(buffer);
      if (target_.size() >= kMaxPath) {
        result = 4;
        return false;
      }
    }
    // Two files cannot share one name: overwriting the source is in place.
    mode_ = samePath(target_, source_) ? Mode::InPlace : Mode::TwoFile;
  }
  return true;
}

// The source itself is opened for writing; when that is refused the routine
// goes on with two files and still removes the source at the end.
std::int32_t FileEncryption::openInPlace() {
  setAttributes(source_.c_str(), kAttrNormal);
  sourceFile_ = File::open(source_.c_str(), Access::ReadWrite, Share::None,
                           Disposition::OpenExisting);
  if (sourceFile_.isOpen() && sourceFile_.size(size_)) {
    deleteSource_ = false;
    return 0;
  }
  sourceFile_.close();
  setAttributes(source_.c_str(), sourceAttributes_);
  mode_ = Mode::TwoFile;
  return openTwoFile();
}

std::int32_t FileEncryption::openTwoFile() {
  sourceFile_ =
      File::open(source_.c_str(), Access::Read, Share::Read, Disposition::OpenExisting);
  if (!sourceFile_.isOpen())
    return 3;
  if (!sourceFile_.size(size_)) {
    sourceFile_.close();
    return 2;
  }
  targetAttributes_ = getAttributes(target_.c_str());
  if (targetAttributes_ != kInvalidAttributes)
    setAttributes(target_.c_str(), kAttrNormal);
  targetFile_ = File::open(target_.c_str(), Access::ReadWrite, Share::None,
                           Disposition::CreateAlways);
  if (!targetFile_.isOpen()) {
    sendTo(link_, UM_CLEANING_UP);
    if (targetAttributes_ != kInvalidAttributes)
      setAttributes(target_.c_str(), targetAttributes_);
    sourceFile_.close();
    return 4;
  }
  return 0;
}

// A new file beside the source, so the source stays whole until the result
// is complete on disk.
bool FileEncryption::createTemporary() {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%u.rlktmp", attempt);
    temporary_ = target_ + suffix;
    if (temporary_.size() >= kMaxPath)
      return false;
    targetFile_ = File::open(temporary_.c_str(), Access::ReadWrite, Share::None,
                             Disposition::CreateNew);
    if (targetFile_.isOpen())
      return true;
    if (!pathExists(temporary_.c_str()))
      return false;
  }
  return false;
}

// Progress while moving bytes: 0 first, then each whole percentage above
// the last one sent (which starts at 1).
class ChunkProgress {
public:
  ChunkProgress(ProgressLink* link, std::uint64_t total) : link_(link), total_(total) {
    sendTo(link_, UM_SET_PROGRESS, 0);
  }
  void advanced(std::uint64_t done) {
    const std::uint64_t percent = done * 100 / total_;
    if (percent > last_) {
      last_ = percent;
      sendTo(link_, UM_SET_PROGRESS, static_cast<std::uintptr_t>(percent));
    }
  }

private:
  ProgressLink* link_;
  std::uint64_t total_;
  std::uint64_t last_ = 1;
};

std::int32_t FileEncryption::load() {
  unsigned char* content = buffer_.data() + kHeaderSize;
  ChunkProgress progress(link_, size_);
  for (std::uint64_t done = 0; done < size_;) {
    if (stopRequested(link_))
      return kResultStopped;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, size_ - done));
    std::size_t got = 0;
    if (!sourceFile_.read(std::as_writable_bytes(std::span(content + done, want)), got) ||
        got == 0)
      return 9;
    done += got;
    progress.advanced(done);
  }
  sendTo(link_, UM_SET_PROGRESS, 0);
  return 0;
}

std::int32_t FileEncryption::save(std::uint64_t total) {
  File& out = output();
  if (!out.seek(0))
    return 11;
  ChunkProgress progress(link_, total);
  for (std::uint64_t done = 0; done < total;) {
    if (stopRequested(link_))
      return kResultStopped;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, total - done));
    std::size_t written = 0;
    if (!out.write(std::as_bytes(std::span(buffer_.data() + done, want)), written) ||
        written == 0)
      return 11;
    done += written;
    progress.advanced(done);
  }
  buffer_.release();
  if (!out.seek(total) || !out.setEndOfFile())
    return 11;
  if (timesRead_)
    out.setTimes(times_);
  return 0;
}

// The result is complete in its file: give it its name and attributes, and
// only then let go of the source.
std::int32_t FileEncryption::finish() {
  switch (mode_) {
  case Mode::InPlace:
    sourceFile_.close();
    if (!samePath(source_, target_) &&
        !moveFile(source_.c_str(), target_.c_str(), false)) {
      setAttributes(source_.c_str(), sourceAttributes_);
      return 11;
    }
    break;
  case Mode::InPlaceCopy:
    if (!targetFile_.flush()) {
      return failAfterOpening(11);
    }
    targetFile_.close();
    sourceFile_.close();
    if (!moveFile(temporary_.c_str(), target_.c_str(), true)) {
      deleteFile(temporary_.c_str());
      setAttributes(source_.c_str(), sourceAttributes_);
      return 11;
    }
    if (!samePath(source_, target_))
      deleteFile(source_.c_str());
    break;
  case Mode::TwoFile:
    // The source goes only once its replacement is on the disk.
    if (deleteSource_ && !targetFile_.flush())
      return failAfterOpening(11);
    targetFile_.close();
    sourceFile_.close();
    break;
  }
  setAttributes(target_.c_str(), sourceAttributes_);
  if (mode_ == Mode::TwoFile && deleteSource_) {
    // A read-only original would refuse deletion, yet removing it was asked.
    setAttributes(source_.c_str(), kAttrNormal);
    deleteFile(source_.c_str());
  }
  return 0;
}

std::int32_t FileEncryption::failAfterOpening(std::int32_t result) {
  sendTo(link_, UM_CLEANING_UP);
  sourceFile_.close();
  if (mode_ != Mode::TwoFile)
    setAttributes(source_.c_str(), sourceAttributes_);
  buffer_.release();
  if (mode_ == Mode::TwoFile) {
    targetFile_.close();
    setAttributes(target_.c_str(), kAttrNormal);
    deleteFile(target_.c_str());
  } else if (mode_ == Mode::InPlaceCopy) {
    targetFile_.close();
    deleteFile(temporary_.c_str());
  }
  return result;
}

std::int32_t FileEncryption::run(const char* requestedTarget, bool deleteOriginal) {
  std::int32_t result = 0;
  if (!nameTarget(requestedTarget, deleteOriginal, result))
    return result;
  deleteSource_ = deleteOriginal;
  sourceAttributes_ = getAttributes(source_.c_str());

  std::uint64_t needed = 0;
  if (mode_ == Mode::InPlace) {
    result = openInPlace();
    needed = mode_ == Mode::InPlace ? kGrowth : size_ + kGrowth;
  } else {
    result = openTwoFile();
    needed = size_ + kGrowth;
  }
  if (result != 0)
    return result;

  if (size_ + kGrowth >= kMaxEncryptedSize)
    return failAfterOpening(5);
  std::uint64_t freeBytes = 0;
  if (!GetFreeSpace(volumeRootOf(target_).c_str(), &freeBytes, nullptr, nullptr))
    return failAfterOpening(6);
  if (freeBytes <= needed)
    return failAfterOpening(7);
  if (mode_ == Mode::InPlace && freeBytes > size_ + kGrowth && createTemporary())
    mode_ = Mode::InPlaceCopy;

  sendTo(link_, UM_FILE_SIZE, static_cast<std::uintptr_t>(size_));
  const std::uint64_t bufferSize = size_ + kBufferSlack;
  if (mode_ != Mode::InPlace)
    buffer_ = Mapping::ofFile(targetFile_, bufferSize);
  if (!buffer_.isValid())
    buffer_ = Mapping::anonymous(bufferSize);
  if (!buffer_.isValid())
    return failAfterOpening(8);
  sendTo(link_, UM_LOADING);
  sendText(link_, UM_SET_TARGET, target_.c_str());
  timesRead_ = sourceFile_.getTimes(times_);

  if ((result = load()) != 0)
    return failAfterOpening(result);
  sourceFile_.seek(0);
  if (mode_ == Mode::TwoFile && !deleteSource_)
    sourceFile_.close();

  sendText(link_, UM_SET_SOURCE, source_.c_str());
  CipherState cipher;
  cipher.Init(reinterpret_cast<const unsigned char*>(key_.key), key_.length);
  const std::uint64_t padded = paddedLength(size_);
  unsigned char* content = buffer_.data() + kHeaderSize;
  std::memset(content + size_, 0, 8);
  ContentCrcs crcs;
  if ((result = encipherPadded(cipher, content, padded, link_, crcs)) != 0)
    return failAfterOpening(result);

  sendTo(link_, UM_SAVING);
  EncryptedFileHeader header{kFileIdentifier,
                             static_cast<std::uint32_t>(size_),
                             crcs.keyCheck,
                             crcs.content,
                             {}};
  headerKeyName(key_, header.keyName);
  unsigned char raw[kHeaderSize];
  serializeHeader(header, raw);
  std::memcpy(buffer_.data(), raw, kHeaderSize);

  if ((result = save(kHeaderSize + padded)) != 0)
    return failAfterOpening(result);
  return finish();
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
    return 3;
  FileEncryption encryption(source, *key, progress);
  return encryption.run(requestedTarget, deleteOriginal != 0);
}

} // namespace ravelock::engine
