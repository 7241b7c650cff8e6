#include "engine/files/file_note.h"

namespace ravelock::engine {

namespace {
thread_local FileNoteRecord current;
}

const FileNoteRecord& lastFileNote() {
  return current;
}

void noteFile(FileNote note, const std::string& path) {
  current.note = note;
  current.path = path;
}

void clearFileNote() {
  current = FileNoteRecord{};
}

} // namespace ravelock::engine
