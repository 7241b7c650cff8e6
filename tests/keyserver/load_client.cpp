// A client process of the load test.
//   keyserver_load_client mix ID COUNT   COUNT mixed requests; every answer
//                                        is checked against what this client
//                                        stored under its own names
//   keyserver_load_client hold FILE      takes the access mutex, creates
//                                        FILE and waits to be killed
//   keyserver_load_client unread NAME FILE
//                                        asks for the key NAME, creates FILE
//                                        once the answer is there, unread,
//                                        and waits to be killed
// Exit status 0 when every answer matched.

#include "keyserver/client.h"

#include "keyserver_test_util.h"
#include "server_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>

namespace {

using namespace ravelock;
using namespace ravelock::keyserver;

constexpr int kNamesPerClient = 40;

int fail(int id, int request, const char* what) {
  std::fprintf(stderr, "load client %d, request %d: %s\n", id, request, what);
  return 1;
}

int runMix(int id, int count) {
  KeyServerClient client;
  if (!client.connectFromFolder(keyserver::test::programFolder(), true, nullptr))
    return fail(id, 0, "cannot connect");
  const std::string prefix = "client" + std::to_string(id) + "-";
  std::map<std::string, KeyRecord> mine;
  auto nameAt = [&](int i) {
    return prefix +
           std::to_string(((i % kNamesPerClient) + kNamesPerClient) % kNamesPerClient);
  };

  for (int i = 0; i < count; ++i) {
    const std::string name = nameAt(i);
    KeyRecord record{};
    switch (i % 8) {
    case 0: {
      const KeyRecord stored = keyserver::test::keyRecord(
          "key " + std::to_string(id) + "/" + std::to_string(i), name);
      if (client.StoreKey(stored) != 1)
        return fail(id, i, "StoreKey");
      mine[name] = stored;
      break;
    }
    case 1:
      if (client.FindKey(nameAt(i - 1).c_str(), record) != 1 ||
          !keyserver::test::sameRecord(record, mine[nameAt(i - 1)]))
        return fail(id, i, "FindKey of a stored name");
      break;
    case 2:
      if (client.FindKey((prefix + "never").c_str(), record) != 0)
        return fail(id, i, "FindKey of an unknown name");
      break;
    case 3: {
      const int n = client.GetKeyCount();
      if (n < static_cast<int>(mine.size()) || n > 4 * kNamesPerClient)
        return fail(id, i, "GetKeyCount");
      break;
    }
    case 4: {
      std::vector<char> list;
      if (client.GetAllKeys(list) != 1)
        return fail(id, i, "GetAllKeys");
      const auto names = splitNameList(list);
      const std::set<std::string> all(names.begin(), names.end());
      for (const auto& [held, unused] : mine)
        if (!all.count(held))
          return fail(id, i, "GetAllKeys lacks a stored name");
      break;
    }
    case 5:
      if (client.GetCurrentKey(record) == 1 && !isUsableRecord(record))
        return fail(id, i, "GetCurrentKey");
      break;
    case 6: {
      const std::string victim = nameAt(i - 6);
      if (client.DeleteKey(victim.c_str()) != 1)
        return fail(id, i, "DeleteKey");
      mine.erase(victim);
      break;
    }
    case 7:
      if (client.FindKey(nameAt(i - 7).c_str(), record) != 0)
        return fail(id, i, "FindKey of a deleted name");
      break;
    }
    if (i % 1000 == 999) {
      std::vector<unsigned char> buffer;
      std::uint32_t exported = 0;
      if (client.ExportAllKeys(buffer, exported) != 1 || exported < mine.size())
        return fail(id, i, "ExportAllKeys");
    }
  }
  return 0;
}

int hold(const char* readyFile) {
  auto access = platform::NamedMutex::open(kAccessMutexName);
  if (access.lock(platform::kWaitForever) != platform::WaitResult::Signalled)
    return 2;
  std::ofstream(readyFile) << "holding\n";
  std::this_thread::sleep_for(std::chrono::seconds(60));
  return 3;
}

int leaveAnswerUnread(const char* name, const char* readyFile) {
  keyserver::test::RawClient raw;
  if (!raw.findAndLeaveAnswer(name))
    return 2;
  std::ofstream(readyFile) << "answered\n";
  std::this_thread::sleep_for(std::chrono::seconds(60));
  return 3;
}

} // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "mix" && argc == 4)
    return runMix(std::atoi(argv[2]), std::atoi(argv[3]));
  if (mode == "hold" && argc == 3)
    return hold(argv[2]);
  if (mode == "unread" && argc == 4)
    return leaveAnswerUnread(argv[2], argv[3]);
  std::fputs("usage: keyserver_load_client mix ID COUNT | hold FILE | unread NAME FILE\n",
             stderr);
  return 2;
}
