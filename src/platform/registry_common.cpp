#include "platform/fault_injection.h"
#include "platform/registry.h"

namespace ravelock::platform {

namespace {

bool faulted(Op op) {
  return injectedFault(op) != Fault::None;
}

} // namespace

RegistryStatus Registry::openKey(RegistryRoot root, std::string_view path,
                                 RegistryAccess access) {
  if (faulted(Op::RegistryOpen))
    return RegistryStatus::Failed;
  return doOpenKey(root, path, access);
}

RegistryStatus Registry::createKey(RegistryRoot root, std::string_view path,
                                   bool* created) {
  bool isNew = false;
  RegistryStatus status = RegistryStatus::Failed;
  if (!faulted(Op::RegistryCreate))
    status = doCreateKey(root, path, isNew);
  if (created)
    *created = status == RegistryStatus::Ok && isNew;
  return status;
}

RegistryStatus Registry::readString(RegistryRoot root, std::string_view path,
                                    std::string_view name, std::string& value,
                                    std::size_t maxBytes) {
  value.clear();
  if (faulted(Op::RegistryRead))
    return RegistryStatus::Failed;
  return doReadString(root, path, name, value, maxBytes);
}

RegistryStatus Registry::readDword(RegistryRoot root, std::string_view path,
                                   std::string_view name, std::uint32_t& value) {
  if (faulted(Op::RegistryRead))
    return RegistryStatus::Failed;
  return doReadDword(root, path, name, value);
}

RegistryStatus Registry::writeString(RegistryRoot root, std::string_view path,
                                     std::string_view name, std::string_view value) {
  if (faulted(Op::RegistryWrite))
    return RegistryStatus::Failed;
  return doWriteString(root, path, name, value);
}

RegistryStatus Registry::writeDword(RegistryRoot root, std::string_view path,
                                    std::string_view name, std::uint32_t value) {
  if (faulted(Op::RegistryWrite))
    return RegistryStatus::Failed;
  return doWriteDword(root, path, name, value);
}

RegistryStatus Registry::deleteValue(RegistryRoot root, std::string_view path,
                                     std::string_view name) {
  if (faulted(Op::RegistryDelete))
    return RegistryStatus::Failed;
  return doDeleteValue(root, path, name);
}

RegistryStatus Registry::deleteKey(RegistryRoot root, std::string_view path) {
  if (faulted(Op::RegistryDelete))
    return RegistryStatus::Failed;
  return doDeleteKey(root, path);
}

// Depth first over the public calls, so both backends delete alike and a
// fault can be injected at any key of the tree.
RegistryStatus Registry::deleteTree(RegistryRoot root, std::string_view path) {
  std::vector<std::string> subkeys;
  if (RegistryStatus listed = listSubkeys(root, path, subkeys);
      listed != RegistryStatus::Ok)
    return listed;
  for (const std::string& subkey : subkeys) {
    std::string child(path);
    if (!child.empty())
      child += '\\';
    child += subkey;
    if (RegistryStatus status = deleteTree(root, child); status != RegistryStatus::Ok)
      return status;
  }
  return deleteKey(root, path);
}

RegistryStatus Registry::listSubkeys(RegistryRoot root, std::string_view path,
                                     std::vector<std::string>& names) {
  names.clear();
  if (faulted(Op::RegistryOpen))
    return RegistryStatus::Failed;
  return doListSubkeys(root, path, names);
}

} // namespace ravelock::platform
