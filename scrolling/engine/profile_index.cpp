#include "scrolling/engine/profile_index.h"

#include <cstring>
#include <new>

#include "scrolling/engine/profile_match.h"

namespace {

enum Field : int { kPathField, kCaptionField, kClassField, kFieldCount };

// Which pairs of neighbouring characters a text holds, hashed into 256 bits.
// A pattern can occur in a text only when every pair of the pattern is in
// the text, so one mask comparison turns away nearly every profile of a long
// list before any text is compared; a colliding pair lets a pattern through
// to the exact search, never keeps one out.
struct PairMask {
  static constexpr int kWords = 4;
  std::uint64_t words[kWords];

  void Clear() noexcept {
    for (std::uint64_t& w : words) w = 0;
  }
  void Fill() noexcept {
    for (std::uint64_t& w : words) w = ~std::uint64_t{0};
  }
  void AddPairs(const char* folded, std::size_t size) noexcept {
    for (std::size_t i = 1; i < size; ++i) {
      const std::uint32_t pair = static_cast<std::uint32_t>(static_cast<unsigned char>(folded[i - 1])) << 8 |
                                 static_cast<unsigned char>(folded[i]);
      const std::uint32_t bit = (pair * 0x9E3779B1u) >> 24;
      words[bit >> 6] |= std::uint64_t{1} << (bit & 63);
    }
  }
  // Whether every pair of pattern may be in this text.
  [[nodiscard]] bool Covers(const PairMask& pattern) const noexcept {
    std::uint64_t missing = 0;
    for (int i = 0; i < kWords; ++i) missing |= pattern.words[i] & ~words[i];
    return missing == 0;
  }
};

struct Pattern {
  PairMask pairs;
  std::uint32_t offset;  // into the character block
  std::uint32_t length;
};

// Every pattern at its full width, NUL or not: the block can never overflow.
constexpr std::size_t kPatternChars = static_cast<std::size_t>(kMaxProfiles) * (kPathSize + 2 * kNameSize);

// pattern (already lower case) occurs in text (lower case, at least as
// long as pattern, pattern not empty).
bool ContainsFolded(const char* text, std::size_t textSize, const char* pattern, std::size_t patternSize) noexcept {
  const char* at = text;
  const char* const last = text + (textSize - patternSize);
  while (at <= last) {
    at = static_cast<const char*>(
        std::memchr(at, static_cast<unsigned char>(pattern[0]), static_cast<std::size_t>(last - at) + 1));
    if (at == nullptr) return false;
    if (std::memcmp(at + 1, pattern + 1, patternSize - 1) == 0) return true;
    ++at;
  }
  return false;
}

// One of the window's texts for one selection, lower-cased once.
class WindowText {
 public:
  // Window texts are at most a path long; a longer one is searched as it
  // stands, without the pair filter.
  static constexpr std::size_t kCapacity = 512;

  explicit WindowText(std::string_view text) noexcept : raw_(text), folded_(text.size() <= kCapacity) {
    if (!folded_) {
      pairs_.Fill();
      return;
    }
    for (std::size_t i = 0; i < text.size(); ++i) text_[i] = FoldAscii(text[i]);
    pairs_.Clear();
    pairs_.AddPairs(text_, text.size());
  }

  // A cheap test that rejects most patterns that cannot occur.
  [[nodiscard]] bool MayHold(const Pattern& p) const noexcept {
    // An empty window text passes its test whatever the pattern.
    if (raw_.empty() || p.length == 0) return true;
    return p.length <= raw_.size() && pairs_.Covers(p.pairs);
  }

  // The exact test, for a pattern that MayHold.
  [[nodiscard]] bool Holds(const Pattern& p, const char* block) const noexcept {
    if (raw_.empty() || p.length == 0) return true;
    if (!folded_) return ContainsNoCase(raw_, std::string_view(block + p.offset, p.length));
    return ContainsFolded(text_, raw_.size(), block + p.offset, p.length);
  }

 private:
  std::string_view raw_;
  bool folded_;
  PairMask pairs_;
  char text_[kCapacity];
};

}  // namespace

struct ProfileIndex::Storage {
  Pattern patterns[kFieldCount][kMaxProfiles];
  char text[kPatternChars];
};

ProfileIndex::ProfileIndex() noexcept : storage_(new (std::nothrow) Storage) {}

ProfileIndex::~ProfileIndex() = default;

bool ProfileIndex::Build(const Options& options, std::uint64_t generation) noexcept {
  built_ = false;
  if (!storage_) return false;
  Storage& s = *storage_;
  const int count = ProfilesInUse(options);
  std::uint32_t used = 0;
  for (int i = 0; i < count; ++i) {
    const Profile& profile = options.Par[i];
    const std::string_view fields[kFieldCount] = {FieldText(profile.szPrgPath), FieldText(profile.szWndCaption),
                                                  FieldText(profile.szWndClass)};
    for (int f = 0; f < kFieldCount; ++f) {
      Pattern& p = s.patterns[f][i];
      char* const out = s.text + used;
      for (std::size_t c = 0; c < fields[f].size(); ++c) out[c] = FoldAscii(fields[f][c]);
      p.offset = used;
      p.length = static_cast<std::uint32_t>(fields[f].size());
      p.pairs.Clear();
      p.pairs.AddPairs(out, p.length);
      used += p.length;
    }
  }
  source_ = &options;
  generation_ = generation;
  count_ = count;
  built_ = true;
  return true;
}

bool ProfileIndex::IsCurrent(const Options& options, std::uint64_t generation) const noexcept {
  // The count is compared too: a profile added or removed without notice
  // must not leave the list searched short or past its end.
  return built_ && source_ == &options && generation_ == generation && count_ == ProfilesInUse(options);
}

int ProfileIndex::Find(std::string_view path, std::string_view caption, std::string_view windowClass) const noexcept {
  if (!built_) return -1;
  const Storage& s = *storage_;
  const WindowText texts[kFieldCount] = {WindowText(path), WindowText(caption), WindowText(windowClass)};
  for (int i = 0; i < count_; ++i) {
    if (!texts[kPathField].MayHold(s.patterns[kPathField][i]) ||
        !texts[kCaptionField].MayHold(s.patterns[kCaptionField][i]) ||
        !texts[kClassField].MayHold(s.patterns[kClassField][i])) {
      continue;
    }
    if (texts[kPathField].Holds(s.patterns[kPathField][i], s.text) &&
        texts[kCaptionField].Holds(s.patterns[kCaptionField][i], s.text) &&
        texts[kClassField].Holds(s.patterns[kClassField][i], s.text)) {
      return i;
    }
  }
  return -1;
}
