// One TCP socket in non-blocking mode, the same on Windows (Winsock) and
// elsewhere (BSD sockets), so that the connection above it and its tests
// run on both. Every wait is a select bounded by the caller's milliseconds.
#pragma once

#include <cstddef>
#include <cstdint>

// SOCKET on Windows, a descriptor elsewhere.
using NetSocketHandle = std::uintptr_t;
inline constexpr NetSocketHandle kNoSocket = ~NetSocketHandle{0};

enum class NetStart : std::uint8_t {
  kStarted,
  kNoLibrary,     // the socket library would not start
  kSocketError,   // no socket could be made
  kHostNotFound,
  kConnectFailed,
};

enum class NetWait : std::uint8_t { kReady, kNotYet, kFailed };

// Send's and Recv's results below 1.
inline constexpr long kNetWouldBlock = 0;
inline constexpr long kNetClosed = -1;  // Recv: the peer closed in order
inline constexpr long kNetError = -2;

class CNetSocket {
 public:
  CNetSocket() noexcept = default;
  ~CNetSocket() { Close(); }
  CNetSocket(const CNetSocket&) = delete;
  CNetSocket& operator=(const CNetSocket&) = delete;

  // Resolves host to its first IPv4 address and starts connecting without
  // waiting; WaitConnected tells how it ended.
  [[nodiscard]] NetStart StartConnect(const char* host, std::uint16_t port) noexcept;
  // kReady once connected, kFailed when refused or unreachable.
  [[nodiscard]] NetWait WaitConnected(int milliseconds) noexcept;
  [[nodiscard]] NetWait WaitReadable(int milliseconds) noexcept;
  [[nodiscard]] NetWait WaitWritable(int milliseconds) noexcept;
  // Bytes moved, or kNetWouldBlock, kNetClosed, kNetError.
  [[nodiscard]] long Send(const void* data, std::size_t length) noexcept;
  [[nodiscard]] long Recv(void* out, std::size_t capacity) noexcept;

  // Listens on 127.0.0.1 at a port the system picks (*port receives it).
  [[nodiscard]] bool ListenLocal(std::uint16_t* port, int backlog = 8) noexcept;
  // kReady with *client holding the accepted socket, in non-blocking mode.
  [[nodiscard]] NetWait Accept(int milliseconds, CNetSocket* client) noexcept;

  void Close() noexcept;
  [[nodiscard]] bool IsOpen() const noexcept { return handle_ != kNoSocket; }
  [[nodiscard]] NetSocketHandle Handle() const noexcept { return handle_; }

 private:
  [[nodiscard]] NetWait Wait(bool read, bool write, int milliseconds) noexcept;
  [[nodiscard]] bool Open() noexcept;

  NetSocketHandle handle_ = kNoSocket;
};
