#include "scrolling/engine/profile_match.h"

namespace {

constexpr char FoldAscii(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

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
  int count = options.iNumPar;
  if (count < 0) count = 0;
  if (count > kMaxProfiles) count = kMaxProfiles;
  for (int i = 0; i < count; ++i) {
    if (ProfileMatches(options.Par[i], path, caption, windowClass)) return i;
  }
  return -1;
}
