// The sender the hand-off tests start from the installation folder, as the
// context menu and the drop target hand over their selections:
//
//   handoff_sender encrypt|decrypt LIST RESULT
//       LaunchWithFileList with the paths of LIST (folders marked)
//   handoff_sender length|count|nozero LIST RESULT
//       the same section, made hostile: a list length past the section's
//       end, a count larger than the list, or a list without its final zero
//
// RESULT receives the answer (1 started / signalled, 0 not), the
// milliseconds until it came and, for a hostile section, vellapp's exit
// code.

#include "platform/filesystem.h"
#include "platform/inheritable.h"
#include "platform/module.h"
#include "shell/handoff/file_list.h"
#include "shell/handoff/launch.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

using namespace ravelock;

handoff::PathList readPaths(const char* listFile) {
  handoff::PathList paths;
  std::ifstream in(listFile);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    paths.add(line, platform::isDirectory(line.c_str()));
  }
  return paths;
}

DWORD childExitCode = 0;

// Hands over a section whose header lies; 1 when vellapp signalled.
int sendHostile(const std::string& kind, const handoff::PathList& paths) {
  std::string list = paths.bytes();
  handoff::FileListHeader header{0, static_cast<std::uint32_t>(list.size()),
                                 paths.count()};
  if (kind == "length")
    header.listLength = 1u << 20;
  else if (kind == "count")
    header.itemCount = paths.count() + 5;
  else
    std::memset(list.data(), 'x', list.size()); // no zero anywhere
  platform::InheritableSection section =
      platform::InheritableSection::create(handoff::sectionSizeFor(list.size()));
  platform::InheritableEvent done = platform::InheritableEvent::create();
  if (!section.isValid() || !done.isValid())
    return 0;
  header.doneEvent = done.handleValue();
  std::memcpy(section.data(), &header, sizeof header);
  std::memcpy(section.data() + sizeof header, list.data(), list.size());
  static const int here = 0;
  std::string commandLine = "\"" + platform::moduleFolder(&here) +
                            "vellapp.exe\" /encryption " +
                            std::to_string(section.handleValue());
  // Started here rather than by the launcher, so that its exit code tells
  // whether it ended cleanly.
  STARTUPINFOA startup{sizeof startup};
  PROCESS_INFORMATION child{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &child))
    return 0;
  CloseHandle(child.hThread);
  const bool signalled = done.wait(20000) == platform::WaitResult::Signalled;
  DWORD exitCode = STILL_ACTIVE;
  if (WaitForSingleObject(child.hProcess, 20000) == WAIT_OBJECT_0)
    GetExitCodeProcess(child.hProcess, &exitCode);
  CloseHandle(child.hProcess);
  childExitCode = exitCode;
  return signalled ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 4)
    return 2;
  const std::string mode = argv[1];
  const handoff::PathList paths = readPaths(argv[2]);
  const ULONGLONG start = GetTickCount64();
  int answer = 0;
  if (mode == "encrypt" || mode == "decrypt") {
    const std::string list = paths.bytes();
    answer = handoff::LaunchWithFileList(GetModuleHandleW(nullptr), list.data(),
                                         static_cast<std::uint32_t>(list.size()),
                                         paths.count(), mode == "encrypt");
  } else {
    answer = sendHostile(mode, paths);
  }
  std::ofstream(argv[3], std::ios::binary)
      << answer << ' ' << (GetTickCount64() - start) << ' ' << childExitCode << '\n';
  return 0;
}
