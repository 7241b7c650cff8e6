#include "engine/files/file_transform.h"

#include "engine/files/file_note.h"
#include "engine/files/progress_meter.h"
#include "engine/files/target_naming.h"
#include "engine/results.h"
#include "platform/system_error.h"
#include "platform/text.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace ravelock::engine {

using namespace platform;

namespace {

constexpr std::size_t kChunkBytes = 131072;
// Temporary files of one target: "<target>.0.rlktmp" to ".99.rlktmp".
constexpr unsigned kTemporaryNumbers = 100;

std::string temporaryName(const std::string& target, unsigned number) {
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%u%s", number, kTemporarySuffix);
  return target + suffix;
}

// Moves `count` bytes in chunks of at most 131072, reporting progress after
// each and, when `stoppable`, polling the stop state before each.
// `step(done, want)` moves up to `want` bytes at offset `done` and returns
// how many it moved, 0 when it failed. kResultOk, kResultStopped, or
// `failed`.
template <typename Step>
std::int32_t moveInChunks(ProgressLink* link, std::uint64_t count, std::int32_t failed,
                          bool stoppable, Step step) {
  // The first percentage sent is 2: 1 is taken as shown already.
  ProgressMeter progress(link, count, 1);
  for (std::uint64_t done = 0; done < count;) {
    if (stoppable && progress.stopped())
      return kResultStopped;
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, count - done));
    const std::size_t moved = step(done, want);
    if (moved == 0)
      return failed;
    done += moved;
    progress.advanced(done);
  }
  return kResultOk;
}

std::atomic<bool> overwriteWithoutCopy{true};

} // namespace

void allowOverwriteWithoutCopy(bool allowed) {
  overwriteWithoutCopy.store(allowed);
}

bool overwriteWithoutCopyAllowed() {
  return overwriteWithoutCopy.load();
}

std::int32_t FileTransform::openFailed() {
  if (lastErrorIsSharingViolation())
    noteFile(FileNote::SourceInUse, source);
  return codes_.openFailed;
}

std::int32_t FileTransform::openInPlace() {
  setAttributes(source.c_str(), kAttrNormal);
  sourceFile = File::open(source.c_str(), Access::ReadWrite, Share::None,
                          Disposition::OpenExisting);
  if (sourceFile.isOpen() && sourceFile.size(sourceSize)) {
    deleteSource = false;
    return kResultOk;
  }
  const bool inUse = !sourceFile.isOpen() && lastErrorIsSharingViolation();
  sourceFile.close();
  setAttributes(source.c_str(), sourceAttributes);
  if (inUse) {
    noteFile(FileNote::SourceInUse, source);
    return codes_.openFailed;
  }
  mode = Mode::TwoFile;
  return openTwoFile();
}

std::int32_t FileTransform::openTwoFile() {
  // Held without sharing: no other run, and on Windows no other writer,
  // gets at the file while it is read.
  sourceFile =
      File::open(source.c_str(), Access::Read, Share::None, Disposition::OpenExisting);
  if (!sourceFile.isOpen())
    return openFailed();
  if (!sourceFile.size(sourceSize)) {
    sourceFile.close();
    return codes_.sizeFailed;
  }
  if (!createTemporary()) {
    sendTo(link_, UM_CLEANING_UP);
    sourceFile.close();
    return codes_.createFailed;
  }
  return kResultOk;
}

std::int32_t FileTransform::useCopyWhenRoom(std::uint64_t freeBytes,
                                            std::uint64_t resultSize) {
  if (mode != Mode::InPlace)
    return kResultOk;
  if (freeBytes > resultSize && createTemporary()) {
    mode = Mode::InPlaceCopy;
    return kResultOk;
  }
  if (overwriteWithoutCopyAllowed())
    return kResultOk;
  noteFile(FileNote::NoRoomForCopy, source);
  return fail(codes_.noSpace);
}

void FileTransform::removeStaleTemporaries() {
  // A run holds its temporary file without sharing until it is renamed, so
  // one that opens without sharing belongs to no run any more.
  for (unsigned number = 0; number < kTemporaryNumbers; ++number) {
    const std::string name = temporaryName(target, number);
    if (!pathExists(name.c_str()) || isSymbolicLink(name.c_str()))
      continue;
    File stale = File::open(name.c_str(), Access::ReadWrite, Share::None,
                            Disposition::OpenExisting);
    if (!stale.isOpen())
      continue;
    stale.close();
    deleteFile(name.c_str());
  }
}

bool FileTransform::createTemporary() {
  if (temporaryName(target, kTemporaryNumbers - 1).size() >= kMaxPath)
    return false;
  removeStaleTemporaries();
  targetExisted_ = isSymbolicLink(target.c_str()) || pathExists(target.c_str());
  for (unsigned number = 0; number < kTemporaryNumbers; ++number) {
    temporary_ = temporaryName(target, number);
    targetFile = File::open(temporary_.c_str(), Access::ReadWrite, Share::None,
                            Disposition::CreateNew);
    if (targetFile.isOpen())
      return true;
    if (!pathExists(temporary_.c_str()) && !isSymbolicLink(temporary_.c_str()))
      break;
  }
  temporary_.clear();
  return false;
}

bool FileTransform::sourceUnchanged() {
  std::uint64_t size = 0;
  if (!sourceFile.size(size) || size != sourceSize)
    return false;
  FileTimes now;
  return !timesRead || (sourceFile.getTimes(now) && now.lastWrite == times.lastWrite);
}

std::int32_t FileTransform::createBuffer(std::uint64_t streamBytes,
                                         std::uint64_t wholeBytes) {
  if (streams())
    return chunks.allocate(streamBytes) ? kResultOk : codes_.noBuffer;
  buffer = Mapping::anonymous(wholeBytes);
  return buffer.isValid() ? kResultOk : codes_.noBuffer;
}

std::int32_t FileTransform::stream(std::uint64_t outputStart, std::uint64_t writeBytes,
                                   const ChunkTransform& transform) {
  if (!targetFile.seek(outputStart))
    return codes_.writeFailed;
  const std::int32_t result = chunks.run(sourceFile, targetFile, writeBytes, transform,
                                         codes_.loadFailed, codes_.writeFailed);
  chunks.release();
  return result;
}

std::int32_t FileTransform::writeAt(std::uint64_t offset,
                                    std::span<const unsigned char> bytes) {
  File& out = output();
  return out.seek(offset) && writeFully(out, std::as_bytes(bytes)) ? kResultOk
                                                                   : codes_.writeFailed;
}

std::int32_t FileTransform::load(unsigned char* into, std::uint64_t count) {
  sendTo(link_, UM_SET_PROGRESS, 0);
  const std::int32_t result = moveInChunks(
      link_, count, codes_.loadFailed, true, [&](std::uint64_t done, std::size_t want) {
        std::size_t got = 0;
        return sourceFile.read(std::as_writable_bytes(std::span(into + done, want)), got)
                   ? got
                   : 0;
      });
  if (result == kResultOk)
    sendTo(link_, UM_SET_PROGRESS, 0);
  return result;
}

std::int32_t FileTransform::save(std::uint64_t count) {
  File& out = output();
  if (!out.seek(0))
    return codes_.writeFailed;
  sendTo(link_, UM_SET_PROGRESS, 0);
  // Overwriting the source in place: once begun it is not stopped, since a
  // stop would leave neither the original nor the result. A stop asked
  // meanwhile takes effect once it is done.
  const std::int32_t result = moveInChunks(
      link_, count, codes_.writeFailed, false, [&](std::uint64_t done, std::size_t want) {
        std::size_t written = 0;
        return out.write(std::as_bytes(std::span(buffer.data() + done, want)), written)
                   ? written
                   : 0;
      });
  if (result != kResultOk)
    return result;
  buffer.release();
  return endOutput(count);
}

std::int32_t FileTransform::endOutput(std::uint64_t size) {
  File& out = output();
  if (!out.seek(size) || !out.setEndOfFile())
    return codes_.writeFailed;
  if (timesRead)
    out.setTimes(times);
  return kResultOk;
}

bool FileTransform::replaceTarget() {
  // Windows refuses to replace a read-only file; the attributes of a link
  // would be its target's, which is never touched.
  const bool link = isSymbolicLink(target.c_str());
  const std::uint32_t attributes =
      targetExisted_ && !link ? getAttributes(target.c_str()) : kInvalidAttributes;
  const bool readOnly =
      attributes != kInvalidAttributes && (attributes & kAttrReadOnly) != 0;
  if (readOnly)
    setAttributes(target.c_str(), kAttrNormal);
  if (moveFile(temporary_.c_str(), target.c_str(), targetExisted_))
    return true;
  if (readOnly)
    setAttributes(target.c_str(), attributes);
  return false;
}

std::int32_t FileTransform::finish() {
  if (mode == Mode::InPlace) {
    sourceFile.close();
    if (!samePath(source, target) && !moveFile(source.c_str(), target.c_str(), false)) {
      setAttributes(source.c_str(), sourceAttributes);
      return codes_.writeFailed;
    }
    setAttributes(target.c_str(), sourceAttributes);
    return kResultOk;
  }
  if (!sourceUnchanged()) {
    noteFile(FileNote::SourceChanged, source);
    return fail(codes_.loadFailed);
  }
  // The result takes the target's name only once it is on the disk, and the
  // source goes only after that.
  if (!targetFile.flush())
    return fail(codes_.writeFailed);
  targetFile.close();
  sourceFile.close();
  if (!replaceTarget()) {
    sendTo(link_, UM_CLEANING_UP);
    deleteFile(temporary_.c_str());
    if (mode == Mode::InPlaceCopy)
      setAttributes(source.c_str(), sourceAttributes);
    return codes_.writeFailed;
  }
  const bool removeSource =
      mode == Mode::InPlaceCopy ? !samePath(source, target) : deleteSource;
  if (removeSource) {
    // A read-only original would refuse deletion, yet removing it was asked.
    setAttributes(source.c_str(), kAttrNormal);
    deleteFile(source.c_str());
  }
  setAttributes(target.c_str(), sourceAttributes);
  return kResultOk;
}

std::int32_t FileTransform::fail(std::int32_t result) {
  sendTo(link_, UM_CLEANING_UP);
  sourceFile.close();
  if (mode != Mode::TwoFile)
    setAttributes(source.c_str(), sourceAttributes);
  buffer.release();
  chunks.release();
  targetFile.close();
  if (mode != Mode::InPlace && !temporary_.empty())
    deleteFile(temporary_.c_str());
  return result;
}

} // namespace ravelock::engine
