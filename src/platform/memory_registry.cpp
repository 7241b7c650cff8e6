#include "platform/memory_registry.h"

#include <algorithm>
#include <optional>

namespace ravelock::platform {

namespace {

char foldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return foldCase(x) == foldCase(y); });
}

bool nameBefore(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char x, char y) { return foldCase(x) < foldCase(y); });
}

// The names of a path; nothing for a path with an empty name in it.
std::optional<std::vector<std::string>> splitPath(std::string_view path) {
  std::vector<std::string> names;
  if (path.empty())
    return names;
  for (;;) {
    const std::size_t end = path.find('\\');
    std::string_view name = path.substr(0, end);
    if (name.empty())
      return std::nullopt;
    names.emplace_back(name);
    if (end == std::string_view::npos)
      return names;
    path.remove_prefix(end + 1);
  }
}

std::size_t rootIndex(RegistryRoot root) {
  return static_cast<std::size_t>(root);
}

} // namespace

struct MemoryRegistry::Key {
  struct Value {
    std::string name;
    bool isDword = false;
    std::string text;
    std::uint32_t dword = 0;
  };

  std::string name;
  std::vector<Value> values;
  std::vector<std::unique_ptr<Key>> subkeys; // ordered by name, as Windows lists

  Key* subkey(std::string_view wanted) {
    for (auto& k : subkeys)
      if (sameName(k->name, wanted))
        return k.get();
    return nullptr;
  }

  Key* addSubkey(std::string_view newName) {
    auto at = std::find_if(subkeys.begin(), subkeys.end(),
                           [&](const auto& k) { return nameBefore(newName, k->name); });
    auto key = std::make_unique<Key>();
    key->name = newName;
    return subkeys.insert(at, std::move(key))->get();
  }

  Value* value(std::string_view wanted) {
    for (Value& v : values)
      if (sameName(v.name, wanted))
        return &v;
    return nullptr;
  }

  Value& valueToWrite(std::string_view wanted) {
    if (Value* v = value(wanted))
      return *v;
    values.push_back(Value{std::string(wanted)});
    return values.back();
  }
};

MemoryRegistry::MemoryRegistry() {
  for (auto& root : roots_)
    root = std::make_unique<Key>();
}

MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::denyWrites(RegistryRoot root, std::string_view path) {
  std::lock_guard lock(mutex_);
  if (auto names = splitPath(path))
    denied_.emplace_back(root, std::move(*names));
}

bool MemoryRegistry::writesDenied(RegistryRoot root, const Names& path) const {
  return std::any_of(denied_.begin(), denied_.end(), [&](const auto& entry) {
    const Names& prefix = entry.second;
    return entry.first == root && prefix.size() <= path.size() &&
           std::equal(
               prefix.begin(), prefix.end(), path.begin(),
               [](const std::string& a, const std::string& b) { return sameName(a, b); });
  });
}

RegistryStatus MemoryRegistry::find(RegistryRoot root, std::string_view path, Key*& key) {
  key = nullptr;
  const auto names = splitPath(path);
  if (!names || rootIndex(root) >= roots_.size())
    return RegistryStatus::Failed;
  Key* at = roots_[rootIndex(root)].get();
  for (const std::string& name : *names) {
    at = at->subkey(name);
    if (!at)
      return RegistryStatus::NotFound;
  }
  key = at;
  return RegistryStatus::Ok;
}

RegistryStatus MemoryRegistry::findForWriting(RegistryRoot root, std::string_view path,
                                              Key*& key) {
  const RegistryStatus status = find(root, path, key);
  if (status == RegistryStatus::Ok && writesDenied(root, *splitPath(path))) {
    key = nullptr;
    return RegistryStatus::AccessDenied;
  }
  return status;
}

RegistryStatus MemoryRegistry::doOpenKey(RegistryRoot root, std::string_view path,
                                         RegistryAccess access) {
  std::lock_guard lock(mutex_);
  Key* key = nullptr;
  return access == RegistryAccess::Read ? find(root, path, key)
                                        : findForWriting(root, path, key);
}

RegistryStatus MemoryRegistry::doCreateKey(RegistryRoot root, std::string_view path,
                                           bool& created) {
  std::lock_guard lock(mutex_);
  created = false;
  const auto names = splitPath(path);
  if (!names || rootIndex(root) >= roots_.size())
    return RegistryStatus::Failed;
  if (writesDenied(root, *names))
    return RegistryStatus::AccessDenied;
  Key* at = roots_[rootIndex(root)].get();
  for (const std::string& name : *names) {
    Key* next = at->subkey(name);
    if (!next) {
      next = at->addSubkey(name);
      created = true;
    }
    at = next;
  }
  return RegistryStatus::Ok;
}

RegistryStatus MemoryRegistry::doReadString(RegistryRoot root, std::string_view path,
                                            std::string_view name, std::string& value,
                                            std::size_t maxBytes) {
  std::lock_guard lock(mutex_);
  Key* key = nullptr;
  if (RegistryStatus status = find(root, path, key); status != RegistryStatus::Ok)
    return status;
  const Key::Value* stored = key->value(name);
  if (!stored)
    return RegistryStatus::NotFound;
  if (stored->isDword)
    return RegistryStatus::WrongType;
  if (stored->text.size() + 1 > maxBytes)
    return RegistryStatus::TooLong;
  value = stored->text;
  return RegistryStatus::Ok;
}

RegistryStatus MemoryRegistry::doReadDword(RegistryRoot root, std::string_view path,
                                           std::string_view name, std::uint32_t& value) {
  std::lock_guard lock(mutex_);
  Key* key = nullptr;
  if (RegistryStatus status = find(root, path, key); status != RegistryStatus::Ok)
    return status;
  const Key::Value* stored = key->value(name);
  if (!stored)
    return RegistryStatus::NotFound;
  if (!stored->isDword)
    return RegistryStatus::WrongType;
  value = stored->dword;
  return RegistryStatus::Ok;
}

RegistryStatus MemoryRegistry::doWriteString(RegistryRoot root, std::string_view path,
                                             std::string_view name,
                                             std::string_view value) {
  std::lock_guard lock(mutex_);
  Key* key = nullptr;
  if (RegistryStatus status = findForWriting(root, path, key);
      status != RegistryStatus::Ok)
    return status;
  // Stored as REG_SZ is: the text up to its first zero byte.
  Key::Value& stored = key->valueToWrite(name);
  stored.isDword = false;
  stored.text = std::string(value.substr(0, value.find('\0')));
  return RegistryStatus::Ok;
}

RegistryStatus MemoryRegistry::doWriteDword(RegistryRoot root, std::string_view path,
                                            std::string_view name, std::uint32_t value) {
  std::lock_guard lock(mutex_);
  Key* key = nullptr;
  if (RegistryStatus status = findForWriting(root, path, key);
      status != RegistryStatus::Ok)
    return status;
  Key::Value& stored = key->valueToWrite(name);
  stored.isDword = true;
  stored.text.clear();
  stored.dword = value;
  return RegistryStatus::Ok;
}

RegistryStatus MemoryRegistry::doDeleteValue(RegistryRoot root, std::string_view path,
                                             std::string_view name) {
  std::lock_guard lock(mutex_);
  Key* key = nullptr;
  if (RegistryStatus status = findForWriting(root, path, key);
      status != RegistryStatus::Ok)
    return status;
  auto at = std::find_if(key->values.begin(), key->values.end(),
                         [&](const Key::Value& v) { return sameName(v.name, name); });
  if (at == key->values.end())
    return RegistryStatus::NotFound;
  key->values.erase(at);
  return RegistryStatus::Ok;
}

RegistryStatus MemoryRegistry::doDeleteKey(RegistryRoot root, std::string_view path) {
  std::lock_guard lock(mutex_);
  const auto names = splitPath(path);
  if (!names || names->empty())
    return RegistryStatus::Failed; // a root cannot be deleted
  Key* key = nullptr;
  if (RegistryStatus status = findForWriting(root, path, key);
      status != RegistryStatus::Ok)
    return status;
  if (!key->subkeys.empty())
    return RegistryStatus::AccessDenied;
  Key* parent = nullptr;
  const std::size_t cut = path.rfind('\\');
  find(root, cut == std::string_view::npos ? std::string_view() : path.substr(0, cut),
       parent);
  std::erase_if(parent->subkeys, [&](const auto& k) { return k.get() == key; });
  return RegistryStatus::Ok;
}

RegistryStatus MemoryRegistry::doListSubkeys(RegistryRoot root, std::string_view path,
                                             Names& names) {
  std::lock_guard lock(mutex_);
  Key* key = nullptr;
  if (RegistryStatus status = find(root, path, key); status != RegistryStatus::Ok)
    return status;
  for (const auto& k : key->subkeys)
    names.push_back(k->name);
  return RegistryStatus::Ok;
}

} // namespace ravelock::platform
