#include "framework/util/text_util.h"

#include <cstring>

namespace {
char Lower(char c) noexcept {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<char>(u - 'A' + 'a') : c;
}
}  // namespace

bool CopyText(char* dst, std::size_t capacity, const char* src) noexcept {
  if (capacity == 0) return false;
  dst[0] = '\0';
  return AppendText(dst, capacity, src);
}

bool AppendText(char* dst, std::size_t capacity, const char* src) noexcept {
  if (capacity == 0) return false;
  std::size_t len = strnlen(dst, capacity);
  if (len >= capacity) {
    dst[capacity - 1] = '\0';
    return false;
  }
  if (src == nullptr) return true;
  while (*src != '\0') {
    if (len + 1 >= capacity) {
      dst[len] = '\0';
      return false;
    }
    dst[len++] = *src++;
  }
  dst[len] = '\0';
  return true;
}

bool JoinPath(char* dst, std::size_t capacity, const char* folder, const char* name) noexcept {
  if (capacity == 0) return false;
  const std::size_t a = std::strlen(folder);
  const std::size_t b = std::strlen(name);
  if (a + 1 + b >= capacity) {
    dst[0] = '\0';
    return false;
  }
  std::memmove(dst, folder, a);
  dst[a] = '\\';
  std::memcpy(dst + a + 1, name, b);
  dst[a + 1 + b] = '\0';
  return true;
}

void AddTrailingBackslash(char* path, std::size_t capacity) noexcept {
  const std::size_t len = strnlen(path, capacity);
  if (len == 0 || len + 1 >= capacity || path[len - 1] == '\\') return;
  path[len] = '\\';
  path[len + 1] = '\0';
}

void RemoveTrailingBackslash(char* path) noexcept {
  const std::size_t len = std::strlen(path);
  if (len > 0 && path[len - 1] == '\\') path[len - 1] = '\0';
}

char* CutAtLastBackslash(char* path) noexcept {
  char* last = std::strrchr(path, '\\');
  if (last != nullptr) *last = '\0';
  return last;
}

int CompareNoCase(const char* a, const char* b, std::size_t n) noexcept {
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(Lower(a[i]));
    const auto cb = static_cast<unsigned char>(Lower(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
  return 0;
}

bool EqualNoCase(const char* a, const char* b) noexcept {
  return CompareNoCase(a, b, static_cast<std::size_t>(-1)) == 0;
}

const char* EndsWithNoCase(const char* text, const char* suffix) noexcept {
  if (text == nullptr || suffix == nullptr) return nullptr;
  const std::size_t lt = std::strlen(text);
  const std::size_t ls = std::strlen(suffix);
  if (lt == 0 || ls == 0 || ls > lt) return nullptr;
  const char* tail = text + (lt - ls);
  return CompareNoCase(tail, suffix, ls) == 0 ? tail : nullptr;
}

const char* FindNoCase(const char* text, const char* part) noexcept {
  if (text == nullptr || part == nullptr) return nullptr;
  const std::size_t lp = std::strlen(part);
  for (const char* p = text;; ++p) {
    if (CompareNoCase(p, part, lp) == 0) return p;
    if (*p == '\0') return nullptr;
  }
}

int ReplaceAllInPlace(char* text, std::size_t capacity, const char* find, const char* replacement,
                      std::uint8_t truncate) noexcept {
  if (text == nullptr || find == nullptr || replacement == nullptr) return -1;
  const std::size_t lf = std::strlen(find);
  // An empty search text matches everywhere without advancing.
  if (lf == 0) return -1;
  std::size_t len = strnlen(text, capacity);
  if (len >= capacity) return -1;
  const std::size_t lr = std::strlen(replacement);
  int count = 0;
  std::size_t pos = 0;
  while (pos + lf <= len) {
    if (std::memcmp(text + pos, find, lf) != 0) {
      ++pos;
      continue;
    }
    std::size_t use = lr;
    if (len - lf + lr >= capacity) {
      if (truncate == 0) return -1;
      // Room left for the replacement once the rest of the text stays.
      use = capacity - 1 - (len - lf);
    }
    const std::size_t tail = len - pos - lf + 1;  // with the terminator
    std::memmove(text + pos + use, text + pos + lf, tail);
    std::memcpy(text + pos, replacement, use);
    len = len - lf + use;
    pos += use;
    ++count;
  }
  return count;
}

bool NextListItem(const char*& cursor, char separator, char* out, std::size_t capacity) noexcept {
  if (cursor == nullptr || *cursor == '\0' || capacity == 0) return false;
  const char* end = std::strchr(cursor, separator);
  const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - cursor) : std::strlen(cursor);
  const std::size_t kept = length < capacity ? length : capacity - 1;
  std::memcpy(out, cursor, kept);
  out[kept] = '\0';
  cursor = end != nullptr ? end + 1 : cursor + length;
  return true;
}
