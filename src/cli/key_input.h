#pragma once
// Where the command-line tool takes a key from: a key file, the environment,
// or the terminal. Never from the command line, where other users of the
// machine could read it.

#include "keyserver/key_record.h"

#include <optional>
#include <string>

namespace ravelock::cli {

inline constexpr char kKeyEnvironment[] = "RAVELOCK_KEY";

struct KeySource {
  std::string keyFile; // --key-file, empty when not given
  bool confirm = true; // a typed key is asked twice
};

// Fills `key` (key bytes and length; the name is left alone). Every source
// gives its first line, without the LF or CR LF that ends it. On failure
// prints why to standard error and returns false: an unreadable key file,
// no key anywhere, an empty key, one longer than 56 bytes, one holding a
// NUL byte, or two typed keys that differ.
bool obtainKey(const KeySource& source, KeyRecord& key);

// Checks a key's length and bytes; the message for a refused one, else
// empty.
std::string keyProblem(const std::string& key);

// Asks for a key on the terminal without echo; nullopt when there is no
// terminal or input ended.
std::optional<std::string> askKey(const char* prompt);

} // namespace ravelock::cli
