// The uninstall data file reader on arbitrary bytes: it takes a file or
// refuses it, never reads outside it, and what it takes fits the tools'
// buffers and is written back to bytes it reads the same way.

#include "setup/uninstall_data.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace ravelock::setup;
  // An exact-size copy, so reading past the end is caught.
  const std::vector<std::uint8_t> bytes(data, data + size);
  const std::optional<UninstallData> parsed = parseUninstallData(bytes);
  if (!parsed)
    return 0;
  const std::optional<std::vector<std::uint8_t>> written =
      serializeUninstallData(*parsed);
  if (!written)
    std::abort(); // a file the reader took holds only texts that fit
  const std::optional<UninstallData> again = parseUninstallData(*written);
  if (!again || again->entries.size() != parsed->entries.size() ||
      again->ownPath != parsed->ownPath || again->question != parsed->question)
    std::abort();
  return 0;
}
