// A small HTTP/1.0 client for one GET at a time, over plain TCP or TLS, with
// redirects, an optional proxy and Basic authorisation. The update check's
// worker thread is its only user; only the cancel byte is shared with
// another thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "framework/util/grow_array.h"
#include "services/update/http_connection.h"
#include "services/update/http_message.h"
#include "services/update/http_url.h"

// HttpGet's and HttpConnect's results.
inline constexpr int kHttpOk = 0;
inline constexpr int kHttpSendFailed = 100;
inline constexpr int kHttpReceiveFailed = 101;
inline constexpr int kHttpCancelled = 102;
inline constexpr int kHttpProxyFailed = 104;
inline constexpr int kHttpConnectFailed = 105;
inline constexpr int kHttpNoHost = 106;
inline constexpr int kHttpBadRequest = 107;  // a credential or date with a control character, or a head too long
inline constexpr int kHttpRedirectUnusable = 300;
inline constexpr int kHttpProxyAuthRequired = 407;
inline constexpr int kHttpServerError = 500;

// The most body this client takes: a version text needs far less.
inline constexpr std::size_t kHttpMaxBody = 64 * 1024;

class CHttpRequest {
 public:
  CHttpRequest() noexcept;
  ~CHttpRequest();
  CHttpRequest(const CHttpRequest&) = delete;
  CHttpRequest& operator=(const CHttpRequest&) = delete;

  // A nonzero byte stops every wait of the request within one poll.
  void SetCancelFlagPointer(const std::atomic<std::uint8_t>* cancel) noexcept;

  // GETs url, following up to kHttpMaxRedirects redirects (never from
  // https to http); on kHttpOk the body is in Response(). modifiedDate (null
  // or kHttpDateSize chars) sends If-Modified-Since when not empty and
  // receives the Last-Modified value. Every GET connects anew: HTTP/1.0 ends
  // the connection with the body, so reconnect changes nothing.
  [[nodiscard]] int HttpGet(const char* url, bool progress, const char* user, const char* password,
                            char* modifiedDate, bool reconnect) noexcept;

  [[nodiscard]] const CGrowArray<std::uint8_t>& Response() const noexcept { return response_; }

  // An empty host means no proxy. tunnel asks for a CONNECT tunnel also for
  // http URLs; https URLs always go through one, TLS running inside it.
  // False when a text does not fit.
  [[nodiscard]] bool SetProxy(const char* host, std::uint16_t port, bool tunnel, const char* user,
                              const char* password) noexcept;
  void SetTimeouts(int idleMs, int totalMs) noexcept { connection_.SetTimeouts(idleMs, totalMs); }
  void SetProgressCallback(CHttpConnection::ProgressCallback callback) noexcept {
    connection_.SetProgressCallback(callback);
  }
  // The certificate check's result of the last TLS handshake (X509_V_OK or
  // an X509_V_ERR_ value).
  [[nodiscard]] long TlsVerifyResult() const noexcept { return connection_.TlsVerifyResult(); }

 private:
  [[nodiscard]] int Get(const char* url, bool progress, const char* user, const char* password,
                        char* modifiedDate) noexcept;
  [[nodiscard]] int Exchange(const HttpUrl& url, const char* user, const char* password, const char* date,
                             HttpResponseHead* head) noexcept;
  [[nodiscard]] int ConnectDirect(const HttpUrl& url) noexcept;
  [[nodiscard]] int ConnectProxy(const HttpUrl& url, bool tunnel) noexcept;
  [[nodiscard]] int ReceiveHead(HttpResponseHead* head) noexcept;
  [[nodiscard]] bool Cancelled() const noexcept { return cancel_ && cancel_->load() != 0; }

  CGrowArray<std::uint8_t> response_;
  char host_[kHttpHostSize] = {};
  int port_ = 80;
  bool tunnel_ = false;
  char proxyHost_[kHttpHostSize] = {};
  std::uint16_t proxyPort_ = 0;
  char proxyUser_[kHttpCredentialSize] = {};
  char proxyPassword_[kHttpCredentialSize] = {};
  char url_[kHttpUrlSize] = {};
  CHttpConnection connection_;
  const std::atomic<std::uint8_t>* cancel_ = nullptr;
};
