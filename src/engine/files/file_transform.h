#pragma once
// What encrypting and decrypting one file have in common: the source and
// target files, in place or beside each other, streaming the bytes through
// the cipher or, overwriting the source in place, the work buffer that holds
// them whole, finishing the result and the clean-up after a failure.
//
// The result is written to a temporary file beside the target
// ("<target>.N.rlktmp", created exclusively and held without sharing),
// flushed and only then renamed to the target's name, so a crash never
// leaves half a file under that name. Temporary files of the same target
// that no run holds any more are a crashed run's and are removed first. In
// place goes the same way whenever the disk has room for the copy; only
// without room is the source itself overwritten. The source is held
// without sharing for the whole run (one run per file), and a source whose
// size or write time changed meanwhile is neither replaced nor removed.

#include "engine/files/chunk_stream.h"
#include "engine/progress_link.h"
#include "engine/results.h"
#include "platform/file.h"
#include "platform/filesystem.h"
#include "platform/mapping.h"

#include <cstdint>
#include <span>
#include <string>

namespace ravelock::engine {

// The result codes that differ between the two operations.
struct TransformCodes {
  std::int32_t openFailed;   // the source cannot be opened
  std::int32_t sizeFailed;   // its size cannot be read
  std::int32_t createFailed; // the target cannot be created
  std::int32_t writeFailed;  // the target cannot be written
  std::int32_t noBuffer;     // the work memory cannot be had
  std::int32_t loadFailed;   // the source cannot be read
  std::int32_t noSpace;      // no room for the result
};

// Whether in place without room for a copy may overwrite the source itself,
// as the design does (the default). The command-line tool allows it only
// when asked: a power loss during that overwrite loses the file. Refused,
// such a file fails with the no-space code.
void allowOverwriteWithoutCopy(bool allowed);
bool overwriteWithoutCopyAllowed();

// The suffix of temporary files before the number: "<target>.N.rlktmp".
inline constexpr char kTemporarySuffix[] = ".rlktmp";

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
  // file instead of over the source. Without room, and overwriting refused,
  // the noSpace code (the files are closed); else kResultOk.
  std::int32_t useCopyWhenRoom(std::uint64_t freeBytes, std::uint64_t resultSize);

  // Whether the bytes go through in chunks. Overwriting the source in place
  // holds them whole: the result would overwrite bytes not yet read.
  bool streams() const { return mode != Mode::InPlace; }

  // The memory for the bytes: the chunk ring for `streamBytes` of the source
  // when streaming, else the work buffer of `wholeBytes` in anonymous
  // memory. kResultOk or noBuffer.
  std::int32_t createBuffer(std::uint64_t streamBytes, std::uint64_t wholeBytes);

  // Streams the source from its current position through `transform` to
  // the output from `outputStart`, writing `writeBytes`: kResultOk, the
  // transform's result, loadFailed or writeFailed.
  std::int32_t stream(std::uint64_t outputStart, std::uint64_t writeBytes,
                      const ChunkTransform& transform);

  // Writes `bytes` at `offset` of the output: kResultOk or writeFailed.
  std::int32_t writeAt(std::uint64_t offset, std::span<const unsigned char> bytes);

  // Reads `count` bytes of the source from its current position into
  // `into`: kResultOk, kResultStopped, or loadFailed.
  std::int32_t load(unsigned char* into, std::uint64_t count);

  // Writes `count` bytes of the buffer to the output from its start, then
  // ends it (endOutput): kResultOk or writeFailed. It is never stopped
  // midway (it overwrites the source in place).
  std::int32_t save(std::uint64_t count);

  // Ends the output at `size` and gives it the source's times: kResultOk or
  // writeFailed.
  std::int32_t endOutput(std::uint64_t size);

  // Names the completed result, gives it the source's attributes and only
  // then lets go of the source. kResultOk, writeFailed when the result
  // cannot take its place, or loadFailed when the source changed during
  // the run (then it stays and the result is removed).
  std::int32_t finish();

  // The clean-up after a failure once the files are open; returns `result`.
  std::int32_t fail(std::int32_t result);

  platform::File& output() { return mode == Mode::InPlace ? sourceFile : targetFile; }

  // Whether the source is still the size and write time it had when opened.
  bool sourceUnchanged();

  std::string source;
  std::string target;
  Mode mode = Mode::TwoFile;
  bool deleteSource = false;
  platform::File sourceFile;
  platform::File targetFile; // the temporary file that becomes the target
  platform::FileTimes times;
  bool timesRead = false;
  std::uint32_t sourceAttributes = platform::kInvalidAttributes;
  std::uint64_t sourceSize = 0;
  platform::Mapping buffer;
  ChunkStream chunks;

private:
  std::int32_t openInPlace();
  std::int32_t openTwoFile();
  std::int32_t openFailed();
  void removeStaleTemporaries();
  bool createTemporary();
  bool replaceTarget();

  ProgressLink* link_;
  TransformCodes codes_;
  std::string temporary_;
  bool targetExisted_ = false;
};

} // namespace ravelock::engine
