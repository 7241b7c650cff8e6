// The key server's request handling on arbitrary section contents. One input
// is a run of requests, each led by a 2-byte size, so that stores, finds
// and deletes meet one record store. The answer must stay in the section
// and the list of names must always fit in one answer.

#include "keyserver/protocol.h"
#include "keyserver/server_core.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace ravelock::keyserver;
  ServerCore core;
  std::vector<unsigned char> answer(kSectionSize);
  while (size >= 2) {
    std::size_t length = static_cast<std::size_t>(data[0] | data[1] << 8);
    data += 2;
    size -= 2;
    if (length > size)
      length = size;
    // An exact-size copy, so a read past the request is caught.
    const std::vector<unsigned char> request(data, data + length);
    data += length;
    size -= length;
    const Reply reply = core.handle(request, answer);
    if (reply.answered && readHeader(answer.data()).length > kMaxPayload)
      std::abort();
    if (core.store().namesListLength() > kMaxPayload)
      std::abort();
  }
  return 0;
}
