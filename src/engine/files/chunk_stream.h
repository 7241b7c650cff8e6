#pragma once
// Streams a file through the cipher chunk by chunk: a reader thread fills
// chunks from the source, the caller's thread runs each through the
// transformation in order (on every core, with the link's polls and
// progress), and a writer thread writes them to the output. A ring of a few
// chunks bounds the memory whatever the file's size. A stream of one chunk
// runs on the caller's thread alone, since threads would not pay.

#include "platform/file.h"
#include "platform/mapping.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace ravelock::engine {

// The size of one chunk, a multiple of the cipher block that holds the
// whole key check.
std::size_t streamChunkBytes();

// Tests make chunks small so that runs of many chunks stay short. Rounded
// down to whole blocks, and to at least 128 bytes.
void setStreamChunkBytes(std::size_t bytes);

// Runs over one chunk in place: `length` is its bytes rounded up to whole
// blocks, the padding zero. 0 to go on, else the result to end with.
using ChunkTransform =
    std::function<std::int32_t(unsigned char* data, std::size_t length)>;

class ChunkStream {
public:
  ChunkStream() = default;

  // The ring for a stream of `readBytes`; false when the memory cannot be
  // had. An empty stream needs none.
  bool allocate(std::uint64_t readBytes);

  // Reads the `readBytes` given to allocate() from the source's position,
  // runs every chunk through `transform` and writes the first `writeBytes`
  // of the result (at most the bytes read, rounded up to whole blocks) at
  // the output's position. Returns 0 once every byte is written, the
  // transform's result when it ended the stream, `readFailed` for a failed
  // or short read and `writeFailed` for a failed write. Every thread has
  // ended when it returns.
  std::int32_t run(platform::File& source, platform::File& output,
                   std::uint64_t writeBytes, const ChunkTransform& transform,
                   std::int32_t readFailed, std::int32_t writeFailed);

  void release() { ring_.release(); }

private:
  platform::Mapping ring_;
  std::uint64_t readBytes_ = 0;
  std::size_t chunkBytes_ = 0;
  std::size_t slots_ = 0;
};

} // namespace ravelock::engine
