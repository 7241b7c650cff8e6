#pragma once
// Where the command-line tool takes a key from: a key file, the environment,
// or the terminal. Never from the command line, where other users of the
// machine could read it.

#include "cli/arguments.h"
#include "keyserver/key_record.h"
#include "platform/code_page.h"

#include <optional>
#include <string>

namespace ravelock::cli {

inline constexpr char kKeyEnvironment[] = "RAVELOCK_KEY";

// The option naming the code page of a key's bytes, and its help lines.
inline constexpr char kCodePageOption[] = "--code-page";
inline constexpr char kCodePageHelp[] =
    "  --code-page N       the code page a key's bytes are in (default: the\n"
    "                      system's ANSI code page; 1252 on Linux, as Windows\n"
    "                      has on a Western system); 65001 takes the UTF-8\n"
    "                      bytes as they are\n";

struct KeySource {
  std::string keyFile; // --key-file, empty when not given
  bool confirm = true; // a typed key is asked twice
  // The key's text (UTF-8 from every source) is turned into its bytes in
  // this code page, as the key dialogs on Windows do.
  unsigned codePage = platform::legacyCodePage();
};

// The code page of --code-page, or the default; false with the message
// for a number that is no code page known here.
bool keyCodePage(const Arguments& arguments, unsigned& codePage, std::string& problem);

// Fills `key` (key bytes and length; the name is left alone). Every source
// gives its first line, without the LF or CR LF that ends it. On failure
// prints why to standard error and returns false: an unreadable key file,
// no key anywhere, an empty key, one holding a NUL byte, one that is no
// UTF-8 or has a character the code page cannot hold, one longer than 56
// bytes, or two typed keys that differ.
bool obtainKey(const KeySource& source, KeyRecord& key);

// Checks a key's text; the message for a refused one, else empty.
std::string keyProblem(const std::string& key);

// A key's text as its bytes in `codePage` into `bytes`; the message for a
// text that has none or gives more than 56 bytes, else empty.
std::string keyBytes(const std::string& text, unsigned codePage, std::string& bytes);

// A key name given on the command line (UTF-8) as a header and the key
// server keep it (see storedKeyName), cut on a character boundary to the
// name field; `cut` tells whether it was. Empty for a name that has no
// form (half a surrogate cannot come from UTF-8, so only bytes that are
// no UTF-8 give it).
std::string keyNameToStore(const std::string& given, bool& cut);

// A stored key name in UTF-8 for the terminal (see shownKeyName).
std::string keyNameToShow(std::string_view stored);

// Asks for a key on the terminal without echo; nullopt when there is no
// terminal or input ended.
std::optional<std::string> askKey(const char* prompt);

} // namespace ravelock::cli
