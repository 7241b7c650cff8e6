#pragma once
// The backend's one crossing between the program's UTF-8 and the wide
// Win32 functions.

#include <string>
#include <string_view>

namespace ravelock::platform::win32 {

// `utf8` as the W functions take it. Bytes that are no UTF-8 give an empty
// text, so the call they go to fails instead of naming another file.
std::wstring wide(std::string_view utf8);

// A name or text from a W function in UTF-8 (see nameToUtf8).
std::string utf8(std::wstring_view text);

} // namespace ravelock::platform::win32
