#pragma once
// The failures of one batch run, in the order they happened, for the report
// at its end. Decryption codes carry a mark so the report uses the
// decryption texts; the code itself is kept as it was returned.

#include <cstdint>
#include <string>
#include <vector>

namespace ravelock::engine {

enum class Operation : std::uint8_t { Encryption, Decryption };

class ErrorList {
public:
  struct Entry {
    std::string path;
    std::uint32_t code;
    Operation operation;
  };

  void add(std::string path, std::uint32_t code, Operation operation) {
    entries_.push_back({std::move(path), code, operation});
  }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const std::vector<Entry>& entries() const { return entries_; }

private:
  std::vector<Entry> entries_;
};

// The report text of a result code for its operation.
std::string errorText(Operation operation, std::uint32_t code);

// One line per entry: the text, two spaces, ">>", the path in double quotes,
// CR LF.
std::string reportText(const ErrorList& errors);

} // namespace ravelock::engine
