#include "keyserver/server_core.h"

#include "keyserver/protocol.h"
#include "platform/secure_wipe.h"

#include <cstring>

namespace ravelock::keyserver {

namespace {

class AnswerWriter {
public:
  AnswerWriter(std::span<unsigned char> out, std::uint16_t sequence)
      : out_(out), sequence_(sequence) {}

  void status(std::uint8_t status) { write(status, {}); }

  void record(const KeyRecord& record) {
    write(kStatusRecord,
          {reinterpret_cast<const unsigned char*>(&record), sizeof record});
  }

  void write(std::uint8_t status, std::span<const unsigned char> payload) {
    if (!payload.empty())
      std::memcpy(out_.data() + kHeaderSize, payload.data(), payload.size());
    writeInPlace(status, payload.size());
  }

  // For a payload already written to payloadSpace().
  void writeInPlace(std::uint8_t status, std::size_t length) {
    MessageHeader header;
    header.kind = kKindAnswer;
    header.code = status;
    header.sequence = sequence_;
    header.length = static_cast<std::uint32_t>(length);
    writeHeader(out_.data(), header);
  }

  std::span<unsigned char> payloadSpace() { return out_.subspan(kHeaderSize); }

private:
  std::span<unsigned char> out_;
  std::uint16_t sequence_;
};

} // namespace

Reply ServerCore::handle(std::span<const unsigned char> request,
                         std::span<unsigned char> answer) {
  Reply reply;
  if (request.size() < kHeaderSize || answer.size() < kSectionSize)
    return reply;
  const MessageHeader header = readHeader(request.data());
  // Anything else is an answer not yet read or a request its client
  // withdrew after waiting in vain.
  if (header.kind != kKindRequest)
    return reply;
  reply.answered = true;
  // The answer's sequence value counts the exchanges of a batch.
  AnswerWriter out(answer, static_cast<std::uint16_t>(header.sequence + 1));
  const std::size_t available = request.size() - kHeaderSize;
  if (header.length > kMaxPayload || header.length > available) {
    out.status(kStatusBadRequest);
    return reply;
  }
  const auto payload = request.subspan(kHeaderSize, header.length);

  switch (header.code) {
  case kCommandFindKey: {
    const auto name = payloadName(payload);
    if (!name) {
      out.status(kStatusBadRequest);
    } else if (const KeyRecord* found = store_.find(*name)) {
      store_.makeCurrent(found);
      out.record(*found);
    } else {
      out.status(kStatusNotFound);
    }
    break;
  }
  case kCommandStoreKey: {
    if (payload.size() != sizeof(KeyRecord)) {
      out.status(kStatusBadRequest);
      break;
    }
    platform::Wiped<KeyRecord> record;
    std::memcpy(record.get(), payload.data(), sizeof(KeyRecord));
    const bool stored = store_.store(*record) == KeyStore::StoreResult::Stored;
    out.status(stored ? kStatusStored : kStatusNotStored);
    break;
  }
  case kCommandGetCurrentKey:
    if (const KeyRecord* current = store_.current())
      out.record(*current);
    else
      out.status(kStatusNotFound);
    break;
  case kCommandHideIcon:
  case kCommandShowIcon:
    reply.action =
        header.code == kCommandShowIcon ? ServerAction::ShowIcon : ServerAction::HideIcon;
    out.status(kStatusDone);
    break;
  case kCommandNotify: out.status(kStatusDone); break;
  case kCommandGetKeyCount: {
    unsigned char count[4];
    storeLe32(count, static_cast<std::uint32_t>(store_.count()));
    out.write(kStatusDone, count);
    break;
  }
  case kCommandGetKeyByIndex: {
    if (available < 4) {
      out.status(kStatusBadRequest);
    } else if (const KeyRecord* record =
                   store_.at(loadLe32(request.data() + kHeaderSize))) {
      out.record(*record);
    } else {
      out.status(kStatusNotFound);
    }
    break;
  }
  case kCommandGetAllKeys: {
    store_.writeNamesList(out.payloadSpace());
    out.writeInPlace(kStatusDone, store_.namesListLength());
    break;
  }
  case kCommandDeleteKey: {
    const auto name = payloadName(payload);
    if (!name)
      out.status(kStatusBadRequest);
    else
      out.status(store_.remove(*name) ? kStatusDone : kStatusNotFound);
    break;
  }
  case kCommandDeleteAllKeys:
    store_.clear();
    out.status(kStatusDone);
    break;
  case kCommandShutdown:
    reply.action = ServerAction::Shutdown;
    out.status(kStatusDone);
    break;
  default: out.status(kStatusBadRequest); break;
  }
  return reply;
}

} // namespace ravelock::keyserver
