#include "engine/batch/error_list.h"

#include "engine/results.h"

namespace ravelock::engine {

std::string errorText(Operation operation, std::uint32_t code) {
  return operation == Operation::Encryption ? encryptionMessage(code)
                                            : decryptionMessage(code);
}

std::string reportText(const ErrorList& errors) {
  std::string text;
  for (const ErrorList::Entry& e : errors.entries())
    text += errorText(e.operation, e.code) + "  >>\"" + e.path + "\"\r\n";
  return text;
}

} // namespace ravelock::engine
