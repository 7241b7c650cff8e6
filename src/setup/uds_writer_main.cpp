// uds_writer: run by the installer once its files are in place. Writes the
// uninstall data file for the installation folder from the manifest the
// build made, plus the files outside the folder named on the command line.
//
//   uds_writer OUTPUT MANIFEST INSTALL_FOLDER [--file PATH | --file-and-folder PATH]...
//
// Exit codes: 0 written, 1 bad arguments or manifest, 2 the file cannot be
// written (a text too long for the tools' buffers included).

#include "platform/file.h"
#include "setup/install_manifest.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

enum WriterExit : int { kWritten = 0, kBadInput = 1, kCannotWrite = 2 };

// A manifest lists one installation: far less than this.
constexpr std::uint64_t kMaxManifestSize = 1u << 20;

bool readManifest(const char* path, std::string& text) {
  using namespace ravelock::platform;
  File file = File::open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  std::uint64_t size = 0;
  if (!file.isOpen() || !file.size(size) || size > kMaxManifestSize)
    return false;
  text.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  if (!readFully(file, std::as_writable_bytes(std::span(text)), got))
    return false;
  text.resize(got);
  return true;
}

int usage() {
  std::fputs("usage: uds_writer OUTPUT MANIFEST INSTALL_FOLDER"
             " [--file PATH | --file-and-folder PATH]...\n",
             stderr);
  return kBadInput;
}

} // namespace

int main(int argc, char** argv) {
  using namespace ravelock;
  if (argc < 4 || argc % 2 != 0)
    return usage();
  std::string manifest;
  if (!readManifest(argv[2], manifest)) {
    std::fprintf(stderr, "uds_writer: cannot read %s\n", argv[2]);
    return kBadInput;
  }
  std::string error;
  std::optional<setup::UninstallData> data =
      setup::dataFromManifest(manifest, argv[3], error);
  if (!data) {
    std::fprintf(stderr, "uds_writer: %s: %s\n", argv[2], error.c_str());
    return kBadInput;
  }
  for (int i = 4; i < argc; i += 2) {
    const bool withFolder = std::strcmp(argv[i], "--file-and-folder") == 0;
    if (!withFolder && std::strcmp(argv[i], "--file") != 0)
      return usage();
    setup::addOutsideFile(*data, argv[i + 1], withFolder);
  }
  if (!setup::writeUninstallDataFile(argv[1], *data)) {
    std::fprintf(stderr, "uds_writer: cannot write %s\n", argv[1]);
    return kCannotWrite;
  }
  return kWritten;
}
