#include "engine/files/chunk_stream.h"

#include "engine/format/header.h"
#include "engine/results.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace ravelock::engine {

using namespace platform;

namespace {

// Large enough that waking the cipher team and the two threads costs
// little next to the chunk's work, small enough that the whole ring stays
// in the processor's last-level cache between the copy in, the cipher and
// the copy out (4 MiB chunks measured slower).
constexpr std::size_t kDefaultChunkBytes = 1u << 20;

// One chunk being read, one in the cipher, one being written and one spare,
// so that no stage waits on a slower neighbour's single chunk.
constexpr std::size_t kRingSlots = 4;

std::atomic<std::size_t> chunkBytesSetting{kDefaultChunkBytes};

// One run of a stream: the three stages meet through the counts of chunks
// each has finished, under one mutex.
class Pipeline {
public:
  Pipeline(File& source, File& output, unsigned char* ring, std::size_t chunkBytes,
           std::size_t slots, std::uint64_t readBytes, std::uint64_t writeBytes)
      : source_(source), output_(output), ring_(ring), chunkBytes_(chunkBytes),
        slots_(slots), readBytes_(readBytes), writeBytes_(writeBytes),
        chunks_((readBytes + chunkBytes - 1) / chunkBytes) {}

  std::int32_t run(const ChunkTransform& transform, std::int32_t readFailed,
                   std::int32_t writeFailed);

private:
  std::int32_t runInOrder(const ChunkTransform& transform, std::int32_t readFailed,
                          std::int32_t writeFailed);
  std::int32_t transformAll(const ChunkTransform& transform, std::int32_t readFailed,
                            std::int32_t writeFailed);
  void readAll();
  void writeAll();

  unsigned char* slot(std::uint64_t chunk) const {
    return ring_ + (chunk % slots_) * chunkBytes_;
  }
  std::size_t readLength(std::uint64_t chunk) const {
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(chunkBytes_, readBytes_ - chunk * chunkBytes_));
  }
  std::size_t writeLength(std::uint64_t chunk) const {
    const std::uint64_t start = chunk * chunkBytes_;
    if (start >= writeBytes_)
      return 0;
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(paddedLength(readLength(chunk)), writeBytes_ - start));
  }
  bool readChunk(std::uint64_t chunk);
  std::int32_t transformChunk(const ChunkTransform& transform, std::uint64_t chunk);
  bool writeChunk(std::uint64_t chunk) {
    return writeFully(output_, std::as_bytes(std::span(slot(chunk), writeLength(chunk))));
  }

  File& source_;
  File& output_;
  unsigned char* ring_;
  const std::size_t chunkBytes_;
  const std::size_t slots_;
  const std::uint64_t readBytes_;
  const std::uint64_t writeBytes_;
  const std::uint64_t chunks_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t read_ = 0;        // chunks filled from the source
  std::uint64_t transformed_ = 0; // chunks through the cipher
  std::uint64_t written_ = 0;     // chunks on the output
  bool readFailed_ = false;
  bool writeFailed_ = false;
  bool started_ = false; // both threads run: the reader may begin
  bool stopping_ = false;
};

bool Pipeline::readChunk(std::uint64_t chunk) {
  const std::size_t want = readLength(chunk);
  std::size_t got = 0;
  return readFully(source_, std::as_writable_bytes(std::span(slot(chunk), want)), got) &&
         got == want;
}

std::int32_t Pipeline::transformChunk(const ChunkTransform& transform,
                                      std::uint64_t chunk) {
  unsigned char* data = slot(chunk);
  const std::size_t length = readLength(chunk);
  const auto padded = static_cast<std::size_t>(paddedLength(length));
  std::memset(data + length, 0, padded - length);
  return transform(data, padded);
}

std::int32_t Pipeline::run(const ChunkTransform& transform, std::int32_t readFailed,
                           std::int32_t writeFailed) {
  if (chunks_ <= 1 || slots_ <= 1)
    return runInOrder(transform, readFailed, writeFailed);
  std::thread reader, writer;
  bool threaded = true;
  try {
    reader = std::thread([this] { readAll(); });
    writer = std::thread([this] { writeAll(); });
  } catch (const std::system_error&) {
    threaded = false;
  }
  {
    std::lock_guard lock(mutex_);
    (threaded ? started_ : stopping_) = true;
  }
  changed_.notify_all();
  std::int32_t result = kResultOk;
  if (threaded) {
    result = transformAll(transform, readFailed, writeFailed);
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
  }
  if (reader.joinable())
    reader.join();
  if (writer.joinable())
    writer.join();
  // Without threads the reader read nothing yet: the same work, one stage
  // after the other.
  return threaded ? result : runInOrder(transform, readFailed, writeFailed);
}

std::int32_t Pipeline::runInOrder(const ChunkTransform& transform,
                                  std::int32_t readFailed, std::int32_t writeFailed) {
  for (std::uint64_t chunk = 0; chunk < chunks_; ++chunk) {
    if (!readChunk(chunk))
      return readFailed;
    if (const std::int32_t result = transformChunk(transform, chunk))
      return result;
    if (!writeChunk(chunk))
      return writeFailed;
  }
  return kResultOk;
}

std::int32_t Pipeline::transformAll(const ChunkTransform& transform,
                                    std::int32_t readFailed, std::int32_t writeFailed) {
  for (std::uint64_t chunk = 0; chunk < chunks_; ++chunk) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return read_ > chunk || readFailed_ || writeFailed_; });
      if (writeFailed_)
        return writeFailed;
      if (read_ <= chunk)
        return readFailed;
    }
    if (const std::int32_t result = transformChunk(transform, chunk))
      return result;
    {
      std::lock_guard lock(mutex_);
      transformed_ = chunk + 1;
    }
    changed_.notify_all();
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return written_ == chunks_ || writeFailed_; });
  return writeFailed_ ? writeFailed : kResultOk;
}

void Pipeline::readAll() {
  for (std::uint64_t chunk = 0; chunk < chunks_; ++chunk) {
    {
      // The slot is free once the chunk a ring before this one is written.
      std::unique_lock lock(mutex_);
      changed_.wait(lock,
                    [&] { return stopping_ || (started_ && chunk < written_ + slots_); });
      if (stopping_)
        return;
    }
    const bool ok = readChunk(chunk);
    {
      std::lock_guard lock(mutex_);
      if (ok)
        read_ = chunk + 1;
      else
        readFailed_ = true;
    }
    changed_.notify_all();
    if (!ok)
      return;
  }
}

void Pipeline::writeAll() {
  for (std::uint64_t chunk = 0; chunk < chunks_; ++chunk) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || transformed_ > chunk; });
      if (transformed_ <= chunk)
        return;
    }
    const bool ok = writeChunk(chunk);
    {
      std::lock_guard lock(mutex_);
      if (ok)
        written_ = chunk + 1;
      else
        writeFailed_ = true;
    }
    changed_.notify_all();
    if (!ok)
      return;
  }
}

} // namespace

std::size_t streamChunkBytes() {
  return chunkBytesSetting.load(std::memory_order_relaxed);
}

void setStreamChunkBytes(std::size_t bytes) {
  chunkBytesSetting.store(std::max<std::size_t>(bytes & ~std::size_t{7}, kKeyCheckBytes),
                          std::memory_order_relaxed);
}

bool ChunkStream::allocate(std::uint64_t readBytes) {
  readBytes_ = readBytes;
  chunkBytes_ = streamChunkBytes();
  if (readBytes == 0)
    return true;
  const std::uint64_t chunks = (readBytes + chunkBytes_ - 1) / chunkBytes_;
  slots_ = static_cast<std::size_t>(std::min<std::uint64_t>(kRingSlots, chunks));
  // A single chunk needs no more than its own bytes in whole blocks.
  const std::uint64_t bytes =
      chunks == 1 ? paddedLength(readBytes) : std::uint64_t{slots_} * chunkBytes_;
  ring_ = Mapping::anonymous(bytes);
  return ring_.isValid();
}

std::int32_t ChunkStream::run(File& source, File& output, std::uint64_t writeBytes,
                              const ChunkTransform& transform, std::int32_t readFailed,
                              std::int32_t writeFailed) {
  if (readBytes_ == 0)
    return kResultOk;
  Pipeline pipeline(source, output, ring_.data(), chunkBytes_, slots_, readBytes_,
                    writeBytes);
  return pipeline.run(transform, readFailed, writeFailed);
}

} // namespace ravelock::engine
