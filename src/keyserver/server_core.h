#pragma once
// What the key server does with one request, apart from the transport.
// Requests come from any process of the session and are untrusted: a request
// that breaks the layout gets kStatusBadRequest and changes nothing.

#include "keyserver/key_store.h"

#include <cstdint>
#include <span>

namespace ravelock::keyserver {

// What the program has to do besides answering.
enum class ServerAction : std::uint8_t { None, ShowIcon, HideIcon, Shutdown };

struct Reply {
  bool answered = false; // false: not a request; leave the section alone
  ServerAction action = ServerAction::None;
};

class ServerCore {
public:
  // `request` is a copy of the section's first bytes: the header and at
  // least max(payload length, 4) bytes after it (the index of a
  // key-by-index request stands at offset 8 with a length field of 0). It
  // may be shorter when the length field is out of range. The answer is
  // written to `answer`, a buffer of the section's size.
  Reply handle(std::span<const unsigned char> request, std::span<unsigned char> answer);

  KeyStore& store() { return store_; }

private:
  KeyStore store_;
};

} // namespace ravelock::keyserver
