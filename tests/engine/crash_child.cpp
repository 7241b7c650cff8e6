// The run the crash test kills: one encryption or decryption of a file,
// stopped dead (no clean-up, no destructors, handles closed by the system
// as for a killed process) at the n-th call of one platform operation.
//
// crash_child encrypt|decrypt FILE DELETE_ORIGINAL OPERATION N

#include "crash_child.h"
#include "engine/files/decrypt_file.h"
#include "engine/files/encrypt_file.h"
#include "platform/fault_injection.h"
#include "platform/filesystem.h"
#include "support/key_record.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <string>

namespace {

using namespace ravelock;

class StopDead : public platform::FaultHook {
public:
  StopDead(platform::Op op, int n) : op_(op), n_(n) {}

  platform::Fault onCall(platform::Op op) override {
    const int call = ++calls_[static_cast<std::size_t>(op)];
    if (op == op_ && call == n_)
      std::_Exit(test::kCrashChildKilled);
    return platform::Fault::None;
  }

private:
  platform::Op op_;
  int n_;
  // One thread makes each kind of call, so each count has one writer.
  std::array<std::atomic<int>, static_cast<std::size_t>(platform::Op::Count)> calls_{};
};

} // namespace

int main(int argc, char** argv) {
  if (argc != 6)
    return test::kCrashChildUsage;
  const std::string what = argv[1];
  const char* file = argv[2];
  const int deleteOriginal = std::atoi(argv[3]);
  const auto op = static_cast<platform::Op>(std::atoi(argv[4]));
  StopDead hook(op, std::atoi(argv[5]));
  platform::installFaultHook(&hook);
  KeyRecord key = test::keyRecord(test::kCrashChildKey, "crash");
  std::int32_t result;
  if (what == "encrypt") {
    result = engine::EncryptFile(file, nullptr, &key, nullptr, deleteOriginal);
  } else {
    char target[platform::kMaxPath] = {};
    std::int32_t remove = deleteOriginal;
    result = engine::DecryptFile(file, target, &key, nullptr, nullptr, &remove);
  }
  platform::installFaultHook(nullptr);
  return result == 0 ? 0 : test::kCrashChildFailed;
}
