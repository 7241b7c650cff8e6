#pragma once
// Asked when a decrypted result is itself an encrypted file whose ".rlk"
// name is taken by the kept original: overwrite that file, save under
// another name, or drop the result.

#include "ui/dialog.h"

namespace ravelock::engine {

class RepeatedEncryptionDialog : public ui::Dialog {
public:
  // `path`: the engine's 260-byte buffer with the name to write; Rename...
  // replaces it. `writeFailed`: writing to it has just failed, which is
  // said first.
  RepeatedEncryptionDialog(const ui::Resources& resources, char* path, bool writeFailed);

  // True when `path` holds the path to write, false when cancelled.
  bool ask(HWND owner);

private:
  bool onInit() override;
  bool onCommand(int id, int code) override;
  void onOk() override {} // Enter does nothing
  void overwrite();
  void rename();

  char* path_;
  bool writeFailed_;
};

} // namespace ravelock::engine
