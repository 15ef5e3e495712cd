// The bytes of one HTTP/1.0 exchange: the request head the client sends and
// the response head it receives. Response bytes come from the network and
// are hostile: every length is bounded and every number range-checked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "services/update/http_url.h"

inline constexpr std::size_t kHttpRequestHeadSize = 1040;       // request head, with its zero
inline constexpr std::size_t kHttpMaxResponseHead = 16 * 1024;  // head up to and with "\r\n\r\n"
inline constexpr std::size_t kHttpDateSize = 64;                // Last-Modified value, with its zero
inline constexpr std::size_t kHttpCredentialSize = 260;         // user name or password, with its zero

// Standard Base64 (RFC 4648, "=" padding, no line breaks: the result goes
// into a single header line). Writes the text and its zero; returns the
// characters written, 0 when out cannot hold them (or length is 0).
[[nodiscard]] std::size_t Base64Encode(const void* data, std::size_t length, char* out,
                                       std::size_t capacity) noexcept;

struct HttpGetHead {
  const HttpUrl* url;
  bool viaProxy;                  // forwarded by a proxy: the request line carries the whole URL
  const char* user;               // Basic authorisation of the server; null or empty for none
  const char* password;
  const char* proxyUser;          // Basic authorisation of the proxy (viaProxy only)
  const char* proxyPassword;
  const char* ifModifiedSince;    // null for an unconditional GET
};

enum class HttpFormat : std::uint8_t {
  kOk,
  kBadCredential,  // a control character, a ":" in a user name, or too long
  kBadDate,
  kTooLong,        // the head does not fit kHttpRequestHeadSize
};

// "GET path HTTP/1.0" (the whole URL via a proxy), Authorization, Host,
// If-Modified-Since, Proxy-Authorization, blank line. *length excludes the zero.
[[nodiscard]] HttpFormat FormatHttpGet(const HttpGetHead& request, char (&out)[kHttpRequestHeadSize],
                                       std::size_t* length) noexcept;

// "CONNECT host:port HTTP/1.0" for the URL's server, with the proxy's Basic
// authorisation.
[[nodiscard]] HttpFormat FormatHttpConnect(const HttpUrl& url, const char* proxyUser, const char* proxyPassword,
                                           char (&out)[kHttpRequestHeadSize], std::size_t* length) noexcept;

enum class HttpHeadScan : std::uint8_t { kComplete, kNeedMore, kTooLarge };

// Looks for the "\r\n\r\n" that ends a response head in the bytes received
// so far. kComplete sets *headLength (terminator included); the bytes after
// it are body. kTooLarge once kHttpMaxResponseHead bytes hold no end.
[[nodiscard]] HttpHeadScan ScanHttpHead(const char* data, std::size_t size, std::size_t* headLength) noexcept;

struct HttpResponseHead {
  int status;                       // 100..999
  std::int64_t contentLength;       // -1 when absent
  std::size_t locationLength;       // 0 when absent
  char location[kHttpUrlSize];
  char lastModified[kHttpDateSize]; // empty when absent or longer than the room
};

enum class HttpHeadResult : std::uint8_t {
  kOk,
  kTooLarge,
  kBadStatusLine,       // not "HTTP/d.d NNN"
  kBadHeader,           // no ":", a folded line, a stray CR, LF or zero byte
  kBadContentLength,    // not digits, above 10^18 - 1, or two different values
  kUnsupportedEncoding, // a Transfer-Encoding other than identity
  kLocationTooLong,
};

// Parses a complete head as ScanHttpHead found it (size = *headLength).
[[nodiscard]] HttpHeadResult ParseHttpResponseHead(const char* data, std::size_t size,
                                                   HttpResponseHead* out) noexcept;

// The client's result for a status: 0 success (below 300), 304, 400, 401,
// 403, 404 as themselves, 500 for 500 and more, 300 for the rest. A 3xx
// other than 304 that carries a Location is a redirect to follow instead.
[[nodiscard]] int HttpResultForStatus(int status) noexcept;
[[nodiscard]] bool IsHttpRedirect(const HttpResponseHead& head) noexcept;
