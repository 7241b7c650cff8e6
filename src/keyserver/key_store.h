#pragma once
// The key server's records, in memory only, in the order they were first
// stored. Key material is wiped when a record is deleted or replaced, when
// the store grows into new memory, and when the store ends.

#include "keyserver/key_record.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace ravelock::keyserver {

namespace detail {
// Wipes what it hands back, so no copy of a key outlives a reallocation.
template <typename T> struct WipingAllocator {
  using value_type = T;
  WipingAllocator() = default;
  template <typename U> WipingAllocator(const WipingAllocator<U>&) {}
  T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
  void deallocate(T* p, std::size_t n);
  template <typename U> bool operator==(const WipingAllocator<U>&) const { return true; }
};
} // namespace detail

class KeyStore {
public:
  enum class StoreResult : std::uint8_t { Stored, NotUsable, NoRoom };

  KeyStore() = default;
  KeyStore(const KeyStore&) = delete;
  KeyStore& operator=(const KeyStore&) = delete;
  ~KeyStore();

  // Replaces the record of the same name where it stands, or adds it at the
  // end. Refused when the record is not usable or when its name would no
  // longer fit in the list of all names that one answer carries.
  StoreResult store(const KeyRecord& record);

  const KeyRecord* find(std::string_view name) const;
  bool remove(std::string_view name);
  void clear();

  std::size_t count() const { return records_.size(); }
  const KeyRecord* at(std::size_t index) const;

  // The current key: the record stored or looked up by name most recently,
  // as long as it is kept. Looking a record up makes it current.
  const KeyRecord* current() const;
  void makeCurrent(const KeyRecord* record);

  // The names, each followed by a zero byte, then one more zero byte; empty
  // when there are no records. Never longer than `capacity`.
  std::size_t namesListLength() const;
  void writeNamesList(std::span<unsigned char> out) const;

  // The most bytes the names list may take: one answer's payload.
  static std::size_t capacity();

private:
  std::size_t indexOf(std::string_view name) const;

  std::vector<KeyRecord, detail::WipingAllocator<KeyRecord>> records_;
  std::size_t current_ = kNone;
  std::size_t namesBytes_ = 0; // sum of name lengths + their zero bytes
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
};

} // namespace ravelock::keyserver
