#pragma once
// Why the last file of this thread failed, where a front end can say more
// than the result code's text (the command-line tool). The codes and the
// dialogs stay as they are; the note only adds the reason. A file routine
// and the link's questions run on one thread, so the note is kept per
// thread.

#include <string>

namespace ravelock::engine {

enum class FileNote {
  None,
  SourceIsLink,  // a symbolic link: neither followed nor removed
  SourceInUse,   // another run (or another program) holds the file
  SourceChanged, // its size or write time changed during the run
  NoRoomForCopy  // in place without room for a copy, and overwriting refused
};

struct FileNoteRecord {
  FileNote note = FileNote::None;
  std::string path;
};

// The note of the last file routine on this thread that left one.
const FileNoteRecord& lastFileNote();
void noteFile(FileNote note, const std::string& path);
void clearFileNote();

} // namespace ravelock::engine
