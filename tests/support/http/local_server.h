// A server on 127.0.0.1 for the HTTP client's tests: it accepts one
// connection at a time on a thread of its own and lets the test's handler
// script each one (answer, stall, close half way, flood, drip). Every wait
// polls the stop flag, so the destructor ends it whatever the client does.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "services/update/net_socket.h"

struct ssl_st;
struct ssl_ctx_st;

class LocalSession {
 public:
  LocalSession(CNetSocket& socket, const std::atomic<bool>& stop, std::uint16_t port) noexcept
      : port_(port), socket_(socket), stop_(stop) {}
  ~LocalSession();
  LocalSession(const LocalSession&) = delete;
  LocalSession& operator=(const LocalSession&) = delete;

  // Up to and with the blank line that ends a request head; empty when the
  // client closed first.
  std::string ReadHead();
  // False once the client is gone.
  bool Write(const std::string& bytes);
  // The server's side of a handshake on this connection (also inside a
  // tunnel this server pretends to open).
  bool StartTls(ssl_ctx_st* context);
  // The name the client sent in its TLS hello; empty for none.
  [[nodiscard]] std::string ServerName() const;
  // Until the client closes or the server stops.
  void WaitForClose();
  [[nodiscard]] bool Stopping() const noexcept { return stop_.load(); }
  // The server's own port, for answers that name it.
  [[nodiscard]] std::uint16_t Port() const noexcept { return port_; }

 private:
  // One read of what is there: bytes, 0 nothing yet, -1 closed or failed.
  long ReadSome(char* out, std::size_t n);

  std::uint16_t port_;
  CNetSocket& socket_;
  const std::atomic<bool>& stop_;
  ssl_st* ssl_ = nullptr;
};

using LocalHandler = std::function<void(LocalSession&)>;

class LocalServer {
 public:
  // With a context, every connection starts with the server's handshake.
  explicit LocalServer(LocalHandler handler, ssl_ctx_st* tls = nullptr);
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  [[nodiscard]] std::uint16_t Port() const noexcept { return port_; }
  [[nodiscard]] int Connections() const noexcept { return connections_.load(); }
  // "http://host:port" + path, or https with a context.
  [[nodiscard]] std::string Url(const char* path, const char* host = "127.0.0.1") const;

 private:
  void Run();

  LocalHandler handler_;
  ssl_ctx_st* tls_;
  CNetSocket listener_;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

// A server's TLS context with its certificate and key (PEM); null when
// they do not load.
struct LocalTlsFree {
  void operator()(ssl_ctx_st* context) const noexcept;
};
using LocalTlsContext = std::unique_ptr<ssl_ctx_st, LocalTlsFree>;
LocalTlsContext MakeServerTls(const std::string& certificatePem, const std::string& keyPem);

// An answer with a Content-Length that matches its body.
std::string HttpAnswer(const char* status, const std::string& body, const char* headers = "");
