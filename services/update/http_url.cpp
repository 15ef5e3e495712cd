#include "services/update/http_url.h"

#include <cstring>

namespace {

char Lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(const char* text, std::size_t length, const char* prefix) noexcept {
  const std::size_t n = std::strlen(prefix);
  if (length < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (Lower(text[i]) != prefix[i]) return false;
  }
  return true;
}

// Bytes that may stand in a request line unescaped; everything else would
// let a URL or a Location value reshape the request.
bool AllPrintable(const char* text, std::size_t length) noexcept {
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c <= 0x20 || c >= 0x7F || c == '\\') return false;
  }
  return true;
}

std::size_t FragmentCut(const char* text, std::size_t length) noexcept {
  const void* hash = std::memchr(text, '#', length);
  return hash ? static_cast<std::size_t>(static_cast<const char*>(hash) - text) : length;
}

bool ParsePort(const char* text, std::size_t length, std::uint16_t* port) noexcept {
  if (length == 0 || length > 5) return false;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
  }
  if (value == 0 || value > 65535) return false;
  *port = static_cast<std::uint16_t>(value);
  return true;
}

// "host[:port]": no user information, no IPv6 literal.
bool ParseAuthority(const char* text, std::size_t length, std::uint16_t defaultPort, char (&host)[kHttpHostSize],
                    std::uint16_t* port) noexcept {
  std::size_t hostLength = length;
  *port = defaultPort;
  if (const void* colon = std::memchr(text, ':', length)) {
    hostLength = static_cast<std::size_t>(static_cast<const char*>(colon) - text);
    if (!ParsePort(text + hostLength + 1, length - hostLength - 1, port)) return false;
  }
  if (hostLength == 0 || hostLength >= kHttpHostSize) return false;
  for (std::size_t i = 0; i < hostLength; ++i) {
    const char c = Lower(text[i]);
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.')) return false;
    host[i] = c;
  }
  host[hostLength] = '\0';
  return true;
}

bool SetPath(HttpUrl* url, const char* path, std::size_t length) noexcept {
  std::size_t at = 0;
  if (length == 0 || path[0] != '/') url->path[at++] = '/';
  if (at + length >= kHttpUrlSize) return false;
  std::memcpy(url->path + at, path, length);
  url->path[at + length] = '\0';
  return true;
}

// Drops "." and ".." segments of the path part (the query is left alone).
bool RemoveDotSegments(HttpUrl* url) noexcept {
  const char* path = url->path;
  const std::size_t total = std::strlen(path);
  const char* query = static_cast<const char*>(std::memchr(path, '?', total));
  const std::size_t n = query ? static_cast<std::size_t>(query - path) : total;
  char out[kHttpUrlSize];
  std::size_t o = 0;
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i + 1;
    while (j < n && path[j] != '/') ++j;
    const char* segment = path + i + 1;
    const std::size_t length = j - i - 1;
    const bool last = j >= n;
    if (length == 1 && segment[0] == '.') {
      if (last) out[o++] = '/';
    } else if (length == 2 && segment[0] == '.' && segment[1] == '.') {
      while (o > 0 && out[o - 1] != '/') --o;
      if (o > 0) --o;
      if (last) out[o++] = '/';
    } else {
      out[o++] = '/';
      std::memcpy(out + o, segment, length);
      o += length;
    }
    i = j;
  }
  if (o == 0) out[o++] = '/';
  const std::size_t rest = total - n;
  if (o + rest >= kHttpUrlSize) return false;
  std::memcpy(out + o, path + n, rest);
  out[o + rest] = '\0';
  std::memcpy(url->path, out, o + rest + 1);
  return true;
}

bool SameUrl(const HttpUrl& a, const HttpUrl& b) noexcept {
  return a.scheme == b.scheme && a.port == b.port && std::strcmp(a.host, b.host) == 0 &&
         std::strcmp(a.path, b.path) == 0;
}

bool HasScheme(const char* text, std::size_t length) noexcept {
  std::size_t i = 0;
  while (i < length && ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z') ||
                        (i > 0 && ((text[i] >= '0' && text[i] <= '9') || text[i] == '+' || text[i] == '-' ||
                                   text[i] == '.')))) {
    ++i;
  }
  return i > 0 && i < length && text[i] == ':';
}

}  // namespace

bool ParseHttpUrl(const char* text, std::size_t length, HttpUrl* out) noexcept {
  if (!text || length >= kHttpUrlSize || !AllPrintable(text, length)) return false;
  length = FragmentCut(text, length);
  std::size_t at;
  if (StartsWithNoCase(text, length, "https://")) {
    out->scheme = HttpScheme::kHttps;
    at = 8;
  } else if (StartsWithNoCase(text, length, "http://")) {
    out->scheme = HttpScheme::kHttp;
    at = 7;
  } else {
    return false;
  }
  std::size_t end = at;
  while (end < length && text[end] != '/' && text[end] != '?') ++end;
  if (std::memchr(text + at, '@', end - at)) return false;
  return ParseAuthority(text + at, end - at, DefaultHttpPort(out->scheme), out->host, &out->port) &&
         SetPath(out, text + end, length - end);
}

bool FormatHttpUrl(const HttpUrl& url, char* out, std::size_t capacity) noexcept {
  const char* scheme = url.scheme == HttpScheme::kHttps ? "https://" : "http://";
  char port[8] = "";
  if (url.port != DefaultHttpPort(url.scheme)) {
    char digits[6];
    int n = 0;
    for (unsigned v = url.port; v != 0; v /= 10) digits[n++] = static_cast<char>('0' + v % 10);
    int p = 0;
    port[p++] = ':';
    while (n > 0) port[p++] = digits[--n];
    port[p] = '\0';
  }
  const char* const parts[4] = {scheme, url.host, port, url.path};
  std::size_t lengths[4];
  std::size_t total = 0;
  for (int i = 0; i < 4; ++i) total += lengths[i] = std::strlen(parts[i]);
  if (total >= capacity) return false;
  char* o = out;
  for (int i = 0; i < 4; ++i) {
    std::memcpy(o, parts[i], lengths[i]);
    o += lengths[i];
  }
  *o = '\0';
  return true;
}

bool ParseHostPort(const char* text, std::size_t length, std::uint16_t defaultPort, char (&host)[kHttpHostSize],
                   std::uint16_t* port) noexcept {
  if (!text || length >= kHttpUrlSize || !AllPrintable(text, length)) return false;
  if (StartsWithNoCase(text, length, "http://")) {
    text += 7;
    length -= 7;
  }
  if (length > 0 && text[length - 1] == '/') --length;
  if (std::memchr(text, '/', length) || std::memchr(text, '@', length) || std::memchr(text, '?', length) ||
      std::memchr(text, '#', length)) {
    return false;
  }
  return ParseAuthority(text, length, defaultPort, host, port);
}

HttpRedirect ResolveHttpRedirect(const HttpUrl& current, const char* location, std::size_t length,
                                 HttpUrl* next) noexcept {
  if (!location || length == 0 || length >= kHttpUrlSize || !AllPrintable(location, length)) {
    return HttpRedirect::kBadLocation;
  }
  length = FragmentCut(location, length);
  if (HasScheme(location, length)) {
    if (!ParseHttpUrl(location, length, next)) return HttpRedirect::kBadLocation;
  } else if (length >= 2 && location[0] == '/' && location[1] == '/') {
    char absolute[kHttpUrlSize + 8];
    const char* scheme = current.scheme == HttpScheme::kHttps ? "https:" : "http:";
    const std::size_t s = std::strlen(scheme);
    std::memcpy(absolute, scheme, s);
    std::memcpy(absolute + s, location, length);
    if (!ParseHttpUrl(absolute, s + length, next)) return HttpRedirect::kBadLocation;
  } else {
    *next = current;
    if (length > 0 && location[0] == '/') {
      if (!SetPath(next, location, length)) return HttpRedirect::kBadLocation;
    } else {
      // Relative to the current path's folder, or to the whole path for a
      // bare query.
      const std::size_t pathLength = std::strcspn(current.path, "?");
      std::size_t keep = pathLength;
      if (length == 0 || location[0] != '?') {
        while (keep > 0 && current.path[keep - 1] != '/') --keep;
      }
      if (keep + length >= kHttpUrlSize) return HttpRedirect::kBadLocation;
      std::memcpy(next->path + keep, location, length);
      next->path[keep + length] = '\0';
    }
    if (!RemoveDotSegments(next)) return HttpRedirect::kBadLocation;
  }
  if (current.scheme == HttpScheme::kHttps && next->scheme == HttpScheme::kHttp) return HttpRedirect::kDowngrade;
  char text[kHttpUrlSize];
  if (!FormatHttpUrl(*next, text, sizeof text)) return HttpRedirect::kBadLocation;
  return SameUrl(current, *next) ? HttpRedirect::kSameUrl : HttpRedirect::kFollow;
}
