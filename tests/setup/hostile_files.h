#pragma once
// Uninstall data files laid out by hand, and hostile variants of them that
// a reader must refuse whole.

#include "setup/uninstall_data.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::setup::fixtures {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::size_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void putText(Bytes& b, std::string_view s) {
  put16(b, s.size());
  b.insert(b.end(), s.begin(), s.end());
}

// A file laid out by hand as another writer might: a text of its own at
// position 9 before the own path, no restart question, and one entry of
// each kind (an unknown type too).
inline Bytes handWrittenFile(std::string_view file = "C:\\d\\f.x") {
  Bytes b = {0x03, 3, 0, 0, 0}; // run both programs; 3 entries
  put16(b, 2 + 2 + 5);          // X: own path behind the "notes" text
  put16(b, 2 + 5 + 2 + 8);      // L: texts behind the own path
  putText(b, "notes");          // the writer's own text
  putText(b, "C:\\u.exe");      // own path (7 + X = 16)
  putText(b, "Cap");            // 9 + L = 26
  putText(b, "Q?");
  putText(b, "all");
  putText(b, "left");
  putText(b, "p1.exe");
  putText(b, "/lsapp");
  b.push_back(0x03); // program 1 failure mode
  putText(b, "err");
  putText(b, "p2.exe");
  putText(b, "");
  b.insert(b.end(), {0, 1}); // file entry, with its folder
  put16(b, file.size());
  b.insert(b.end(), file.begin(), file.end());
  b.insert(b.end(), {1, 0}); // registry value
  put16(b, 3);
  put16(b, kHiveLocalMachine);
  putText(b, "Val");
  b.insert(b.end(), {'S', 'w', '\\'});
  b.insert(b.end(), {7, 0}); // unknown type: read as a file entry
  put16(b, 1);
  b.push_back('z');
  return b;
}

// Hostile variants of a valid file, each of which must be refused whole.
struct Hostile {
  const char* name;
  std::function<void(Bytes&)> spoil;
};

inline void set16(Bytes& b, std::size_t at, std::size_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline std::vector<Hostile> hostileCases(std::string_view file = "C:\\d\\f.x") {
  const Bytes good = handWrittenFile(file);
  const std::size_t captionAt = 26;
  const std::size_t entriesAt = good.size() - (4 + file.size()) - 14 - 5;
  const std::size_t valueNameAt = entriesAt + 4 + file.size() + 4 + 2;
  return {
      {"empty file", [](Bytes& b) { b.clear(); }},
      {"cut inside the fixed fields", [](Bytes& b) { b.resize(6); }},
      {"count of four billion", [](Bytes& b) { b[1] = b[2] = b[3] = 0xFF, b[4] = 0xEF; }},
      {"count one more than present", [](Bytes& b) { b[1] = 4; }},
      {"own path offset past the end", [](Bytes& b) { set16(b, 5, 0xFFFF); }},
      {"own path over the fixed fields", [](Bytes& b) { set16(b, 5, 0); }},
      {"texts offset past the end", [](Bytes& b) { set16(b, 7, 0xFFF0); }},
      {"own path length past the end", [](Bytes& b) { set16(b, 16, 0xFFFF); }},
      {"caption length past the end", [=](Bytes& b) { set16(b, captionAt, 0xFFFF); }},
      {"own path longer than its buffer",
       [](Bytes& b) {
         Bytes t(b.begin(), b.begin() + 16);
         putText(t, std::string(kMaxPathBuffer, 'a'));
         t.insert(t.end(), b.begin() + 16 + 2 + 8, b.end());
         set16(t, 7, 2 + 5 + 2 + kMaxPathBuffer);
         b = t;
       }},
      {"message longer than its buffer",
       [=](Bytes& b) {
         Bytes t(b.begin(), b.begin() + captionAt);
         putText(t, std::string(kMaxTextBuffer, 'c'));
         t.insert(t.end(), b.begin() + captionAt + 2 + 3, b.end());
         b = t;
       }},
      {"value name longer than its buffer",
       [=](Bytes& b) {
         Bytes t(b.begin(), b.begin() + valueNameAt);
         putText(t, std::string(kMaxValueBuffer, 'v'));
         t.insert(t.end(), b.begin() + valueNameAt + 2 + 3, b.end());
         b = t;
       }},
      {"entry path longer than its buffer",
       [=](Bytes& b) {
         set16(b, entriesAt + 2, kMaxPathBuffer);
         b.insert(b.begin() + entriesAt + 4, kMaxPathBuffer - file.size(), 'p');
       }},
      {"entry path past the end", [=](Bytes& b) { set16(b, entriesAt + 2, 200); }},
      {"truncated last entry", [](Bytes& b) { b.pop_back(); }},
      {"truncated entry header", [](Bytes& b) { b.resize(b.size() - 4); }},
      {"zero byte inside a path", [=](Bytes& b) { b[entriesAt + 6] = 0; }},
      {"restart question missing",
       [](Bytes& b) { b[0] |= kOfferRestart; }}, // the entries read as a text
  };
}

} // namespace ravelock::setup::fixtures
