#include "engine/files/file_transform.h"

#include "engine/files/progress_meter.h"
#include "engine/files/target_naming.h"
#include "engine/results.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>

namespace ravelock::engine {

using namespace platform;

namespace {

constexpr std::size_t kChunkBytes = 131072;

// Moves `count` bytes in chunks of at most 131072, polling the stop state
// before each and reporting progress after it. `step(done, want)` moves up
// to `want` bytes at offset `done` and returns how many it moved, 0 when it
// failed. kResultOk, kResultStopped, or `failed`.
template <typename Step>
std::int32_t moveInChunks(ProgressLink* link, std::uint64_t count, std::int32_t failed,
                          Step step) {
  // The first percentage sent is 2: 1 is taken as shown already.
  ProgressMeter progress(link, count, 1);
  for (std::uint64_t done = 0; done < count;) {
    if (progress.stopped())
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

} // namespace

std::int32_t FileTransform::openInPlace() {
  setAttributes(source.c_str(), kAttrNormal);
  sourceFile = File::open(source.c_str(), Access::ReadWrite, Share::None,
                          Disposition::OpenExisting);
  if (sourceFile.isOpen() && sourceFile.size(sourceSize)) {
    deleteSource = false;
    return kResultOk;
  }
  sourceFile.close();
  setAttributes(source.c_str(), sourceAttributes);
  mode = Mode::TwoFile;
  return openTwoFile();
}

std::int32_t FileTransform::openTwoFile() {
  sourceFile =
      File::open(source.c_str(), Access::Read, Share::Read, Disposition::OpenExisting);
  if (!sourceFile.isOpen())
    return codes_.openFailed;
  if (!sourceFile.size(sourceSize)) {
    sourceFile.close();
    return codes_.sizeFailed;
  }
  targetAttributes_ = getAttributes(target.c_str());
  if (targetAttributes_ != kInvalidAttributes)
    setAttributes(target.c_str(), kAttrNormal);
  targetFile = File::open(target.c_str(), Access::ReadWrite, Share::None,
                          Disposition::CreateAlways);
  if (!targetFile.isOpen()) {
    sendTo(link_, UM_CLEANING_UP);
    if (targetAttributes_ != kInvalidAttributes)
      setAttributes(target.c_str(), targetAttributes_);
    sourceFile.close();
    return codes_.createFailed;
  }
  return kResultOk;
}

void FileTransform::useCopyWhenRoom(std::uint64_t freeBytes, std::uint64_t resultSize) {
  if (mode == Mode::InPlace && freeBytes > resultSize && createTemporary())
    mode = Mode::InPlaceCopy;
}

bool FileTransform::createTemporary() {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%u.rlktmp", attempt);
    temporary_ = target + suffix;
    if (temporary_.size() >= kMaxPath)
      return false;
    targetFile = File::open(temporary_.c_str(), Access::ReadWrite, Share::None,
                            Disposition::CreateNew);
    if (targetFile.isOpen())
      return true;
    if (!pathExists(temporary_.c_str()))
      return false;
  }
  return false;
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
      link_, count, codes_.loadFailed, [&](std::uint64_t done, std::size_t want) {
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
  const std::int32_t result = moveInChunks(
      link_, count, codes_.writeFailed, [&](std::uint64_t done, std::size_t want) {
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

std::int32_t FileTransform::finish() {
  switch (mode) {
  case Mode::InPlace:
    sourceFile.close();
    if (!samePath(source, target) && !moveFile(source.c_str(), target.c_str(), false)) {
      setAttributes(source.c_str(), sourceAttributes);
      return codes_.writeFailed;
    }
    break;
  case Mode::InPlaceCopy:
    if (!targetFile.flush())
      return fail(codes_.writeFailed);
    targetFile.close();
    sourceFile.close();
    if (!moveFile(temporary_.c_str(), target.c_str(), true)) {
      deleteFile(temporary_.c_str());
      setAttributes(source.c_str(), sourceAttributes);
      return codes_.writeFailed;
    }
    if (!samePath(source, target))
      deleteFile(source.c_str());
    break;
  case Mode::TwoFile:
    // The source goes only once its replacement is on the disk.
    if (deleteSource && !targetFile.flush())
      return fail(codes_.writeFailed);
    targetFile.close();
    sourceFile.close();
    if (deleteSource) {
      // A read-only original would refuse deletion, yet removing it was asked.
      setAttributes(source.c_str(), kAttrNormal);
      deleteFile(source.c_str());
    }
    break;
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
  if (mode == Mode::TwoFile) {
    setAttributes(target.c_str(), kAttrNormal);
    deleteFile(target.c_str());
  } else if (mode == Mode::InPlaceCopy) {
    deleteFile(temporary_.c_str());
  }
  return result;
}

} // namespace ravelock::engine
