#pragma once
// What encrypting and decrypting one file have in common: the source and
// target files, in place or beside each other, the work buffer, moving bytes
// in chunks with progress and stop polling, finishing the result and the
// clean-up after a failure. In place goes through a temporary file beside
// the source whenever the disk has room for it, so the source stays whole
// until the result is complete; only without room is the source itself
// overwritten.

#include "engine/progress_link.h"
#include "engine/results.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "platform/mapping.h"

#include <cstdint>
#include <string>

namespace ravelock::engine {

// The result codes that differ between the two operations.
struct TransformCodes {
  std::int32_t openFailed;   // the source cannot be opened
  std::int32_t sizeFailed;   // its size cannot be read
  std::int32_t createFailed; // the target cannot be created
  std::int32_t writeFailed;  // the target cannot be written
};

class FileTransform {
public:
  enum class Mode {
    TwoFile,    // the result is a new file beside the source
    InPlace,    // the source file itself is overwritten (no room for a copy)
    InPlaceCopy // in place by way of a temporary file renamed over
  };

  FileTransform(const char* sourcePath, ProgressLink* link, TransformCodes codes)
      : source(sourcePath), link_(link), codes_(codes) {}

  // Opens the files for the mode: kResultOk or the open, size or create code.
  // In place, when the source cannot be opened for writing or its size read,
  // goes on with two files (the source is still removed at the end).
  std::int32_t open() { return mode == Mode::InPlace ? openInPlace() : openTwoFile(); }

  // In place with room for a second copy: the result goes to a temporary
  // file instead of over the source.
  void useCopyWhenRoom(std::uint64_t freeBytes, std::uint64_t resultSize);

  // The work buffer: on the target file's mapping when writing to a new
  // file, else anonymous memory; false when neither can be had.
  bool createBuffer(std::uint64_t bytes);

  // Reads `count` bytes of the source from its current position into
  // `into`: kResultOk, kResultStopped, or `readFailed`.
  std::int32_t load(unsigned char* into, std::uint64_t count, std::int32_t readFailed);

  // Writes `count` bytes of the buffer to the output from its start, ends
  // the file there and gives it the source's times: kResultOk, kResultStopped
  // or writeFailed.
  std::int32_t save(std::uint64_t count);

  // Names the completed result, gives it the source's attributes and only
  // then lets go of the source. kResultOk, or writeFailed when the result
  // cannot take its place.
  std::int32_t finish();

  // The clean-up after a failure once the files are open; returns `result`.
  std::int32_t fail(std::int32_t result);

  platform::File& output() { return mode == Mode::InPlace ? sourceFile : targetFile; }

  std::string source;
  std::string target;
  Mode mode = Mode::TwoFile;
  bool deleteSource = false;
  platform::File sourceFile;
  platform::File targetFile; // the target, or the temporary file in place
  platform::FileTimes times;
  bool timesRead = false;
  std::uint32_t sourceAttributes = platform::kInvalidAttributes;
  std::uint64_t sourceSize = 0;
  platform::Mapping buffer;

private:
  std::int32_t openInPlace();
  std::int32_t openTwoFile();
  bool createTemporary();

  ProgressLink* link_;
  TransformCodes codes_;
  std::string temporary_;
  std::uint32_t targetAttributes_ = platform::kInvalidAttributes;
};

} // namespace ravelock::engine
