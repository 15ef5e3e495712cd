#include "services/update/http_connection.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cstring>

#include "services/update/tls_trust.h"

namespace {

constexpr int kConnectPollMs = 50;
constexpr int kTransferPollMs = 10;
// Keeps every count within the byte buffer's 32-bit sizes.
constexpr std::size_t kMaxLimit = std::size_t{1} << 30;

// A server named by its address is checked against the address in its
// certificate, and sends no server name.
bool IsIpv4Literal(const char* host) noexcept {
  if (!*host) return false;
  for (const char* c = host; *c; ++c) {
    if (!((*c >= '0' && *c <= '9') || *c == '.')) return false;
  }
  return true;
}

}  // namespace

int CHttpConnection::CheckWait(Clock::time_point lastActivity) const noexcept {
  if (Cancelled()) return kConnCancelled;
  const auto now = Clock::now();
  if (now - lastActivity > std::chrono::milliseconds(idleMs_) ||
      now - connectedAt_ > std::chrono::milliseconds(totalMs_)) {
    return kConnTimedOut;
  }
  return kConnOk;
}

int CHttpConnection::Connect(const char* host, std::uint16_t port, int tlsType, int seconds) noexcept {
  if (IsOpen()) return kConnAlreadyOpen;
  if (!host || !*host) return kConnHostNotFound;
  switch (socket_.StartConnect(host, port)) {
    case NetStart::kStarted: break;
    case NetStart::kNoLibrary: return kConnNoLibrary;
    case NetStart::kSocketError: return kConnSocketError;
    case NetStart::kHostNotFound: return kConnHostNotFound;
    case NetStart::kConnectFailed: return kConnFailed;
  }
  const auto start = Clock::now();
  const auto limit = std::chrono::seconds(seconds > 0 ? seconds : 1);
  for (;;) {
    if (Cancelled()) {
      Close();
      return kConnCancelled;
    }
    const NetWait w = socket_.WaitConnected(kConnectPollMs);
    if (w == NetWait::kReady) break;
    // A refused connection ends here at once, not after the whole time-out.
    if (w == NetWait::kFailed) {
      Close();
      return kConnFailed;
    }
    if (Clock::now() - start >= limit) {
      Close();
      return kConnTimedOut;
    }
  }
  pendingCount_ = 0;
  connectedAt_ = Clock::now();
  if (tlsType != kTlsNone) {
    const int result = StartTls(tlsType, host);
    if (result != kConnOk) {
      Close();
      return result;
    }
  }
  return kConnOk;
}

int CHttpConnection::Close() noexcept {
  if (!IsOpen()) return kConnNotOpen;
  FreeTls();
  socket_.Close();
  pendingCount_ = 0;
  return kConnOk;
}

bool CHttpConnection::WaitTls(int sslError) noexcept {
  const NetWait w = sslError == SSL_ERROR_WANT_WRITE ? socket_.WaitWritable(kTransferPollMs)
                                                     : socket_.WaitReadable(kTransferPollMs);
  return w != NetWait::kFailed;
}

int CHttpConnection::StartTls(int tlsType, const char* serverName) noexcept {
  if (!IsOpen()) return kConnNotOpen;
  if (!serverName || !*serverName || tlsType == kTlsNone) return kConnTlsFailed;
  FreeTls();
  verifyResult_ = X509_V_OK;
  // Bytes a proxy sent before the handshake are not part of the server's data.
  pendingCount_ = 0;
  ctx_ = SSL_CTX_new(TLS_client_method());
  if (!ctx_ || SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION) != 1) {
    FreeTls();
    return kConnTlsFailed;
  }
  // A server that closes without close_notify ends its data; a body cut
  // short is still caught by its Content-Length.
  SSL_CTX_set_options(ctx_, SSL_OP_IGNORE_UNEXPECTED_EOF);
  SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
  if (!AddPlatformRootCertificates(ctx_)) {
    FreeTls();
    return kConnTlsFailed;
  }
  ssl_ = SSL_new(ctx_);
  if (!ssl_ || SSL_set_fd(ssl_, static_cast<int>(socket_.Handle())) != 1) {
    FreeTls();
    return kConnTlsFailed;
  }
  bool named;
  if (IsIpv4Literal(serverName)) {
    named = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), serverName) == 1;
  } else {
    SSL_set_hostflags(ssl_, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    named = SSL_set_tlsext_host_name(ssl_, serverName) == 1 && SSL_set1_host(ssl_, serverName) == 1;
  }
  if (!named) {
    FreeTls();
    return kConnTlsFailed;
  }
  const auto start = Clock::now();
  for (;;) {
    ERR_clear_error();
    const int r = SSL_connect(ssl_);
    if (r == 1) {
      verifyResult_ = SSL_get_verify_result(ssl_);
      if (verifyResult_ != X509_V_OK) break;
      tlsType_ = tlsType;
      return kConnOk;
    }
    const int error = SSL_get_error(ssl_, r);
    if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
      verifyResult_ = SSL_get_verify_result(ssl_);
      break;
    }
    const int wait = CheckWait(start);
    if (wait != kConnOk) {
      FreeTls();
      return wait;
    }
    if (!WaitTls(error)) break;
  }
  FreeTls();
  return kConnTlsFailed;
}

void CHttpConnection::FreeTls() noexcept {
  if (ssl_) {
    // One close_notify when the session stands; never a wait for the reply.
    if (tlsType_ != kTlsNone) SSL_shutdown(ssl_);
    SSL_free(ssl_);
    ssl_ = nullptr;
  }
  if (ctx_) {
    SSL_CTX_free(ctx_);
    ctx_ = nullptr;
  }
  tlsType_ = kTlsNone;
  ERR_clear_error();
}

int CHttpConnection::Send(const void* data, std::size_t length, bool progress) noexcept {
  if (!IsOpen()) return kConnNotOpen;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  Report(progress, 0);
  auto last = Clock::now();
  std::size_t done = 0;
  while (done < length) {
    const int wait = CheckWait(last);
    if (wait != kConnOk) return wait;
    const std::size_t chunk = length - done < kConnChunk ? length - done : kConnChunk;
    long sent;
    if (ssl_) {
      ERR_clear_error();
      const int r = SSL_write(ssl_, bytes + done, static_cast<int>(chunk));
      if (r <= 0) {
        const int error = SSL_get_error(ssl_, r);
        if ((error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) && WaitTls(error)) continue;
        return kConnSendFailed;
      }
      sent = r;
    } else {
      const NetWait w = socket_.WaitWritable(kTransferPollMs);
      if (w == NetWait::kFailed) return kConnSocketError;
      if (w == NetWait::kNotYet) continue;
      sent = socket_.Send(bytes + done, chunk);
      if (sent == kNetWouldBlock) continue;
      if (sent < 0) return kConnSendFailed;
    }
    done += static_cast<std::size_t>(sent);
    last = Clock::now();
    Report(progress, static_cast<std::int64_t>(done));
  }
  return kConnOk;
}

long CHttpConnection::Receive(void* out, std::size_t n) noexcept {
  if (!IsOpen() || n == 0) return kReceiveError;
  if (pendingCount_ == 0) {
    long got;
    if (ssl_) {
      ERR_clear_error();
      const int r = SSL_read(ssl_, pending_, static_cast<int>(kConnChunk));
      if (r <= 0) {
        const int error = SSL_get_error(ssl_, r);
        if (error == SSL_ERROR_ZERO_RETURN) return kReceiveClosed;
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
          return WaitTls(error) ? kReceiveNothingYet : kReceiveError;
        }
        return kReceiveError;
      }
      got = r;
    } else {
      const NetWait w = socket_.WaitReadable(kTransferPollMs);
      if (w == NetWait::kFailed) return kReceiveError;
      if (w == NetWait::kNotYet) return kReceiveNothingYet;
      got = socket_.Recv(pending_, kConnChunk);
      if (got == kNetWouldBlock) return kReceiveNothingYet;
      if (got == kNetClosed) return kReceiveClosed;
      if (got < 0) return kReceiveError;
    }
    pendingCount_ = static_cast<std::size_t>(got);
  }
  const std::size_t m = n < pendingCount_ ? n : pendingCount_;
  std::memcpy(out, pending_, m);
  std::memmove(pending_, pending_ + m, pendingCount_ - m);
  pendingCount_ -= m;
  return static_cast<long>(m);
}

int CHttpConnection::ReceiveUntil(CByteBuffer& buffer, const char* terminator, std::int64_t expected,
                                  std::size_t limit, bool progress) noexcept {
  if (!IsOpen()) return kConnNotOpen;
  buffer.Clear();
  Report(progress, 0);
  if (limit > kMaxLimit) limit = kMaxLimit;
  if (expected >= 0 && static_cast<std::uint64_t>(expected) > limit) return kConnTooLarge;
  if (expected == 0) return kConnOk;
  const std::size_t termLength = terminator ? std::strlen(terminator) : 0;
  const auto* term = reinterpret_cast<const std::uint8_t*>(terminator);
  std::uint8_t chunk[kConnChunk];
  std::size_t received = 0;
  auto last = Clock::now();
  for (;;) {
    const int wait = CheckWait(last);
    if (wait != kConnOk) return wait;
    // Never asks for more than the limit allows, but for one byte beyond it
    // when reading until the close, so that an overlong body is seen.
    std::size_t want = kConnChunk;
    if (expected >= 0) {
      want = static_cast<std::size_t>(expected) - received;
    } else if (termLength != 0) {
      want = limit - received;
    } else {
      want = limit + 1 - received;
    }
    if (want > kConnChunk) want = kConnChunk;
    const long r = Receive(chunk, want);
    if (r == kReceiveNothingYet) continue;
    // Without a length only the close ends the data; a close before any
    // byte is a server that sent nothing, not an empty answer (an empty
    // body is one announced with a length of 0).
    if (r == kReceiveClosed && expected < 0 && termLength == 0) return received > 0 ? kConnOk : kConnReceiveFailed;
    if (r < 0) return kConnReceiveFailed;
    std::size_t keep = static_cast<std::size_t>(r);
    bool found = false;
    if (termLength != 0) {
      // The terminator may start in the bytes of an earlier chunk.
      const std::size_t from = received >= termLength - 1 ? received - (termLength - 1) : 0;
      for (std::size_t s = from; !found && s + termLength <= received + keep; ++s) {
        std::size_t i = 0;
        while (i < termLength) {
          const std::size_t at = s + i;
          const std::uint8_t b = at < received ? buffer[static_cast<std::int32_t>(at)] : chunk[at - received];
          if (b != term[i]) break;
          ++i;
        }
        if (i == termLength) {
          found = true;
          const std::size_t extra = received + keep - (s + termLength);
          keep -= extra;
          std::memmove(pending_ + extra, pending_, pendingCount_);
          std::memcpy(pending_, chunk + keep, extra);
          pendingCount_ += extra;
        }
      }
    }
    if (keep > 0 && ByteBufferAppend(buffer, chunk, static_cast<std::int32_t>(keep)) < 0) return kConnReceiveFailed;
    received += keep;
    last = Clock::now();
    Report(progress, static_cast<std::int64_t>(received));
    if (found) return kConnOk;
    if (expected >= 0 && received == static_cast<std::uint64_t>(expected)) return kConnOk;
    if (received >= limit && (termLength != 0 || received > limit)) return kConnTooLarge;
  }
}
