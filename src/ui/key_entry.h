#pragma once
// What every dialog with key boxes shares: the button that masks and
// unmasks them, typed text turned into a key, and wiping typed keys. The
// programs that use it include resources/ui/key_entry.rc2 for the pictures.

#include "keyserver/key_record.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace ravelock::ui {

// The owner-drawn picture button beside the key boxes. Masked (the start)
// it shows the masked picture in every state; unmasked it shows the
// "shown" picture, and the masked one while pressed (pressing masks).
class MaskingButton {
public:
  // `boxes` are the edit boxes it masks; their password character is taken
  // from the first ("*" when it has none). The pictures come from `module`.
  void attach(HWND dialog, int button, std::vector<int> boxes, HINSTANCE module);
  void toggle();
  bool masked() const { return masked_; }
  // WM_DRAWITEM of the button; false when the item is another control.
  bool draw(const DRAWITEMSTRUCT& item) const;

private:
  HWND dialog_ = nullptr;
  int button_ = 0;
  std::vector<int> boxes_;
  wchar_t passwordChar_ = L'*';
  bool masked_ = true;
  HBITMAP shown_ = nullptr; // shared resource bitmaps: not deleted
  HBITMAP hidden_ = nullptr;
};

// Puts `text` as the key into `record` (bytes and length; the name is left
// alone) in the system's legacy code page. False when a character has no
// form there or the key would be longer than a key can be.
bool setKey(const std::wstring& text, KeyRecord& record);

// Puts `text` as the name into `record` as headers store it (the legacy
// code page when it holds the name, else UTF-8): at most 32 bytes, cut on
// a character boundary, then zero bytes. False for half a surrogate pair.
bool setKeyName(const std::wstring& text, KeyRecord& record);

// A stored key name as text, and that text back as the stored bytes.
std::wstring keyNameText(std::string_view stored);
bool storedKeyNameOf(const std::wstring& text, std::string& stored);

// The key of `record` as text for a key box.
std::wstring keyText(const KeyRecord& record);

// The text of an edit box, wiped from memory when it goes.
class SecretText {
public:
  explicit SecretText(std::wstring text) : text_(std::move(text)) {}
  SecretText(const SecretText&) = delete;
  SecretText& operator=(const SecretText&) = delete;
  ~SecretText();
  const std::wstring& get() const { return text_; }

private:
  std::wstring text_;
};

} // namespace ravelock::ui
