// Addresses of the HTTP client: the URL of a GET, a proxy's "host:port",
// and the new address a redirect names. Everything here may come from a
// server, so every parser refuses rather than guesses.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kHttpUrlSize = 1040;   // URL text, with its zero
inline constexpr std::size_t kHttpHostSize = 260;   // host name, with its zero
inline constexpr int kHttpMaxRedirects = 5;         // redirects followed for one GET

enum class HttpScheme : std::uint8_t { kHttp, kHttps };

struct HttpUrl {
  HttpScheme scheme;
  std::uint16_t port;         // 1..65535; the scheme's default when none is written
  char host[kHttpHostSize];   // lower case; a name or a dotted IPv4 address
  char path[kHttpUrlSize];    // "/" and the rest up to any "#": path and query
};

[[nodiscard]] constexpr std::uint16_t DefaultHttpPort(HttpScheme scheme) noexcept {
  return scheme == HttpScheme::kHttps ? 443 : 80;
}

// "http://" or "https://" (any case), host, optional ":port", optional
// path. Refused: other schemes, user information ("@"), an empty or
// non-DNS host, a port that is not 1..65535, control characters, blanks,
// bytes above 0x7E or "\" anywhere, and texts that do not fit kHttpUrlSize.
[[nodiscard]] bool ParseHttpUrl(const char* text, std::size_t length, HttpUrl* out) noexcept;

// The absolute form "scheme://host[:port]/path", the port written only when
// it is not the scheme's default. False when it does not fit.
[[nodiscard]] bool FormatHttpUrl(const HttpUrl& url, char* out, std::size_t capacity) noexcept;

// A proxy address: "host", "host:port" or "http://host:port/", the port
// defaultPort when none is written. Same refusals as ParseHttpUrl; a path
// other than "/" is refused too.
[[nodiscard]] bool ParseHostPort(const char* text, std::size_t length, std::uint16_t defaultPort,
                                 char (&host)[kHttpHostSize], std::uint16_t* port) noexcept;

enum class HttpRedirect : std::uint8_t {
  kFollow,     // next holds the new address
  kSameUrl,    // names the address just fetched
  kBadLocation,
  kDowngrade,  // https to http
};

// Resolves a Location value against the address that answered: absolute
// ("https://h/p"), scheme-relative ("//h/p"), absolute path ("/p"),
// relative path ("p", "../p") and query only ("?q"). A "#" and what follows
// are dropped.
[[nodiscard]] HttpRedirect ResolveHttpRedirect(const HttpUrl& current, const char* location,
                                               std::size_t length, HttpUrl* next) noexcept;
