// A small HTTP/1.0 client for one GET at a time, over plain TCP or TLS, with
// redirects, an optional proxy and Basic authorisation. The update check's
// worker thread is its only user; only the cancel byte is shared with
// another thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "framework/util/grow_array.h"

// HttpGet's and HttpConnect's results.
inline constexpr int kHttpOk = 0;
inline constexpr int kHttpSendFailed = 100;
inline constexpr int kHttpReceiveFailed = 101;
inline constexpr int kHttpCancelled = 102;
inline constexpr int kHttpProxyFailed = 104;
inline constexpr int kHttpConnectFailed = 105;
inline constexpr int kHttpNoHost = 106;
inline constexpr int kHttpRedirectUnusable = 300;
inline constexpr int kHttpProxyAuthRequired = 407;
inline constexpr int kHttpServerError = 500;

class CHttpRequest {
 public:
  CHttpRequest() noexcept;
  ~CHttpRequest();
  CHttpRequest(const CHttpRequest&) = delete;
  CHttpRequest& operator=(const CHttpRequest&) = delete;

  // A nonzero byte stops every wait of the request within one poll.
  void SetCancelFlagPointer(const std::atomic<std::uint8_t>* cancel) noexcept;

  // GETs url; on kHttpOk the body is in Response(). modifiedDate (may be
  // null) receives the Last-Modified value and sends If-Modified-Since.
  [[nodiscard]] int HttpGet(const char* url, bool progress, const char* user, const char* password,
                            char* modifiedDate, bool reconnect) noexcept;

  [[nodiscard]] const CGrowArray<std::uint8_t>& Response() const noexcept { return response_; }

 private:
  CGrowArray<std::uint8_t> response_;
  const std::atomic<std::uint8_t>* cancel_ = nullptr;
};
