#include "support/file_times.h"

#include "support/wine.h"

namespace ravelock::test {

bool setFileTimes(const std::string& path, const platform::FileTimes& times) {
  auto file =
      platform::File::open(path.c_str(), platform::Access::ReadWrite,
                           platform::Share::None, platform::Disposition::OpenExisting);
  return file.isOpen() && file.setTimes(times);
}

platform::FileTimes fileTimes(const std::string& path) {
  auto file =
      platform::File::open(path.c_str(), platform::Access::Read, platform::Share::Read,
                           platform::Disposition::OpenExisting);
  platform::FileTimes times{};
  if (!file.isOpen() || !file.getTimes(times))
    return {};
  return times;
}

testing::AssertionResult sameTimes(const platform::FileTimes& got,
                                   const platform::FileTimes& want) {
  bool creationKept = true;
#ifdef _WIN32
  creationKept = runningUnderWine() || got.creation == want.creation;
#endif
  if (got.lastWrite == want.lastWrite && got.lastAccess == want.lastAccess &&
      creationKept)
    return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << "times (creation, access, write) are " << got.creation << ", "
         << got.lastAccess << ", " << got.lastWrite << "; wanted " << want.creation
         << ", " << want.lastAccess << ", " << want.lastWrite;
}

} // namespace ravelock::test
