// Response heads over arbitrary bytes: scan, parse, and follow any Location
// from an https and an http address. Any crash, overflow or read past the
// input is a finding.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "services/update/http_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so a read past the end is caught.
  std::vector<char> bytes(data, data + size);
  std::size_t headLength = 0;
  const HttpHeadScan scan = ScanHttpHead(bytes.data(), bytes.size(), &headLength);
  if (scan == HttpHeadScan::kComplete && (headLength > size || headLength > kHttpMaxResponseHead)) __builtin_trap();
  if (scan == HttpHeadScan::kTooLarge && size < kHttpMaxResponseHead) __builtin_trap();
  // The parser also gets the whole input, as a caller that skipped the scan would.
  for (const std::size_t n : {scan == HttpHeadScan::kComplete ? headLength : size, size}) {
    std::vector<char> head(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    HttpResponseHead h;
    if (ParseHttpResponseHead(head.data(), head.size(), &h) != HttpHeadResult::kOk) continue;
    if (h.status < 100 || h.status > 999 || h.contentLength < -1) __builtin_trap();
    if (h.locationLength >= kHttpUrlSize || std::strlen(h.location) > h.locationLength) __builtin_trap();
    if (std::strlen(h.lastModified) >= kHttpDateSize) __builtin_trap();
    (void)HttpResultForStatus(h.status);
    if (h.locationLength == 0) continue;
    for (const char* base : {"https://a.example/d/v.txt?q", "http://a.example:81/"}) {
      HttpUrl current;
      if (!ParseHttpUrl(base, std::strlen(base), &current)) __builtin_trap();
      HttpUrl next;
      const HttpRedirect r = ResolveHttpRedirect(current, h.location, h.locationLength, &next);
      if (r == HttpRedirect::kFollow && current.scheme == HttpScheme::kHttps && next.scheme == HttpScheme::kHttp) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
