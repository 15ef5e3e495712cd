// Insertion into the engine's record lists (scroll-bar candidates, key
// inputs): the framework's growable array, so the program keeps one growth
// rule (a first capacity of 16, then doubling).
#pragma once

#include <cstdint>

#include "framework/util/grow_array.h"

// Inserts count records at index (clamped to 0..count) and moves the later
// ones up. Returns the index used, or -1 when there is nothing to insert or
// memory runs out; the list is then unchanged. The records may come from
// the list itself (-1 when they run past its elements in use).
template <typename T>
[[nodiscard]] std::int32_t InsertRecords(CGrowArray<T>& array, const T* records, std::int32_t index,
                                         std::int32_t count) noexcept {
  return array.InsertItems(records, index, count);
}
