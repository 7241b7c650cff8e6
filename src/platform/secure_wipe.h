#pragma once
#include <cstddef>
#include <type_traits>

namespace ravelock::platform {

// Zeroes key material in a way the optimiser cannot drop as a dead store.
void secureWipe(void* data, std::size_t size);

// Key material held in a local or a member, wiped on every way out of its
// scope. Move-only: a moved-from guard is wiped at once, so no second copy
// outlives the one that is used.
template <typename T> class Wiped {
  static_assert(std::is_trivially_copyable_v<T>);

public:
  Wiped() : value_{} {}
  explicit Wiped(const T& value) : value_(value) {}
  Wiped(Wiped&& other) noexcept : value_(other.value_) { other.wipe(); }
  Wiped& operator=(Wiped&& other) noexcept {
    if (this != &other) {
      value_ = other.value_;
      other.wipe();
    }
    return *this;
  }
  Wiped(const Wiped&) = delete;
  Wiped& operator=(const Wiped&) = delete;
  ~Wiped() { wipe(); }

  T& operator*() { return value_; }
  const T& operator*() const { return value_; }
  T* operator->() { return &value_; }
  const T* operator->() const { return &value_; }
  T* get() { return &value_; }

  // Wipes now; the guard holds zeroes until assigned again.
  void wipe() { secureWipe(&value_, sizeof value_); }

private:
  T value_;
};

} // namespace ravelock::platform
