#pragma once
// The key server's shared-memory protocol, spoken byte for byte by every
// client and the server: the names of the shared objects, the message
// layout, and the command and status bytes.
//
// Message (request and answer alike, little-endian):
//   0  1  kind: kKindRequest or kKindAnswer
//   1  1  command (request) or status (answer)
//   2  2  sequence value: 0 in a single request; inside a batch, the value
//         of the previous answer
//   4  4  payload length
//   8  ..  payload, at most kMaxPayload bytes

#include "keyserver/key_record.h"
#include "platform/byte_order.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravelock::keyserver {

// Exists while the server runs; clients only look at it.
inline constexpr char kServerRunMutexName[] = "server_run_mutex_vell";
// Client to server: a request is in the section.
inline constexpr char kMessageEventName[] = "message_event_vell";
// Server to client: the answer is in the section.
inline constexpr char kDoneEventName[] = "done_event_vell";
// Held by one client from writing its request until it has read the answer.
inline constexpr char kAccessMutexName[] = "klient_access_mutex_vell";
inline constexpr char kSectionName[] = "mem_file_data_vell";

inline constexpr std::size_t kSectionSize = 16384;
inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kMaxPayload = kSectionSize - kHeaderSize;

// How long a client waits for an answer, and so how soon the server answers.
inline constexpr std::uint32_t kAnswerTimeoutMs = 1000;

inline constexpr std::uint8_t kKindRequest = 0xAB;
inline constexpr std::uint8_t kKindAnswer = 0xBA;

enum Command : std::uint8_t {
  kCommandFindKey = 0x15,       // payload: the name and its zero byte
  kCommandStoreKey = 0x16,      // payload: one KeyRecord
  kCommandGetCurrentKey = 0x17, // no payload (the length field holds the record size)
  kCommandHideIcon = 0x18,
  kCommandShowIcon = 0x19,
  kCommandNotify = 0x20,
  kCommandGetKeyCount = 0x21,
  kCommandGetKeyByIndex = 0x22, // 32-bit index at offset 8, length field 0
  kCommandGetAllKeys = 0x23,
  kCommandDeleteKey = 0x24, // payload: the name and its zero byte
  kCommandDeleteAllKeys = 0x25,
  kCommandShutdown = 0x26,
};

enum Status : std::uint8_t {
  kStatusDone = 0x10,     // done; a payload where the command has one
  kStatusNotFound = 0x11, // no such name, no current key, index out of range
  kStatusRecord = 0x12,   // one KeyRecord follows
  kStatusStored = 0x13,
  kStatusNotStored = 0x14,  // not a usable key record, or no room for its name
  kStatusBadRequest = 0x1F, // unknown command, or a payload that breaks the layout
};

struct MessageHeader {
  std::uint8_t kind = 0;
  std::uint8_t code = 0; // command or status
  std::uint16_t sequence = 0;
  std::uint32_t length = 0;
};

// The words of messages and records are little-endian.
using platform::loadLe32;
using platform::storeLe32;

// Reads and writes the 8 header bytes at `at`.
MessageHeader readHeader(const unsigned char* at);
void writeHeader(unsigned char* at, const MessageHeader& header);

// The bytes of the section a request occupies as the server reads it: the
// header and max(length, 4) bytes (the index of a key-by-index request
// stands at offset 8 with a length field of 0), or the header alone when
// the length is out of range.
std::size_t requestSize(const MessageHeader& header);
// The bytes an answer occupies: the header and its payload, at most the
// section.
std::size_t answerSize(const MessageHeader& header);

// The key name of a record: the bytes before its zero byte, when there is
// one within the first kMaxKeyNameLength + 1 bytes.
std::optional<std::string_view> recordName(const KeyRecord& record);

// A record the server keeps: a key of 1 to 56 bytes under a name of 1 to 32
// bytes. An empty name would end the list of names early.
bool isUsableRecord(const KeyRecord& record);

// The name in a find or delete payload: 1 to 32 bytes followed by the only
// zero byte, which is the payload's last.
std::optional<std::string_view> payloadName(std::span<const unsigned char> payload);

// Splits a list of names, each followed by a zero byte and the list ended by
// an empty name (or by the end of `list`).
std::vector<std::string> splitNameList(std::span<const char> list);

} // namespace ravelock::keyserver
