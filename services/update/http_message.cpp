#include "services/update/http_message.h"

#include <cstring>

namespace {

char Lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const char* a, std::size_t length, const char* b) noexcept {
  if (std::strlen(b) != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (Lower(a[i]) != b[i]) return false;
  }
  return true;
}

// Appends to a zero-terminated head; false once it would not fit.
class HeadWriter {
 public:
  explicit HeadWriter(char (&out)[kHttpRequestHeadSize]) noexcept : out_(out) { out_[0] = '\0'; }
  void Text(const char* text) noexcept { Bytes(text, std::strlen(text)); }
  void Bytes(const char* text, std::size_t n) noexcept {
    if (!fits_ || used_ + n >= kHttpRequestHeadSize) {
      fits_ = false;
      return;
    }
    std::memcpy(out_ + used_, text, n);
    used_ += n;
    out_[used_] = '\0';
  }
  void Port(std::uint16_t port) noexcept {
    char digits[6];
    std::size_t n = 0;
    for (unsigned v = port; v != 0; v /= 10) digits[n++] = static_cast<char>('0' + v % 10);
    for (std::size_t i = 0; i < n / 2; ++i) {
      const char t = digits[i];
      digits[i] = digits[n - 1 - i];
      digits[n - 1 - i] = t;
    }
    Bytes(digits, n);
  }
  [[nodiscard]] bool fits() const noexcept { return fits_; }
  [[nodiscard]] std::size_t used() const noexcept { return used_; }

 private:
  char (&out_)[kHttpRequestHeadSize];
  std::size_t used_ = 0;
  bool fits_ = true;
};

bool CleanText(const char* text, bool isUser) noexcept {
  const std::size_t n = std::strlen(text);
  if (n >= kHttpCredentialSize) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F || (isUser && c == ':')) return false;
  }
  return true;
}

// "name: Basic base64(user:password)\r\n"; nothing for an empty user.
bool BasicHeader(HeadWriter& w, const char* name, const char* user, const char* password) noexcept {
  if (!user || !*user) return true;
  if (!password) password = "";
  if (!CleanText(user, true) || !CleanText(password, false)) return false;
  char pair[2 * kHttpCredentialSize];
  const std::size_t u = std::strlen(user);
  const std::size_t p = std::strlen(password);
  std::memcpy(pair, user, u);
  pair[u] = ':';
  std::memcpy(pair + u + 1, password, p);
  char encoded[(2 * kHttpCredentialSize / 3 + 1) * 4 + 1];
  const std::size_t n = Base64Encode(pair, u + 1 + p, encoded, sizeof encoded);
  w.Text(name);
  w.Text(": Basic ");
  w.Bytes(encoded, n);
  w.Text("\r\n");
  return true;
}

HttpFormat Finish(HeadWriter& w, std::size_t* length) noexcept {
  w.Text("\r\n");
  if (!w.fits()) return HttpFormat::kTooLong;
  *length = w.used();
  return HttpFormat::kOk;
}

// Decimal digits only, at most 18 of them after leading zeros: no overflow.
bool ParseLength(const char* text, std::size_t n, std::int64_t* value) noexcept {
  if (n == 0) return false;
  std::int64_t v = 0;
  int significant = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    if (v != 0 || text[i] != '0') ++significant;
    if (significant > 18) return false;
    v = v * 10 + (text[i] - '0');
  }
  *value = v;
  return true;
}

}  // namespace

std::size_t Base64Encode(const void* data, std::size_t length, char* out, std::size_t capacity) noexcept {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (!data || length == 0 || !out || length > (capacity / 4) * 3) return 0;
  const std::size_t needed = (length + 2) / 3 * 4;
  if (needed >= capacity) return 0;
  const auto* in = static_cast<const unsigned char*>(data);
  std::size_t o = 0;
  for (std::size_t i = 0; i < length; i += 3) {
    const std::size_t rest = length - i;
    const std::uint32_t group = (std::uint32_t{in[i]} << 16) | (rest > 1 ? std::uint32_t{in[i + 1]} << 8 : 0) |
                                (rest > 2 ? std::uint32_t{in[i + 2]} : 0);
    out[o++] = kAlphabet[(group >> 18) & 63];
    out[o++] = kAlphabet[(group >> 12) & 63];
    out[o++] = rest > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    out[o++] = rest > 2 ? kAlphabet[group & 63] : '=';
  }
  out[o] = '\0';
  return o;
}

HttpFormat FormatHttpGet(const HttpGetHead& request, char (&out)[kHttpRequestHeadSize], std::size_t* length) noexcept {
  HeadWriter w(out);
  const HttpUrl& url = *request.url;
  w.Text("GET ");
  if (request.viaProxy) {
    char absolute[kHttpUrlSize];
    if (!FormatHttpUrl(url, absolute, sizeof absolute)) return HttpFormat::kTooLong;
    w.Text(absolute);
  } else {
    w.Text(url.path);
  }
  w.Text(" HTTP/1.0\r\n");
  if (!BasicHeader(w, "Authorization", request.user, request.password)) return HttpFormat::kBadCredential;
  w.Text("Host: ");
  w.Text(url.host);
  if (url.port != DefaultHttpPort(url.scheme)) {
    w.Text(":");
    w.Port(url.port);
  }
  w.Text("\r\n");
  if (request.ifModifiedSince) {
    if (std::strlen(request.ifModifiedSince) >= kHttpDateSize) return HttpFormat::kBadDate;
    for (const char* c = request.ifModifiedSince; *c; ++c) {
      if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) return HttpFormat::kBadDate;
    }
    w.Text("If-Modified-Since: ");
    w.Text(request.ifModifiedSince);
    w.Text("\r\n");
  }
  if (request.viaProxy &&
      !BasicHeader(w, "Proxy-Authorization", request.proxyUser, request.proxyPassword)) {
    return HttpFormat::kBadCredential;
  }
  return Finish(w, length);
}

HttpFormat FormatHttpConnect(const HttpUrl& url, const char* proxyUser, const char* proxyPassword,
                             char (&out)[kHttpRequestHeadSize], std::size_t* length) noexcept {
  HeadWriter w(out);
  w.Text("CONNECT ");
  w.Text(url.host);
  w.Text(":");
  w.Port(url.port);
  w.Text(" HTTP/1.0\r\n");
  if (!BasicHeader(w, "Proxy-Authorization", proxyUser, proxyPassword)) return HttpFormat::kBadCredential;
  return Finish(w, length);
}

HttpHeadScan ScanHttpHead(const char* data, std::size_t size, std::size_t* headLength) noexcept {
  const std::size_t limit = size < kHttpMaxResponseHead ? size : kHttpMaxResponseHead;
  for (std::size_t i = 0; i + 4 <= limit; ++i) {
    if (data[i] == '\r' && data[i + 1] == '\n' && data[i + 2] == '\r' && data[i + 3] == '\n') {
      *headLength = i + 4;
      return HttpHeadScan::kComplete;
    }
  }
  return size >= kHttpMaxResponseHead ? HttpHeadScan::kTooLarge : HttpHeadScan::kNeedMore;
}

HttpHeadResult ParseHttpResponseHead(const char* data, std::size_t size, HttpResponseHead* out) noexcept {
  out->status = 0;
  out->contentLength = -1;
  out->locationLength = 0;
  out->location[0] = '\0';
  out->lastModified[0] = '\0';
  if (size > kHttpMaxResponseHead) return HttpHeadResult::kTooLarge;
  if (size < 4 || std::memcmp(data + size - 4, "\r\n\r\n", 4) != 0) return HttpHeadResult::kBadHeader;

  // "HTTP/d.d NNN" followed by a blank and a reason, or by the line's end.
  const char* line = data;
  const char* end = static_cast<const char*>(std::memchr(data, '\r', size));
  const std::size_t statusLength = static_cast<std::size_t>(end - line);
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (statusLength < 12 || std::memcmp(line, "HTTP/", 5) != 0 || !digit(line[5]) || line[6] != '.' ||
      !digit(line[7]) || line[8] != ' ' || !digit(line[9]) || !digit(line[10]) || !digit(line[11]) ||
      (statusLength > 12 && line[12] != ' ') || line[9] == '0' || end[1] != '\n') {
    return HttpHeadResult::kBadStatusLine;
  }
  for (std::size_t i = 0; i < statusLength; ++i) {
    if (line[i] == '\n' || line[i] == '\0') return HttpHeadResult::kBadStatusLine;
  }
  out->status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');

  const char* const last = data + size - 2;  // the final blank line's CR
  for (line = end + 2; line < last; line = end + 2) {
    end = static_cast<const char*>(std::memchr(line, '\r', static_cast<std::size_t>(last + 1 - line)));
    if (end[1] != '\n') return HttpHeadResult::kBadHeader;
    const std::size_t n = static_cast<std::size_t>(end - line);
    if (n == 0 || line[0] == ' ' || line[0] == '\t') return HttpHeadResult::kBadHeader;
    if (std::memchr(line, '\n', n) || std::memchr(line, '\0', n)) return HttpHeadResult::kBadHeader;
    const char* colon = static_cast<const char*>(std::memchr(line, ':', n));
    if (!colon || colon == line) return HttpHeadResult::kBadHeader;
    const std::size_t nameLength = static_cast<std::size_t>(colon - line);
    for (std::size_t i = 0; i < nameLength; ++i) {
      if (line[i] == ' ' || line[i] == '\t') return HttpHeadResult::kBadHeader;
    }
    const char* value = colon + 1;
    const char* valueEnd = end;
    while (value < valueEnd && (*value == ' ' || *value == '\t')) ++value;
    while (valueEnd > value && (valueEnd[-1] == ' ' || valueEnd[-1] == '\t')) --valueEnd;
    const std::size_t valueLength = static_cast<std::size_t>(valueEnd - value);

    if (EqualNoCase(line, nameLength, "content-length")) {
      std::int64_t length = 0;
      if (!ParseLength(value, valueLength, &length) || (out->contentLength >= 0 && out->contentLength != length)) {
        return HttpHeadResult::kBadContentLength;
      }
      out->contentLength = length;
    } else if (EqualNoCase(line, nameLength, "transfer-encoding")) {
      if (!EqualNoCase(value, valueLength, "identity")) return HttpHeadResult::kUnsupportedEncoding;
    } else if (EqualNoCase(line, nameLength, "location")) {
      if (valueLength >= kHttpUrlSize) return HttpHeadResult::kLocationTooLong;
      std::memcpy(out->location, value, valueLength);
      out->location[valueLength] = '\0';
      out->locationLength = valueLength;
    } else if (EqualNoCase(line, nameLength, "last-modified")) {
      // A date that does not fit is dropped, never cut: a cut date would
      // make the next conditional request ask for the wrong moment.
      if (valueLength < kHttpDateSize) {
        std::memcpy(out->lastModified, value, valueLength);
        out->lastModified[valueLength] = '\0';
      } else {
        out->lastModified[0] = '\0';
      }
    }
  }
  return HttpHeadResult::kOk;
}

int HttpResultForStatus(int status) noexcept {
  if (status < 300) return 0;
  if (status >= 500) return 500;
  switch (status) {
    case 304: case 400: case 401: case 403: case 404: return status;
    default: return 300;
  }
}

bool IsHttpRedirect(const HttpResponseHead& head) noexcept {
  return head.status >= 300 && head.status < 400 && head.status != 304 && head.locationLength > 0;
}
