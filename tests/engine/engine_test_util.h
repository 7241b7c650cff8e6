#pragma once
#include "engine/cipher/cipher.h"

#include <string>

namespace ravelock::engine {

inline unsigned char* bytes(std::string& s) {
  return reinterpret_cast<unsigned char*>(s.data());
}

inline void keyed(CipherState& c, const std::string& key) {
  c.Init(reinterpret_cast<const unsigned char*>(key.data()), key.size());
}

} // namespace ravelock::engine
