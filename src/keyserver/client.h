#pragma once
// The client of the key server, built into the engine library and the main
// program (and the command-line tool). Each request takes the access mutex,
// writes into the section, signals the server and waits at most
// kAnswerTimeoutMs for the answer; a batch keeps the mutex for all its
// exchanges. Results follow the design's small integers: 1 success,
// 0 failure, negative when the server is missing or silent.

#include "keyserver/key_database.h"
#include "keyserver/key_record.h"
#include "keyserver/protocol.h"
#include "platform/ipc.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ravelock::keyserver {

// Asked by StoreKeys when a record's name is already taken: the name as
// wParam, 0. The answer is 0 (CONFLICT_END_BATCH) or a combination of the
// bits: CONFLICT_SKIP skips the record, and with CONFLICT_FOR_ALL also every
// later one whose name exists, without asking; CONFLICT_SKIP clear replaces
// it, and with CONFLICT_REPLACE_ALL (which goes with CONFLICT_FOR_ALL) stores
// every later record unasked.
inline constexpr std::uint32_t UM_KEY_CONFLICT = 0x0400 + 357;
inline constexpr std::intptr_t CONFLICT_END_BATCH = 0;
inline constexpr std::intptr_t CONFLICT_SKIP = 0x01;
inline constexpr std::intptr_t CONFLICT_REPLACE_ALL = 0x02;
inline constexpr std::intptr_t CONFLICT_FOR_ALL = 0x80;

// The window that answers UM_KEY_CONFLICT synchronously (the key manager
// page on Windows; a console question or a script elsewhere). It is asked
// while the batch holds the access mutex, so it must not use the client.
class KeyConflictWindow {
public:
  virtual std::intptr_t send(std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;

protected:
  ~KeyConflictWindow() = default;
};

class KeyServerClient {
public:
  KeyServerClient() = default;
  KeyServerClient(const KeyServerClient&) = delete;
  KeyServerClient& operator=(const KeyServerClient&) = delete;
  ~KeyServerClient() { DisconnectKeyServer(); }

  // The client of this process.
  static KeyServerClient& process();

  // Connects, starting the server from the folder of the module that holds
  // `moduleAddress` when it does not run (with "without_icon" when
  // `hideIcon`); `started` (may be null) tells whether it was started.
  // 1 connected, 0 when the shared objects cannot be had. A server that does
  // not answer shows later as time-outs.
  int ConnectKeyServer(const void* moduleAddress, bool hideIcon, bool* started);
  int connectFromFolder(const std::string& serverFolder, bool hideIcon, bool* started);

  // Closes the events, the mutex and the section. The server runs on.
  void DisconnectKeyServer();

  // Starts the server program beside the module; 1 started, 0 not.
  int StartKeyServer(const void* moduleAddress, bool hideIcon);
  int startFromFolder(const std::string& serverFolder, bool hideIcon);

  bool isConnected() const { return section_.isValid(); }

  // 1 and the record when the server holds a key of that name, 0 otherwise.
  int FindKey(const char* name, KeyRecord& record);
  // 1 stored, 0 refused, -1 an unexpected answer, -2 not connected or no answer.
  int StoreKey(const KeyRecord& record);
  // 1 and the record when the server has a current key, 0 otherwise.
  int GetCurrentKey(KeyRecord& record);
  // These answer 1 when the server answered, 0 otherwise.
  int SetServerIcon(bool show);
  int NotifyKeyServer();
  int DeleteKey(const char* name);
  int DeleteAllKeys();
  int ShutdownKeyServer();
  // The number of keys, or -1.
  int GetKeyCount();
  // 1 and `names` (the list, then 5 zero bytes) when there are keys; 0 and
  // `names` emptied when there are none; -1 not connected, no answer or a
  // malformed answer.
  int GetAllKeys(std::vector<char>& names);

  // Batches for key databases: one lock for all their exchanges.
  //
  // `buffer` becomes a key database's plain content: KEY_DATABASE_ID, the
  // number of records, the records, then 8 spare zero bytes. `count` is the
  // number of records copied. 1, or 0 when not connected or an answer is
  // missing.
  int ExportAllKeys(std::vector<unsigned char>& buffer, std::uint32_t& count);
  // The same for the `count` names of `names` (each followed by a zero
  // byte); names the server does not know are left out of the buffer and
  // of the returned count.
  int ExportNamedKeys(std::vector<unsigned char>& buffer, const char* names,
                      std::uint32_t& count);
  // Stores `count` records, asking `window` (may be null: no questions)
  // about names the server already holds. 1 when every record was handled,
  // 0 when the window ended the batch or the server stopped answering.
  int StoreKeys(const KeyRecord* records, std::uint32_t count, KeyConflictWindow* window);

  // Tests only: how long to wait for each answer.
  void setAnswerTimeout(std::uint32_t ms) { answerTimeoutMs_ = ms; }

private:
  class Lock;
  struct Answer;

  bool exchange(Lock& lock, std::uint8_t command, const void* payload,
                std::size_t payloadSize, std::uint32_t lengthField, Answer& answer);
  // A request without payload whose answer needs no reading.
  bool exchangeSingle(std::uint8_t command);
  bool findInBatch(Lock& lock, const char* name, KeyRecord& record, bool& answered);
  void copyRecord(const Answer& answer, KeyRecord& record);

  platform::SharedSection section_;
  platform::NamedEvent done_;
  platform::NamedEvent message_;
  platform::NamedMutex access_;
  std::uint32_t answerTimeoutMs_ = kAnswerTimeoutMs;
};

// Whether a key server runs in this session.
bool keyServerRunning();

} // namespace ravelock::keyserver
