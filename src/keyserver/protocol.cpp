#include "keyserver/protocol.h"

#include <algorithm>
#include <cstring>

namespace ravelock::keyserver {

MessageHeader readHeader(const unsigned char* at) {
  MessageHeader header;
  header.kind = at[0];
  header.code = at[1];
  header.sequence = static_cast<std::uint16_t>(at[2] | at[3] << 8);
  header.length = loadLe32(at + 4);
  return header;
}

void writeHeader(unsigned char* at, const MessageHeader& header) {
  at[0] = header.kind;
  at[1] = header.code;
  at[2] = static_cast<unsigned char>(header.sequence);
  at[3] = static_cast<unsigned char>(header.sequence >> 8);
  storeLe32(at + 4, header.length);
}

std::size_t requestSize(const MessageHeader& header) {
  if (header.length > kMaxPayload)
    return kHeaderSize;
  return kHeaderSize + std::max<std::size_t>(header.length, 4);
}

std::size_t answerSize(const MessageHeader& header) {
  return kHeaderSize + std::min<std::size_t>(header.length, kMaxPayload);
}

std::optional<std::string_view> recordName(const KeyRecord& record) {
  const void* zero = std::memchr(record.name, 0, kMaxKeyNameLength + 1);
  if (!zero)
    return std::nullopt;
  return std::string_view(record.name, static_cast<std::size_t>(
                                           static_cast<const char*>(zero) - record.name));
}

bool isUsableRecord(const KeyRecord& record) {
  const auto name = recordName(record);
  return record.length >= 1 && record.length <= kMaxKeyLength && name && !name->empty();
}

std::optional<std::string_view> payloadName(std::span<const unsigned char> payload) {
  if (payload.size() < 2 || payload.size() > kMaxKeyNameLength + 1)
    return std::nullopt;
  const auto* text = reinterpret_cast<const char*>(payload.data());
  const std::size_t length = payload.size() - 1;
  if (text[length] != 0 || std::memchr(text, 0, length))
    return std::nullopt;
  return std::string_view(text, length);
}

std::vector<std::string> splitNameList(std::span<const char> list) {
  std::vector<std::string> names;
  std::size_t at = 0;
  while (at < list.size() && list[at] != 0) {
    const void* zero = std::memchr(list.data() + at, 0, list.size() - at);
    const std::size_t end =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - list.data())
             : list.size();
    names.emplace_back(list.data() + at, end - at);
    at = end + 1;
  }
  return names;
}

} // namespace ravelock::keyserver
