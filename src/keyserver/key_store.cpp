#include "keyserver/key_store.h"

#include "keyserver/protocol.h"
#include "platform/secure_wipe.h"

#include <cstring>

namespace ravelock::keyserver {

template <typename T> void detail::WipingAllocator<T>::deallocate(T* p, std::size_t n) {
  platform::secureWipe(p, n * sizeof(T));
  std::allocator<T>().deallocate(p, n);
}

template struct detail::WipingAllocator<KeyRecord>;

KeyStore::~KeyStore() {
  clear();
}

std::size_t KeyStore::capacity() {
  return kMaxPayload;
}

std::size_t KeyStore::indexOf(std::string_view name) const {
  for (std::size_t i = 0; i < records_.size(); ++i)
    if (recordName(records_[i]) == name)
      return i;
  return kNone;
}

KeyStore::StoreResult KeyStore::store(const KeyRecord& record) {
  if (!isUsableRecord(record))
    return StoreResult::NotUsable;
  const std::string_view name = *recordName(record);
  const std::size_t index = indexOf(name);
  if (index != kNone) {
    records_[index] = record; // overwrites all 96 bytes of the old key
    current_ = index;
    return StoreResult::Stored;
  }
  // The list of names ends with one more zero byte.
  if (namesBytes_ + name.size() + 1 + 1 > capacity())
    return StoreResult::NoRoom;
  records_.push_back(record);
  namesBytes_ += name.size() + 1;
  current_ = records_.size() - 1;
  return StoreResult::Stored;
}

const KeyRecord* KeyStore::find(std::string_view name) const {
  const std::size_t index = indexOf(name);
  return index == kNone ? nullptr : &records_[index];
}

bool KeyStore::remove(std::string_view name) {
  const std::size_t index = indexOf(name);
  if (index == kNone)
    return false;
  namesBytes_ -= name.size() + 1;
  platform::secureWipe(&records_[index], sizeof(KeyRecord));
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
  // The slot past the end still holds a copy of the last record.
  platform::secureWipe(records_.data() + records_.size(), sizeof(KeyRecord));
  if (current_ == index)
    current_ = kNone;
  else if (current_ != kNone && current_ > index)
    --current_;
  return true;
}

void KeyStore::clear() {
  platform::secureWipe(records_.data(), records_.size() * sizeof(KeyRecord));
  records_.clear();
  namesBytes_ = 0;
  current_ = kNone;
}

const KeyRecord* KeyStore::at(std::size_t index) const {
  return index < records_.size() ? &records_[index] : nullptr;
}

const KeyRecord* KeyStore::current() const {
  return current_ == kNone ? nullptr : &records_[current_];
}

void KeyStore::makeCurrent(const KeyRecord* record) {
  if (record >= records_.data() && record < records_.data() + records_.size())
    current_ = static_cast<std::size_t>(record - records_.data());
}

std::size_t KeyStore::namesListLength() const {
  return records_.empty() ? 0 : namesBytes_ + 1;
}

void KeyStore::writeNamesList(std::span<unsigned char> out) const {
  if (records_.empty() || out.size() < namesListLength())
    return;
  std::size_t at = 0;
  for (const KeyRecord& record : records_) {
    const std::string_view name = *recordName(record);
    std::memcpy(out.data() + at, name.data(), name.size());
    at += name.size();
    out[at++] = 0;
  }
  out[at] = 0;
}

} // namespace ravelock::keyserver
