#include "scrolling/engine/profile_match.h"

#include <cstring>

namespace {

// The window texts of one selection folded to lower case once, so that
// each of up to 1024 profiles' patterns is looked for with memchr on its
// first character instead of folding the text again at every position.
class FoldedText {
 public:
  static constexpr std::size_t kCapacity = 512;  // paths are at most 260

  explicit FoldedText(std::string_view text) noexcept : size_(text.size()), usable_(text.size() <= kCapacity) {
    if (!usable_) return;
    for (std::size_t i = 0; i < size_; ++i) folded_[i] = FoldAscii(text[i]);
  }

  [[nodiscard]] bool Usable() const noexcept { return usable_; }
  [[nodiscard]] bool Empty() const noexcept { return size_ == 0; }

  // Whether pattern occurs in the text, ignoring ASCII case.
  [[nodiscard]] bool Contains(std::string_view pattern) const noexcept {
    if (pattern.empty()) return true;
    if (pattern.size() > size_) return false;
    const char first = FoldAscii(pattern[0]);
    const char* at = folded_;
    const char* const last = folded_ + (size_ - pattern.size());
    while (at <= last) {
      at = static_cast<const char*>(std::memchr(at, static_cast<unsigned char>(first), static_cast<std::size_t>(last - at) + 1));
      if (at == nullptr) return false;
      std::size_t i = 1;
      while (i < pattern.size() && at[i] == FoldAscii(pattern[i])) ++i;
      if (i == pattern.size()) return true;
      ++at;
    }
    return false;
  }

 private:
  char folded_[kCapacity];
  std::size_t size_;
  bool usable_;
};

}  // namespace

bool ContainsNoCase(std::string_view text, std::string_view pattern) noexcept {
  if (pattern.empty()) return true;
  if (pattern.size() > text.size()) return false;
  for (std::size_t at = 0; at + pattern.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < pattern.size() && FoldAscii(text[at + i]) == FoldAscii(pattern[i])) ++i;
    if (i == pattern.size()) return true;
  }
  return false;
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

bool ProfileMatches(const Profile& profile, std::string_view path, std::string_view caption,
                    std::string_view windowClass) noexcept {
  return (path.empty() || ContainsNoCase(path, FieldText(profile.szPrgPath))) &&
         (caption.empty() || ContainsNoCase(caption, FieldText(profile.szWndCaption))) &&
         (windowClass.empty() || ContainsNoCase(windowClass, FieldText(profile.szWndClass)));
}

int FindMatchingProfile(const Options& options, std::string_view path, std::string_view caption,
                        std::string_view windowClass) noexcept {
  const int count = ProfilesInUse(options);
  const FoldedText foldedPath(path);
  const FoldedText foldedCaption(caption);
  const FoldedText foldedClass(windowClass);
  if (!foldedPath.Usable() || !foldedCaption.Usable() || !foldedClass.Usable()) {
    for (int i = 0; i < count; ++i) {
      if (ProfileMatches(options.Par[i], path, caption, windowClass)) return i;
    }
    return -1;
  }
  for (int i = 0; i < count; ++i) {
    const Profile& profile = options.Par[i];
    if ((foldedPath.Empty() || foldedPath.Contains(FieldText(profile.szPrgPath))) &&
        (foldedCaption.Empty() || foldedCaption.Contains(FieldText(profile.szWndCaption))) &&
        (foldedClass.Empty() || foldedClass.Contains(FieldText(profile.szWndClass)))) {
      return i;
    }
  }
  return -1;
}
