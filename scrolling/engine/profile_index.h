// The profiles' three patterns, lower-cased and packed in one block, so that
// a selection among many profiles reads a few kilobytes of patterns instead
// of three fields scattered over megabytes of profile records. It answers
// exactly as FindMatchingProfile does on the list it was built from, and it
// knows which list that was, so that a changed list is never searched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "scrolling/options/options.h"

class ProfileIndex {
 public:
  // Allocates the storage for the largest list once; without it the index
  // stays unusable and callers search the records themselves.
  ProfileIndex() noexcept;
  ~ProfileIndex();
  ProfileIndex(const ProfileIndex&) = delete;
  ProfileIndex& operator=(const ProfileIndex&) = delete;

  [[nodiscard]] bool Usable() const noexcept { return storage_ != nullptr; }

  // Indexes the profiles in use of options (iNumPar clamped to the list),
  // recording generation as the state of the list described. False, with
  // the index left stale, when there is no storage.
  [[nodiscard]] bool Build(const Options& options, std::uint64_t generation) noexcept;

  // Whether the index describes options as they stand at generation.
  [[nodiscard]] bool IsCurrent(const Options& options, std::uint64_t generation) const noexcept;

  // Until the next Build, IsCurrent is false.
  void Invalidate() noexcept { built_ = false; }

  // The index of the first matching profile, or -1; the same answer as
  // FindMatchingProfile on the options indexed. Only for a current index.
  [[nodiscard]] int Find(std::string_view path, std::string_view caption,
                         std::string_view windowClass) const noexcept;

 private:
  struct Storage;
  std::unique_ptr<Storage> storage_;
  const Options* source_ = nullptr;
  std::uint64_t generation_ = 0;
  int count_ = 0;
  bool built_ = false;
};
