#pragma once
// What an installer put in place, as a text the build writes beside the
// installer's files, turned into the uninstall data file once the
// installation folder is known. One line per item, fields separated by a
// tab; file paths are relative to the installation folder:
//
//   caption | question | all-removed | something-left | program1-error  TEXT
//   program1            PATH  ARGUMENTS   (flag: run before removing)
//   program1-failure    MODE              (Program1Failure bits, decimal)
//   own-path            PATH              (the installed uninstall tool)
//   file                PATH
//   file-and-folder     PATH              (the file's folder goes too)
//   registry-key        HIVE  KEY         (the whole key)
//   registry-value      HIVE  KEY  NAME
//
// "\n" in a text stands for a line break. Empty lines and lines starting
// with "#" are skipped.

#include "setup/uninstall_data.h"

#include <optional>
#include <string>
#include <string_view>

namespace ravelock::setup {

// The data for an installation in `installFolder` (with or without a final
// separator). Nothing, with `error` saying which line, when the manifest
// has a line it does not know or a field missing.
std::optional<UninstallData> dataFromManifest(std::string_view manifest,
                                              const std::string& installFolder,
                                              std::string& error);

// Adds a file outside the installation folder (a shortcut), with its
// folder when `withFolder`.
void addOutsideFile(UninstallData& data, const std::string& path, bool withFolder);

} // namespace ravelock::setup
