// URLs and proxy addresses over arbitrary bytes. A parsed URL must format
// back to a text that parses to the same address, and its GET head must
// never carry a line break of its own.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "services/update/http_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<char> text(data, data + size);
  char host[kHttpHostSize];
  std::uint16_t port = 0;
  if (ParseHostPort(text.data(), text.size(), 8080, host, &port) && (port == 0 || std::strlen(host) == 0)) {
    __builtin_trap();
  }
  HttpUrl url;
  if (!ParseHttpUrl(text.data(), text.size(), &url)) return 0;
  char formatted[kHttpUrlSize];
  if (FormatHttpUrl(url, formatted, sizeof formatted)) {
    HttpUrl again;
    if (!ParseHttpUrl(formatted, std::strlen(formatted), &again) || again.scheme != url.scheme ||
        again.port != url.port || std::strcmp(again.host, url.host) != 0 || std::strcmp(again.path, url.path) != 0) {
      __builtin_trap();
    }
  }
  for (const bool viaProxy : {false, true}) {
    char head[kHttpRequestHeadSize];
    std::size_t length = 0;
    if (FormatHttpGet(HttpGetHead{&url, viaProxy, "u", "p", "u", "p", nullptr}, head, &length) != HttpFormat::kOk) {
      continue;
    }
    if (length >= sizeof head) __builtin_trap();
    // Every CR is part of a CRLF that ends one of the head's own lines.
    int lines = 0;
    for (std::size_t i = 0; i < length; ++i) {
      if (head[i] == '\n' && (i == 0 || head[i - 1] != '\r')) __builtin_trap();
      if (head[i] == '\r' && ++lines > 5) __builtin_trap();
    }
  }
  return 0;
}
