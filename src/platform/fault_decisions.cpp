#include "platform/backend.h"
#include "platform/directory.h"
#include "platform/file_view.h"
#include "platform/ipc.h"
#include "platform/mapping.h"
#include "platform/process.h"

namespace ravelock::platform {

// The operations that reach a backend ask the fault hook here first, once
// for both backends (files and paths do the same in file_common.cpp and
// filesystem_common.cpp).

std::optional<std::vector<DirectoryEntry>> listDirectory(const std::string& folder,
                                                         const std::string& pattern) {
  if (backend::refused(Op::ListDirectory))
    return std::nullopt;
  return backend::listDirectory(folder, pattern);
}

bool WriteShortcut(const std::string& target, const std::string& linkPath,
                   const std::string& description, const char* arguments,
                   const char* iconPath, int iconIndex) {
  return !backend::refused(Op::ShellLink) &&
         backend::writeShortcut(target, linkPath, description, arguments, iconPath,
                                iconIndex);
}

std::optional<std::string> ResolveShortcutTarget(const std::string& linkPath) {
  if (backend::refused(Op::ShellLink))
    return std::nullopt;
  return backend::resolveShortcutTarget(linkPath);
}

bool launchDetached(const std::string& program, std::string_view argument) {
  return !backend::refused(Op::StartProcess) &&
         backend::launchDetached(program, argument);
}

ChildProcess ChildProcess::start(const std::string& program,
                                 const std::vector<std::string>& args) {
  return backend::refused(Op::StartProcess) ? ChildProcess()
                                            : startBackend(program, args);
}

Mapping Mapping::ofFile(File& file, std::uint64_t size) {
  return backend::refused(Op::MapFile) ? Mapping() : ofFileBackend(file, size);
}

Mapping Mapping::anonymous(std::uint64_t size) {
  return backend::refused(Op::MapMemory) ? Mapping() : anonymousBackend(size);
}

FileView FileView::ofFile(File& file, std::uint64_t size) {
  return backend::refused(Op::MapFile) ? FileView() : ofFileBackend(file, size);
}

NamedMutex NamedMutex::open(const char* name) {
  return backend::refused(Op::OpenNamedObject) ? NamedMutex() : openBackend(name);
}

NamedEvent NamedEvent::open(const char* name) {
  return backend::refused(Op::OpenNamedObject) ? NamedEvent() : openBackend(name);
}

SharedSection SharedSection::open(const char* name, std::size_t size) {
  return backend::refused(Op::OpenNamedObject) ? SharedSection()
                                               : openBackend(name, size);
}

RunningMark RunningMark::take(const char* name, std::uint32_t timeoutMs) {
  return backend::refused(Op::OpenNamedObject) ? RunningMark()
                                               : takeBackend(name, timeoutMs);
}

MarkState RunningMark::probe(const char* name) {
  return backend::refused(Op::OpenNamedObject) ? MarkState::Unknown : probeBackend(name);
}

} // namespace ravelock::platform
