#include "shell/handoff/launch.h"
#include "platform/inheritable.h"
#include "platform/module.h"
#include "shell/handoff/file_list.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace ravelock::handoff {

namespace {

constexpr std::uint32_t kStartWaitMs = 500;
constexpr std::uint32_t kDoneWaitMs = 20000;
constexpr std::size_t kCommandLineBytes = 260;

} // namespace

int LaunchWithFileList(const void* senderModule, const char* list, std::uint32_t length,
                       std::int32_t count, bool encrypt) {
  if (!list || length == 0)
    return 0;
  const std::string folder = platform::moduleFolder(senderModule);
  if (folder.empty())
    return 0;
  const std::string program = folder + "vellapp.exe";

  platform::InheritableSection section =
      platform::InheritableSection::create(sectionSizeFor(length));
  if (!section.isValid())
    return 0;
  platform::InheritableEvent done = platform::InheritableEvent::create();
  if (!done.isValid())
    return 0;
  if (!writeFileListSection({section.data(), section.size()}, done.handleValue(),
                            {list, length}, count))
    return 0;

  char commandLine[kCommandLineBytes];
  const int n =
      std::snprintf(commandLine, sizeof commandLine, "\"%s\" %s %u", program.c_str(),
                    encrypt ? "/encryption" : "/decryption", section.handleValue());
  // A cut command line would name another program or another handle.
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof commandLine)
    return 0;
  if (!platform::launchInheriting(commandLine))
    return 0;

  // The section must outlive the receiver's copy of the list.
  std::this_thread::sleep_for(std::chrono::milliseconds(kStartWaitMs));
  done.wait(kDoneWaitMs);
  return 1;
}

} // namespace ravelock::handoff
