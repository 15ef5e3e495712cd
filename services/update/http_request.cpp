#include "services/update/http_request.h"

#include <cstring>

namespace {

constexpr int kConnectSeconds = 30;
constexpr std::int32_t kResponseReserve = 4096;

bool CopyText(char* out, std::size_t room, const char* text) noexcept {
  if (!text) text = "";
  const std::size_t n = std::strlen(text);
  if (n >= room) return false;
  std::memcpy(out, text, n + 1);
  return true;
}

bool SameServer(const HttpUrl& a, const HttpUrl& b) noexcept {
  return a.scheme == b.scheme && a.port == b.port && std::strcmp(a.host, b.host) == 0;
}

}  // namespace

CHttpRequest::CHttpRequest() noexcept { (void)response_.SetCapacity(kResponseReserve, -1); }

CHttpRequest::~CHttpRequest() {
  connection_.Close();
  response_.ArrayFree();
}

void CHttpRequest::SetCancelFlagPointer(const std::atomic<std::uint8_t>* cancel) noexcept {
  cancel_ = cancel;
  connection_.SetCancelFlagPointer(cancel);
}

bool CHttpRequest::SetProxy(const char* host, std::uint16_t port, bool tunnel, const char* user,
                            const char* password) noexcept {
  if (!CopyText(proxyHost_, sizeof proxyHost_, host) || !CopyText(proxyUser_, sizeof proxyUser_, user) ||
      !CopyText(proxyPassword_, sizeof proxyPassword_, password)) {
    proxyHost_[0] = '\0';
    return false;
  }
  proxyPort_ = port;
  tunnel_ = tunnel;
  return true;
}

int CHttpRequest::HttpGet(const char* url, bool progress, const char* user, const char* password,
                          char* modifiedDate, bool reconnect) noexcept {
  (void)reconnect;
  int result = Get(url, progress, user, password, modifiedDate);
  connection_.Close();
  // Whatever arrived before a failure is never handed out as the body.
  if (result != kHttpOk) response_.Clear();
  // A cancel may surface as any failure of the wait it stopped.
  if (Cancelled() && (result == kHttpSendFailed || result == kHttpReceiveFailed || result == kHttpProxyFailed ||
                      result == kHttpConnectFailed)) {
    result = kHttpCancelled;
  }
  return result;
}

int CHttpRequest::Get(const char* url, bool progress, const char* user, const char* password,
                      char* modifiedDate) noexcept {
  response_.Clear();
  HttpUrl current;
  if (!url || !ParseHttpUrl(url, std::strlen(url), &current)) return kHttpNoHost;
  const char* date = modifiedDate && *modifiedDate ? modifiedDate : nullptr;
  for (int redirects = 0;; ++redirects) {
    if (!FormatHttpUrl(current, url_, sizeof url_)) return kHttpNoHost;
    HttpResponseHead head;
    const int exchanged = Exchange(current, user, password, date, &head);
    if (exchanged != kHttpOk) return exchanged;
    if (IsHttpRedirect(head)) {
      connection_.Close();
      HttpUrl next;
      if (redirects >= kHttpMaxRedirects ||
          ResolveHttpRedirect(current, head.location, head.locationLength, &next) != HttpRedirect::kFollow) {
        return kHttpRedirectUnusable;
      }
      // The server's credentials and date are not sent on to another server.
      if (!SameServer(current, next)) user = date = nullptr;
      current = next;
      continue;
    }
    // A forwarding proxy answers for itself when it wants credentials.
    if (head.status == 407 && proxyHost_[0] != '\0' && !tunnel_) return kHttpProxyAuthRequired;
    const int result = HttpResultForStatus(head.status);
    if (result != kHttpOk) return result;
    if (modifiedDate && head.lastModified[0]) std::memcpy(modifiedDate, head.lastModified, kHttpDateSize);
    if (head.contentLength > static_cast<std::int64_t>(kHttpMaxBody)) return kHttpReceiveFailed;
    connection_.SetProgressTotal(head.contentLength);
    const int received = connection_.ReceiveUntil(response_, nullptr, head.contentLength, kHttpMaxBody, progress);
    if (received == kConnCancelled) return kHttpCancelled;
    return received == kConnOk ? kHttpOk : kHttpReceiveFailed;
  }
}

int CHttpRequest::Exchange(const HttpUrl& url, const char* user, const char* password, const char* date,
                           HttpResponseHead* head) noexcept {
  const bool viaProxy = proxyHost_[0] != '\0';
  // A request forwarded by the proxy travels in clear: https always tunnels.
  const bool tunnel = viaProxy && (tunnel_ || url.scheme == HttpScheme::kHttps);
  const HttpGetHead request{&url, viaProxy && !tunnel, user, password, proxyUser_, proxyPassword_, date};
  char text[kHttpRequestHeadSize];
  std::size_t length = 0;
  if (FormatHttpGet(request, text, &length) != HttpFormat::kOk) return kHttpBadRequest;

  connection_.Close();
  const int connected = viaProxy ? ConnectProxy(url, tunnel) : ConnectDirect(url);
  if (connected != kHttpOk) return connected;
  const int sent = connection_.Send(text, length, false);
  if (sent == kConnCancelled) return kHttpCancelled;
  if (sent != kConnOk) return kHttpSendFailed;
  return ReceiveHead(head);
}

int CHttpRequest::ReceiveHead(HttpResponseHead* head) noexcept {
  const int received = connection_.ReceiveUntil(response_, "\r\n\r\n", -1, kHttpMaxResponseHead, false);
  if (received == kConnCancelled) return kHttpCancelled;
  if (received != kConnOk) return kHttpReceiveFailed;
  if (ParseHttpResponseHead(reinterpret_cast<const char*>(response_.Data()),
                            static_cast<std::size_t>(response_.Count()), head) != HttpHeadResult::kOk) {
    return kHttpReceiveFailed;
  }
  return kHttpOk;
}

int CHttpRequest::ConnectDirect(const HttpUrl& url) noexcept {
  std::memcpy(host_, url.host, sizeof host_);
  port_ = url.port;
  const int tls = url.scheme == HttpScheme::kHttps ? kTlsDefault : kTlsNone;
  const int connected = connection_.Connect(url.host, url.port, tls, kConnectSeconds);
  if (connected == kConnCancelled) return kHttpCancelled;
  return connected == kConnOk ? kHttpOk : kHttpConnectFailed;
}

int CHttpRequest::ConnectProxy(const HttpUrl& url, bool tunnel) noexcept {
  const int connected = connection_.Connect(proxyHost_, proxyPort_, kTlsNone, kConnectSeconds);
  if (connected == kConnCancelled) return kHttpCancelled;
  if (connected != kConnOk) return kHttpProxyFailed;
  if (!tunnel) return kHttpOk;
  char text[kHttpRequestHeadSize];
  std::size_t length = 0;
  if (FormatHttpConnect(url, proxyUser_, proxyPassword_, text, &length) != HttpFormat::kOk) return kHttpBadRequest;
  const int sent = connection_.Send(text, length, false);
  if (sent == kConnCancelled) return kHttpCancelled;
  if (sent != kConnOk) return kHttpProxyFailed;
  HttpResponseHead head;
  const int received = ReceiveHead(&head);
  if (received != kHttpOk) return received;
  if (head.status == 401 || head.status == 407) return kHttpProxyAuthRequired;
  if (head.status < 200 || head.status > 299) return kHttpProxyFailed;
  std::memcpy(host_, url.host, sizeof host_);
  port_ = url.port;
  if (url.scheme != HttpScheme::kHttps) return kHttpOk;
  const int tls = connection_.StartTls(kTlsDefault, url.host);
  if (tls == kConnCancelled) return kHttpCancelled;
  return tls == kConnOk ? kHttpOk : kHttpConnectFailed;
}
