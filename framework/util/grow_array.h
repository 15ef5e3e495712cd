// The one growable array of the framework: a block of fixed-size plain
// elements that grows by doubling (grow step -1) or by a fixed step. Elements
// are moved as bytes, so only trivially copyable types may be stored.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

template <typename T>
class CGrowArray {
  static_assert(std::is_trivially_copyable_v<T>, "elements are moved as plain bytes");

 public:
  static constexpr std::int32_t kFirstCapacity = 16;

  CGrowArray() = default;
  explicit CGrowArray(std::int32_t growStep) : growStep_(growStep) {}
  ~CGrowArray() { ArrayFree(); }

  CGrowArray(const CGrowArray&) = delete;
  CGrowArray& operator=(const CGrowArray&) = delete;
  CGrowArray(CGrowArray&& other) noexcept { TakeFrom(other); }
  CGrowArray& operator=(CGrowArray&& other) noexcept {
    if (this != &other) {
      ArrayFree();
      TakeFrom(other);
    }
    return *this;
  }

  // Places n items at index (clamped to 0..count) and returns that index, or
  // -1 when n < 1, items is null, the size does not fit or memory runs out;
  // the array is then unchanged. The items may be elements of this very
  // array (a slice of it); they must then lie within the elements in use.
  [[nodiscard]] std::int32_t InsertItems(const T* items, std::int32_t index, std::int32_t n) noexcept {
    if (n < 1 || items == nullptr) return -1;
    if (n > INT32_MAX - count_) return -1;
    const std::int64_t target = TargetCapacity(count_ + n);
    if (target < 0) return -1;

    // A slice of this array would be freed by the reallocation or shifted
    // by the move below before it is copied: take it aside first.
    const Overlap overlap = OverlapWithBlock(items, n);
    if (overlap == Overlap::Invalid) return -1;
    ScratchBlock aside;
    if (overlap == Overlap::InUse) {
      aside.block = static_cast<T*>(std::malloc(static_cast<std::size_t>(n) * sizeof(T)));
      if (aside.block == nullptr) return -1;
      std::memcpy(aside.block, items, static_cast<std::size_t>(n) * sizeof(T));
      items = aside.block;
    }

    if (target != capacity_) {
      T* block = static_cast<T*>(std::malloc(static_cast<std::size_t>(target) * sizeof(T)));
      if (block == nullptr) return -1;
      if (count_ > 0) std::memcpy(block, data_, static_cast<std::size_t>(count_) * sizeof(T));
      ReleaseBlock();
      data_ = block;
      capacity_ = static_cast<std::int32_t>(target);
    }
    if (index < 0) index = 0;
    if (index > count_) index = count_;
    std::memmove(data_ + index + n, data_ + index, static_cast<std::size_t>(count_ - index) * sizeof(T));
    std::memcpy(data_ + index, items, static_cast<std::size_t>(n) * sizeof(T));
    count_ += n;
    return index;
  }

  [[nodiscard]] std::int32_t Append(const T& item) noexcept { return InsertItems(&item, count_, 1); }

  // Removes one element and closes the gap; false for an index out of range.
  bool RemoveAt(std::int32_t index) noexcept {
    if (index < 0 || index >= count_) return false;
    std::memmove(data_ + index, data_ + index + 1, static_cast<std::size_t>(count_ - index - 1) * sizeof(T));
    --count_;
    return true;
  }

  // Empties the array; the block is kept for reuse.
  void Clear() noexcept { count_ = 0; }

  void ArrayFree() noexcept {
    ReleaseBlock();
    data_ = nullptr;
    count_ = 0;
    capacity_ = 0;
  }

  // Resizes the block to exactly `capacity` elements, cutting the count when
  // needed; 0 or less frees it. False when memory runs out or when the block
  // was freed.
  [[nodiscard]] bool SetCapacity(std::int32_t capacity, std::int32_t growStep) noexcept {
    if (count_ == capacity) return true;
    if (capacity <= 0) {
      ArrayFree();
      return false;
    }
    if (static_cast<std::uint64_t>(capacity) > SIZE_MAX / sizeof(T)) return false;
    T* block = static_cast<T*>(std::malloc(static_cast<std::size_t>(capacity) * sizeof(T)));
    if (block == nullptr) return false;
    const std::int32_t kept = count_ < capacity ? count_ : capacity;
    if (kept > 0) std::memcpy(block, data_, static_cast<std::size_t>(kept) * sizeof(T));
    ReleaseBlock();
    data_ = block;
    count_ = kept;
    capacity_ = capacity;
    growStep_ = growStep;
    return true;
  }

  [[nodiscard]] std::int32_t Count() const noexcept { return count_; }
  [[nodiscard]] std::int32_t Capacity() const noexcept { return capacity_; }
  [[nodiscard]] std::int32_t GrowStep() const noexcept { return growStep_; }
  void SetGrowStep(std::int32_t step) noexcept { growStep_ = step; }
  [[nodiscard]] T* Data() noexcept { return data_; }
  [[nodiscard]] const T* Data() const noexcept { return data_; }
  T& operator[](std::int32_t i) noexcept { return data_[i]; }
  const T& operator[](std::int32_t i) const noexcept { return data_[i]; }
  T* begin() noexcept { return data_; }
  T* end() noexcept { return data_ + count_; }
  const T* begin() const noexcept { return data_; }
  const T* end() const noexcept { return data_ + count_; }

 private:
  enum class Overlap { None, InUse, Invalid };

  // Frees a temporary copy on every way out of an insert.
  struct ScratchBlock {
    T* block = nullptr;
    ScratchBlock() = default;
    ScratchBlock(const ScratchBlock&) = delete;
    ScratchBlock& operator=(const ScratchBlock&) = delete;
    ~ScratchBlock() { std::free(block); }
  };

  // The capacity that holds `needed` elements by the growth rule, or -1
  // when no block of that many elements can be addressed.
  [[nodiscard]] std::int64_t TargetCapacity(std::int32_t needed) const noexcept {
    std::int64_t target = capacity_ != 0 ? capacity_ : growStep_;
    if (target <= 0) target = kFirstCapacity;
    if (target < needed) {
      if (growStep_ > 0) {
        // Computed at once: a small step towards a large size must not loop
        // a billion times.
        const std::int64_t steps = (needed - target + growStep_ - 1) / growStep_;
        target += steps * growStep_;
      } else {
        // A grow step of 0 (or below -1) would never reach the size: double.
        while (target < needed) target *= 2;
      }
    }
    // Doubling past the 32-bit count still leaves room for what is needed.
    if (target > INT32_MAX) target = INT32_MAX;
    if (static_cast<std::uint64_t>(target) > SIZE_MAX / sizeof(T)) return -1;
    return target;
  }

  // Whether items..items+n lies in this array's block: wholly among the
  // elements in use, or partly or beyond them (a caller's mistake that
  // would read past the elements).
  [[nodiscard]] Overlap OverlapWithBlock(const T* items, std::int32_t n) const noexcept {
    if (data_ == nullptr) return Overlap::None;
    const auto first = reinterpret_cast<std::uintptr_t>(items);
    const auto begin = reinterpret_cast<std::uintptr_t>(data_);
    const std::uint64_t blockBytes = static_cast<std::uint64_t>(capacity_) * sizeof(T);
    const std::uint64_t itemBytes = static_cast<std::uint64_t>(n) * sizeof(T);
    if (first < begin) return itemBytes > begin - first ? Overlap::Invalid : Overlap::None;
    const std::uint64_t offset = first - begin;
    if (offset >= blockBytes) return Overlap::None;
    const std::uint64_t usedBytes = static_cast<std::uint64_t>(count_) * sizeof(T);
    return offset + itemBytes <= usedBytes ? Overlap::InUse : Overlap::Invalid;
  }

  void ReleaseBlock() noexcept {
    if (!notOwned_) std::free(data_);
  }
  void TakeFrom(CGrowArray& other) noexcept {
    count_ = other.count_;
    data_ = other.data_;
    growStep_ = other.growStep_;
    capacity_ = other.capacity_;
    notOwned_ = other.notOwned_;
    other.count_ = 0;
    other.data_ = nullptr;
    other.capacity_ = 0;
  }

  std::int32_t count_ = 0;
  T* data_ = nullptr;
  std::int32_t growStep_ = -1;
  std::int32_t capacity_ = 0;
  std::uint8_t notOwned_ = 0;
};

// The byte buffer: the same array with 1-byte elements.
using CByteBuffer = CGrowArray<std::uint8_t>;

// Inserts count bytes at position (clamped); the position, or -1 when count
// is below 1, data is missing or memory runs out.
[[nodiscard]] inline std::int32_t ByteBufferInsert(CByteBuffer& buffer, const void* data, std::int32_t position,
                                                   std::int32_t count) noexcept {
  return buffer.InsertItems(static_cast<const std::uint8_t*>(data), position, count);
}

[[nodiscard]] inline std::int32_t ByteBufferAppend(CByteBuffer& buffer, const void* data, std::int32_t count) noexcept {
  return ByteBufferInsert(buffer, data, buffer.Count(), count);
}

[[nodiscard]] inline bool ByteBufferSetCapacity(CByteBuffer& buffer, std::int32_t capacity,
                                                std::int32_t growStep) noexcept {
  return buffer.SetCapacity(capacity, growStep);
}
