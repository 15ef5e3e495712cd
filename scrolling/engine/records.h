// Insertion into the engine's record lists (scroll-bar candidates, key
// inputs) with the program's growth rule: a first capacity of 16, then
// doubling.
#pragma once

#include <cstddef>
#include <vector>

inline constexpr std::size_t kFirstRecordCapacity = 16;

// Inserts count records at index (clamped to 0..size) and moves the later
// ones up. Returns the index used, or -1 when there is nothing to insert.
// The records may come from the array itself (-1 when count runs past its
// end).
template <typename T>
[[nodiscard]] int InsertRecords(std::vector<T>& array, const T* records, int index, int count) {
  if (count <= 0 || records == nullptr) return -1;
  const int size = static_cast<int>(array.size());
  if (index < 0) index = 0;
  if (index > size) index = size;

  // Records taken from this very array are copied before it grows or moves.
  std::vector<T> copy;
  const T* const begin = array.data();
  if (begin != nullptr && records >= begin && records < begin + array.size()) {
    if (static_cast<std::size_t>(count) > array.size() - static_cast<std::size_t>(records - begin)) return -1;
    copy.assign(records, records + count);
    records = copy.data();
  }
  const std::size_t needed = array.size() + static_cast<std::size_t>(count);
  if (needed > array.capacity()) {
    std::size_t capacity = array.capacity() < kFirstRecordCapacity ? kFirstRecordCapacity : array.capacity();
    while (capacity < needed) capacity *= 2;
    array.reserve(capacity);
  }
  array.insert(array.begin() + index, records, records + count);
  return index;
}
