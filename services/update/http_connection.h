// One outgoing TCP connection with optional TLS for the HTTP client. Every
// wait is a short poll, so the caller's cancel byte, the idle time-out and
// the time-out of the whole exchange stop it within one poll. TLS always
// verifies the server: its chain against the platform's roots, and its name
// against the host asked for.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "framework/util/grow_array.h"
#include "services/update/net_socket.h"

struct ssl_st;
struct ssl_ctx_st;

// Results of Connect, Send, ReceiveUntil and StartTls.
inline constexpr int kConnOk = 0;
inline constexpr int kConnSocketError = 1;
inline constexpr int kConnAlreadyOpen = 2;
inline constexpr int kConnNotOpen = 3;
inline constexpr int kConnHostNotFound = 4;
inline constexpr int kConnFailed = 5;
inline constexpr int kConnTimedOut = 6;
inline constexpr int kConnSendFailed = 7;
inline constexpr int kConnCancelled = 8;
inline constexpr int kConnNoLibrary = 11;
inline constexpr int kConnReceiveFailed = 12;  // error, or closed before the data was whole
inline constexpr int kConnTlsFailed = 13;
inline constexpr int kConnTooLarge = 14;       // more than the caller's limit

// Receive's results below 1.
inline constexpr long kReceiveNothingYet = 0;
inline constexpr long kReceiveClosed = -1;
inline constexpr long kReceiveError = -2;

inline constexpr int kTlsNone = 0;
inline constexpr int kTlsDefault = 4;  // TLS 1.2 or newer; older protocols are never offered

inline constexpr std::size_t kConnChunk = 1500;
inline constexpr int kConnIdleTimeoutMs = 20000;
inline constexpr int kConnTotalTimeoutMs = 120000;

class CHttpConnection {
 public:
  using ProgressCallback = void (*)(std::int64_t done, std::int64_t total);

  CHttpConnection() noexcept = default;
  ~CHttpConnection() { Close(); }
  CHttpConnection(const CHttpConnection&) = delete;
  CHttpConnection& operator=(const CHttpConnection&) = delete;

  // tlsType kTlsNone for plain TCP; any other value starts TLS with host as
  // the server's name. seconds bounds the connect alone.
  [[nodiscard]] int Connect(const char* host, std::uint16_t port, int tlsType, int seconds) noexcept;
  // kConnNotOpen when not open.
  int Close() noexcept;
  [[nodiscard]] bool IsOpen() const noexcept { return socket_.IsOpen(); }

  [[nodiscard]] int Send(const void* data, std::size_t length, bool progress) noexcept;
  // Replaces buffer's content with what arrives: up to and with terminator
  // (the bytes after it are kept for the next call), exactly expected bytes
  // (expected >= 0), or everything until the server closes. Never more than
  // limit bytes; a connection that closes before the terminator, before
  // the expected bytes or, reading until the close, before any byte is a
  // failure.
  [[nodiscard]] int ReceiveUntil(CByteBuffer& buffer, const char* terminator, std::int64_t expected,
                                 std::size_t limit, bool progress) noexcept;
  // At most n bytes after one poll: bytes moved, kReceiveNothingYet,
  // kReceiveClosed or kReceiveError.
  [[nodiscard]] long Receive(void* out, std::size_t n) noexcept;

  // Starts TLS on the open connection (also inside a proxy's tunnel).
  [[nodiscard]] int StartTls(int tlsType, const char* serverName) noexcept;
  void FreeTls() noexcept;
  [[nodiscard]] int TlsType() const noexcept { return tlsType_; }
  // The certificate check's result of the last handshake (X509_V_OK or an
  // X509_V_ERR_ value).
  [[nodiscard]] long TlsVerifyResult() const noexcept { return verifyResult_; }

  void SetProgressCallback(ProgressCallback callback) noexcept { progress_ = callback; }
  void SetProgressTotal(std::int64_t total) noexcept { progressTotal_ = total; }
  void SetCancelFlagPointer(const std::atomic<std::uint8_t>* cancel) noexcept { cancel_ = cancel; }
  // Silence allowed while waiting for the peer, and the time allowed from
  // Connect to the last byte (a server that drips bytes is stopped too).
  void SetTimeouts(int idleMs, int totalMs) noexcept {
    idleMs_ = idleMs;
    totalMs_ = totalMs;
  }

 private:
  using Clock = std::chrono::steady_clock;

  [[nodiscard]] bool Cancelled() const noexcept { return cancel_ && cancel_->load(std::memory_order_relaxed) != 0; }
  // kConnOk, or kConnCancelled / kConnTimedOut once a wait must stop.
  [[nodiscard]] int CheckWait(Clock::time_point lastActivity) const noexcept;
  [[nodiscard]] bool WaitTls(int sslError) noexcept;
  void Report(bool progress, std::int64_t done) const noexcept {
    if (progress && progress_) progress_(done, progressTotal_);
  }

  ProgressCallback progress_ = nullptr;
  std::int64_t progressTotal_ = -1;
  int tlsType_ = kTlsNone;
  CNetSocket socket_;
  int idleMs_ = kConnIdleTimeoutMs;
  int totalMs_ = kConnTotalTimeoutMs;
  Clock::time_point connectedAt_{};
  const std::atomic<std::uint8_t>* cancel_ = nullptr;
  std::uint8_t pending_[kConnChunk] = {};
  std::size_t pendingCount_ = 0;
  ssl_ctx_st* ctx_ = nullptr;
  ssl_st* ssl_ = nullptr;
  long verifyResult_ = 0;
};
