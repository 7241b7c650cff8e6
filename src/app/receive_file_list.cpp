#include "app/receive_file_list.h"
#include "platform/inheritable.h"
#include "shell/handoff/file_list.h"

#include <cstdlib>

namespace ravelock::app {

void ReceiveFileList(const EngineExports& engine, const std::string& handleArgument,
                     bool encrypt) {
  // The C runtime's plain decimal conversion, as the sender wrote it.
  const auto handle =
      static_cast<std::uint32_t>(std::strtoul(handleArgument.c_str(), nullptr, 10));
  handoff::ReceivedFileList received;
  {
    platform::InheritableSection section =
        platform::InheritableSection::viewInherited(handle);
    if (!section.isValid())
      return;
    received = handoff::readFileListSection({section.data(), section.size()});
    // The sender may let go once the list is copied, good or bad.
    if (received.headerRead)
      platform::InheritableEvent::signalInherited(received.doneEvent);
  }
  if (!received.valid)
    return;
  if (encrypt)
    engine.cryptFiles(received.list.data(), received.count);
  else
    engine.decryptFiles(received.list.data(), received.count, nullptr);
}

} // namespace ravelock::app
