#pragma once

// A vector that keeps its first N elements inside the object and moves to the heap only beyond
// them, for the many short sequences of small objects where an allocation would cost more than
// the work. Elements may be move-only.

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

template <class T, std::size_t N>
class TSmallVector {
  static_assert(N > 0, "keep at least one element inline");

 public:
  using value_type = T;
  using iterator = T*;
  using const_iterator = const T*;

  TSmallVector() noexcept = default;
  TSmallVector(TSmallVector&& other) noexcept(std::is_nothrow_move_constructible_v<T>) {
    MoveFrom(other);
  }
  TSmallVector& operator=(TSmallVector&& other) noexcept(std::is_nothrow_move_constructible_v<T>) {
    if (this != &other) {
      Release();
      MoveFrom(other);
    }
    return *this;
  }
  TSmallVector(const TSmallVector&) = delete;
  TSmallVector& operator=(const TSmallVector&) = delete;
  ~TSmallVector() { Release(); }

  std::size_t size() const noexcept { return Size_; }
  bool empty() const noexcept { return Size_ == 0; }
  T* data() noexcept { return Data_; }
  const T* data() const noexcept { return Data_; }
  T& operator[](std::size_t i) noexcept { return Data_[i]; }
  const T& operator[](std::size_t i) const noexcept { return Data_[i]; }
  T& back() noexcept { return Data_[Size_ - 1]; }
  iterator begin() noexcept { return Data_; }
  iterator end() noexcept { return Data_ + Size_; }
  const_iterator begin() const noexcept { return Data_; }
  const_iterator end() const noexcept { return Data_ + Size_; }

  void reserve(std::size_t capacity) {
    if (capacity > Capacity_)
      Grow(capacity);
  }

  template <class... A>
  T& emplace_back(A&&... args) {
    if (Size_ == Capacity_)
      Grow(Capacity_ * 2);
    T* element = ::new (Data_ + Size_) T(std::forward<A>(args)...);
    ++Size_;
    return *element;
  }
  void push_back(T&& value) { emplace_back(std::move(value)); }

  void clear() noexcept {
    std::destroy_n(Data_, Size_);
    Size_ = 0;
  }

 private:
  bool IsInline() const noexcept { return Data_ == InlineData(); }
  T* InlineData() noexcept { return std::launder(reinterpret_cast<T*>(Inline_)); }
  const T* InlineData() const noexcept { return std::launder(reinterpret_cast<const T*>(Inline_)); }

  void Grow(std::size_t capacity) {
    std::allocator<T> allocator;
    T* grown = allocator.allocate(capacity);
    std::uninitialized_move_n(Data_, Size_, grown);
    std::destroy_n(Data_, Size_);
    if (!IsInline())
      allocator.deallocate(Data_, Capacity_);
    Data_ = grown;
    Capacity_ = capacity;
  }

  void Release() noexcept {
    clear();
    if (!IsInline())
      std::allocator<T>().deallocate(Data_, Capacity_);
    Data_ = InlineData();
    Capacity_ = N;
  }

  // Leaves other empty with its inline storage.
  void MoveFrom(TSmallVector& other) {
    if (other.IsInline()) {
      std::uninitialized_move_n(other.Data_, other.Size_, Data_);
      Size_ = other.Size_;
      other.clear();
      return;
    }
    Data_ = other.Data_;
    Size_ = other.Size_;
    Capacity_ = other.Capacity_;
    other.Data_ = other.InlineData();
    other.Size_ = 0;
    other.Capacity_ = N;
  }

  alignas(T) unsigned char Inline_[N * sizeof(T)];
  T* Data_ = InlineData();
  std::size_t Size_ = 0;
  std::size_t Capacity_ = N;
};
