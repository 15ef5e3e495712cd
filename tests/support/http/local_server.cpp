#include "tests/support/http/local_server.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <csignal>

namespace {

constexpr int kPollMs = 10;
constexpr std::size_t kMaxRequestHead = 64 * 1024;

}  // namespace

LocalSession::~LocalSession() {
  if (ssl_) {
    SSL_shutdown(ssl_);
    SSL_free(ssl_);
  }
}

long LocalSession::ReadSome(char* out, std::size_t n) {
  if (ssl_) {
    const int r = SSL_read(ssl_, out, static_cast<int>(n));
    if (r > 0) return r;
    const int error = SSL_get_error(ssl_, r);
    if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) return -1;
    return socket_.WaitReadable(kPollMs) == NetWait::kFailed ? -1 : 0;
  }
  const NetWait w = socket_.WaitReadable(kPollMs);
  if (w == NetWait::kFailed) return -1;
  if (w == NetWait::kNotYet) return 0;
  const long r = socket_.Recv(out, n);
  return r == kNetWouldBlock ? 0 : (r < 0 ? -1 : r);
}

std::string LocalSession::ReadHead() {
  std::string head;
  char c;
  // One byte at a time: what follows the head stays for the next read.
  while (!Stopping() && head.size() < kMaxRequestHead) {
    const long r = ReadSome(&c, 1);
    if (r < 0) return std::string();
    if (r == 0) continue;
    head += c;
    if (head.size() >= 4 && head.compare(head.size() - 4, 4, "\r\n\r\n") == 0) return head;
  }
  return std::string();
}

bool LocalSession::Write(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    if (Stopping()) return false;
    long n;
    if (ssl_) {
      const int r = SSL_write(ssl_, bytes.data() + done, static_cast<int>(bytes.size() - done));
      if (r <= 0) {
        const int error = SSL_get_error(ssl_, r);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) return false;
        if (socket_.WaitWritable(kPollMs) == NetWait::kFailed) return false;
        continue;
      }
      n = r;
    } else {
      const NetWait w = socket_.WaitWritable(kPollMs);
      if (w == NetWait::kFailed) return false;
      if (w == NetWait::kNotYet) continue;
      n = socket_.Send(bytes.data() + done, bytes.size() - done);
      if (n == kNetWouldBlock) continue;
      if (n < 0) return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool LocalSession::StartTls(ssl_ctx_st* context) {
  ssl_ = SSL_new(context);
  if (!ssl_ || SSL_set_fd(ssl_, static_cast<int>(socket_.Handle())) != 1) return false;
  while (!Stopping()) {
    const int r = SSL_accept(ssl_);
    if (r == 1) return true;
    const int error = SSL_get_error(ssl_, r);
    if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) break;
    const NetWait w = error == SSL_ERROR_WANT_READ ? socket_.WaitReadable(kPollMs) : socket_.WaitWritable(kPollMs);
    if (w == NetWait::kFailed) break;
  }
  // A refused handshake leaves no session to close politely.
  SSL_free(ssl_);
  ssl_ = nullptr;
  ERR_clear_error();
  return false;
}

std::string LocalSession::ServerName() const {
  const char* name = ssl_ ? SSL_get_servername(ssl_, TLSEXT_NAMETYPE_host_name) : nullptr;
  return name ? name : "";
}

void LocalSession::WaitForClose() {
  char sink[512];
  while (!Stopping() && ReadSome(sink, sizeof sink) >= 0) {
  }
}

LocalServer::LocalServer(LocalHandler handler, ssl_ctx_st* tls) : handler_(std::move(handler)), tls_(tls) {
#ifndef _WIN32
  // A write to a client that has gone must fail, not end the test program.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  if (listener_.ListenLocal(&port_)) thread_ = std::thread([this] { Run(); });
}

LocalServer::~LocalServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::string LocalServer::Url(const char* path, const char* host) const {
  return std::string(tls_ ? "https://" : "http://") + host + ":" + std::to_string(port_) + path;
}

void LocalServer::Run() {
  while (!stop_.load()) {
    CNetSocket client;
    if (listener_.Accept(kPollMs, &client) != NetWait::kReady) continue;
    ++connections_;
    LocalSession session(client, stop_, port_);
    if (!tls_ || session.StartTls(tls_)) handler_(session);
  }
}

std::string HttpAnswer(const char* status, const std::string& body, const char* headers) {
  return std::string("HTTP/1.0 ") + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
         headers + "\r\n" + body;
}

void LocalTlsFree::operator()(ssl_ctx_st* context) const noexcept { SSL_CTX_free(context); }

LocalTlsContext MakeServerTls(const std::string& certificatePem, const std::string& keyPem) {
  LocalTlsContext context(SSL_CTX_new(TLS_server_method()));
  if (!context) return context;
  BIO* certificateBio = BIO_new_mem_buf(certificatePem.data(), static_cast<int>(certificatePem.size()));
  BIO* keyBio = BIO_new_mem_buf(keyPem.data(), static_cast<int>(keyPem.size()));
  X509* certificate = certificateBio ? PEM_read_bio_X509(certificateBio, nullptr, nullptr, nullptr) : nullptr;
  EVP_PKEY* key = keyBio ? PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr) : nullptr;
  const bool loaded = certificate && key && SSL_CTX_use_certificate(context.get(), certificate) == 1 &&
                      SSL_CTX_use_PrivateKey(context.get(), key) == 1;
  X509_free(certificate);
  EVP_PKEY_free(key);
  BIO_free(certificateBio);
  BIO_free(keyBio);
  if (!loaded) context.reset();
  return context;
}
