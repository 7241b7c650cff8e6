// ravelock keys list | add | delete NAME | clear | stop: the keys that the
// key server remembers for this session.

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/key_input.h"
#include "cli/report.h"
#include "engine/files/encrypt_file.h"
#include "keyserver/client.h"
#include "platform/ipc.h"
#include "platform/module.h"
#include "platform/process.h"
#include "platform/secure_wipe.h"
#include "platform/text.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace ravelock::cli {

namespace {

using keyserver::KeyServerClient;

// A server that was just started may take a while under a loaded system.
constexpr int kStartWaitMs = 10000;

void complain(const char* text) {
  std::fprintf(stderr, "ravelock keys: %s\n", text);
}

std::string serverProgram() {
  static const int here = 0;
  return platform::moduleFolder(&here) + platform::executableFileName("vellserver");
}

bool waitForServer() {
  for (int waited = 0; !keyserver::keyServerRunning(); waited += 10) {
    if (waited >= kStartWaitMs)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Objects that another user could reach are never used: say so, rather
// than take the server for absent.
bool objectsRefused() {
  const std::string why = platform::namedObjectRefusal();
  if (why.empty())
    return false;
  std::fprintf(stderr, "ravelock keys: the key server's shared objects are refused: %s\n",
               printable(why).c_str());
  return true;
}

// Connects to a running server; without one there is nothing to list,
// delete or stop, so none is started for that.
bool connectToRunning(KeyServerClient& client) {
  if (!keyserver::keyServerRunning())
    return false;
  static const int here = 0;
  return client.ConnectKeyServer(&here, false, nullptr) == 1;
}

// What to say when there is no server to ask: nothing is remembered, or
// the objects were refused.
int withoutServer(const char* message) {
  if (objectsRefused())
    return kExitFailed;
  std::fputs(message, stderr);
  return kExitOk;
}

int noAnswer() {
  complain("the key server does not answer");
  return kExitFailed;
}

int listKeys(KeyServerClient& client) {
  if (!connectToRunning(client))
    return withoutServer("no keys remembered (the key server is not running)\n");
  std::vector<char> list;
  const int got = client.GetAllKeys(list);
  if (got < 0)
    return noAnswer();
  if (got == 0)
    std::fputs("no keys remembered\n", stderr);
  for (const std::string& name : keyserver::splitNameList(list))
    std::printf("%s\n", printable(keyNameToShow(name)).c_str());
  return kExitOk;
}

int addKey(KeyServerClient& client, const Arguments& a) {
  platform::Wiped<KeyRecord> wiped;
  KeyRecord& record = *wiped;
  unsigned codePage = 0;
  std::string problem;
  if (!keyCodePage(a, codePage, problem)) {
    std::fprintf(stderr, "ravelock keys: %s\n", problem.c_str());
    return kExitUsage;
  }
  bool cut = false;
  const std::string name = keyNameToStore(a.value("--name"), cut);
  if (name.empty() && !a.value("--name").empty()) {
    std::fputs("ravelock keys: the key name is no UTF-8 text\n", stderr);
    return kExitUsage;
  }
  if (!obtainKey({a.value("--key-file"), true, codePage}, record))
    return kExitUsage;
  if (name.empty()) {
    // The default name of an encrypted file's header, "My key" and the time.
    char field[engine::kKeyNameBytes];
    engine::headerKeyName(record, field);
    std::memcpy(record.name, field, sizeof field);
  } else {
    // Cut as a file's header cuts it, so the name finds the files.
    if (cut)
      std::fprintf(stderr, "ravelock keys: the key name is cut to its first %zu bytes\n",
                   name.size());
    std::memcpy(record.name, name.data(), name.size());
  }
  const std::string stored(record.name);

  static const int here = 0;
  bool started = false;
  int result = 0;
  bool ready = false;
  if (client.ConnectKeyServer(&here, false, &started) != 1) {
    if (!objectsRefused())
      complain("cannot open the key server's shared objects");
  } else if (started ? waitForServer() : keyserver::keyServerRunning())
    ready = true;
  else
    std::fprintf(stderr, "ravelock keys: cannot start the key server (%s)\n",
                 serverProgram().c_str());
  if (ready) {
    const bool replacing =
        client.FindKey(stored.c_str(), *platform::Wiped<KeyRecord>()) == 1;
    result = client.StoreKey(record);
    if (result == 1)
      std::printf("%s the key \"%s\"\n", replacing ? "replaced" : "remembered",
                  printable(keyNameToShow(stored)).c_str());
    else if (result == 0)
      complain("the key server refused the key: the list of its names is full");
    else
      complain("the key server does not answer");
  }
  return result == 1 ? kExitOk : kExitFailed;
}

int deleteKey(KeyServerClient& client, const std::string& given) {
  bool cut = false;
  const std::string name = keyNameToStore(given, cut);
  const bool found = connectToRunning(client) &&
                     client.FindKey(name.c_str(), *platform::Wiped<KeyRecord>()) == 1;
  if (!found) {
    if (!objectsRefused())
      std::fprintf(stderr, "ravelock keys: no key named \"%s\"\n",
                   printable(given).c_str());
    return kExitFailed;
  }
  if (client.DeleteKey(name.c_str()) != 1)
    return noAnswer();
  std::printf("forgot the key \"%s\"\n", printable(given).c_str());
  return kExitOk;
}

int clearKeys(KeyServerClient& client) {
  if (!connectToRunning(client))
    return withoutServer("no keys remembered (the key server is not running)\n");
  if (client.DeleteAllKeys() != 1)
    return noAnswer();
  std::puts("forgot all keys");
  return kExitOk;
}

int stopServer(KeyServerClient& client) {
  if (!connectToRunning(client)) {
    if (objectsRefused())
      return kExitFailed;
    std::puts("the key server is not running");
    return kExitOk;
  }
  if (client.ShutdownKeyServer() != 1)
    return noAnswer();
  std::puts("stopped the key server; its keys are forgotten");
  return kExitOk;
}

std::string usageProblem(const std::string& action, const Arguments& a) {
  const bool options =
      a.given("--name") || a.given("--key-file") || a.given(kCodePageOption);
  const std::size_t operands = a.positional().size();
  if (action.empty())
    return "no action given";
  if (action == "add")
    return operands ? "add takes no operand: a key is never taken from the command line"
                    : "";
  if (action == "delete")
    return operands != 1 || options ? "delete takes exactly one NAME" : "";
  if (action == "list" || action == "clear" || action == "stop")
    return operands || options ? action + " takes no operand or option" : "";
  return "unknown action '" + action + "'";
}

} // namespace

void printKeysHelp() {
  std::printf(
      "Usage: ravelock keys list\n"
      "       ravelock keys add [--name NAME] [--key-file FILE] [--code-page N]\n"
      "       ravelock keys delete NAME\n"
      "       ravelock keys clear\n"
      "       ravelock keys stop\n\n"
      "The key server remembers keys for this logon session, in memory only,\n"
      "so that files encrypted under them decrypt without asking.\n\n"
      "  list     print the names of the remembered keys, one a line\n"
      "  add      remember a key under NAME (default: \"My key\" and the date and\n"
      "           time), replacing a key of that name; starts the key server\n"
      "           when it does not run. The key comes from --key-file (its first\n"
      "           line), else from the environment variable RAVELOCK_KEY, else it\n"
      "           is asked twice on the terminal (each gives its first line).\n"
      "           It has 1 to 56 characters, no NUL byte, and is never taken\n"
      "           from the command line.\n"
      "%s"
      "  delete   forget the key NAME\n"
      "  clear    forget every key\n"
      "  stop     end the key server; its keys are forgotten\n\n"
      "Outside Windows the key server's shared objects are files in a folder\n"
      "only you may reach ($XDG_RUNTIME_DIR/ravelock, else /dev/shm/ravelock-UID),\n"
      "removed when the server ends. Objects that another user owns or could\n"
      "open are refused, with the reason.\n\n"
      "Exit status: 0 done, 1 when the key server does not answer, its objects\n"
      "are refused or it holds no key of that name, 2 for bad usage.\n",
      kCodePageHelp);
}

int runKeys(std::span<char* const> args) {
  const std::string action = args.empty() ? "" : args[0];
  const Arguments a(args.empty() ? args : args.subspan(1),
                    {"--name", "--key-file", kCodePageOption}, {});
  if (action == "--help" || action == "-h" || a.has("--help")) {
    printKeysHelp();
    return kExitOk;
  }
  const std::string problem = a.error().empty() ? usageProblem(action, a) : a.error();
  if (!problem.empty()) {
    std::fprintf(stderr, "ravelock keys: %s (try 'ravelock keys --help')\n",
                 problem.c_str());
    return kExitUsage;
  }

  KeyServerClient& client = KeyServerClient::process();
  if (action == "list")
    return listKeys(client);
  if (action == "add")
    return addKey(client, a);
  if (action == "delete")
    return deleteKey(client, a.positional()[0]);
  if (action == "clear")
    return clearKeys(client);
  return stopServer(client);
}

} // namespace ravelock::cli
