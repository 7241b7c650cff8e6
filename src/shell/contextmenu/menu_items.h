#pragma once
// The extension's two items: command offsets from the first id Explorer
// gives, their menu texts and the help texts (also answered to the verb
// requests).

#include <windows.h>

namespace ravelock::contextmenu {

enum CommandOffset : unsigned { kEncryptCommand = 0, kDecryptCommand = 1 };

struct MenuItem {
  const wchar_t* text;
  const char* help;
  const wchar_t* helpWide;
};

inline constexpr MenuItem kEncryptItem{L"&Encrypt with Ravelock",
                                       "Encrypt the selected items with Ravelock.",
                                       L"Encrypt the selected items with Ravelock."};
inline constexpr MenuItem kDecryptItem{L"&Decrypt with Ravelock",
                                       "Decrypt the selected items with Ravelock.",
                                       L"Decrypt the selected items with Ravelock."};

// {5BCD499A-6AD6-43EE-8B3E-1EF3324AF63C}, as vellapp registers it.
inline constexpr GUID kExtensionClassId = {
    0x5BCD499A, 0x6AD6, 0x43EE, {0x8B, 0x3E, 0x1E, 0xF3, 0x32, 0x4A, 0xF6, 0x3C}};

} // namespace ravelock::contextmenu
