#include "services/update/net_socket.h"

#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using Native = SOCKET;
constexpr int kSendFlags = 0;

bool LibraryStarted() noexcept {
  // Started once for the process and never stopped: other threads may still
  // use sockets while one connection ends.
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

bool LastErrorWouldBlock() noexcept { return WSAGetLastError() == WSAEWOULDBLOCK; }
bool ConnectPending() noexcept { return WSAGetLastError() == WSAEWOULDBLOCK; }
bool SetNonBlocking(Native s) noexcept {
  u_long on = 1;
  return ioctlsocket(s, FIONBIO, &on) == 0;
}
void CloseNative(Native s) noexcept { closesocket(s); }
#else
using Native = int;
constexpr int kSendFlags = MSG_NOSIGNAL;

bool LibraryStarted() noexcept { return true; }
bool LastErrorWouldBlock() noexcept { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }
bool ConnectPending() noexcept { return errno == EINPROGRESS || errno == EINTR; }
bool SetNonBlocking(Native s) noexcept {
  const int flags = fcntl(s, F_GETFL, 0);
  return flags >= 0 && fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
}
void CloseNative(Native s) noexcept { close(s); }
#endif

Native ToNative(NetSocketHandle h) noexcept { return static_cast<Native>(h); }

// Clamped so that a chunk's length always fits the system's int.
int ChunkLength(std::size_t length) noexcept { return length > 65536 ? 65536 : static_cast<int>(length); }

}  // namespace

bool CNetSocket::Open() noexcept {
  if (!LibraryStarted()) return false;
  const Native s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
#ifdef _WIN32
  if (s == INVALID_SOCKET) return false;
#else
  // select cannot watch a descriptor beyond its set.
  if (s < 0) return false;
  if (s >= FD_SETSIZE) {
    close(s);
    return false;
  }
#endif
  handle_ = static_cast<NetSocketHandle>(s);
  if (!SetNonBlocking(s)) {
    Close();
    return false;
  }
  return true;
}

NetStart CNetSocket::StartConnect(const char* host, std::uint16_t port) noexcept {
  if (IsOpen() || !host) return NetStart::kSocketError;
  if (!LibraryStarted()) return NetStart::kNoLibrary;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return NetStart::kHostNotFound;
  sockaddr_in address{};
  const bool usable = found->ai_addrlen >= sizeof address && found->ai_addr->sa_family == AF_INET;
  if (usable) std::memcpy(&address, found->ai_addr, sizeof address);
  freeaddrinfo(found);
  if (!usable) return NetStart::kHostNotFound;
  address.sin_port = htons(port);
  if (!Open()) return NetStart::kSocketError;
  if (connect(ToNative(handle_), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
      !ConnectPending()) {
    Close();
    return NetStart::kConnectFailed;
  }
  return NetStart::kStarted;
}

NetWait CNetSocket::Wait(bool read, bool write, int milliseconds) noexcept {
  if (!IsOpen()) return NetWait::kFailed;
  const Native s = ToNative(handle_);
  fd_set readSet, writeSet, errorSet;
  FD_ZERO(&readSet);
  FD_ZERO(&writeSet);
  FD_ZERO(&errorSet);
  if (read) FD_SET(s, &readSet);
  if (write) FD_SET(s, &writeSet);
  FD_SET(s, &errorSet);
  timeval wait{};
  wait.tv_sec = milliseconds / 1000;
  wait.tv_usec = (milliseconds % 1000) * 1000;
  const int n = select(static_cast<int>(s + 1), &readSet, &writeSet, &errorSet, &wait);
  if (n < 0) {
#ifndef _WIN32
    if (errno == EINTR) return NetWait::kNotYet;
#endif
    return NetWait::kFailed;
  }
  // Winsock reports a failed connect in the error set; elsewhere that set
  // carries out-of-band data, which this protocol never has.
  if (FD_ISSET(s, &errorSet)) return NetWait::kFailed;
  return n > 0 ? NetWait::kReady : NetWait::kNotYet;
}

NetWait CNetSocket::WaitConnected(int milliseconds) noexcept {
  const NetWait w = Wait(false, true, milliseconds);
  if (w != NetWait::kReady) return w;
  int error = 0;
  socklen_t size = sizeof error;
  if (getsockopt(ToNative(handle_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 ||
      error != 0) {
    return NetWait::kFailed;
  }
  return NetWait::kReady;
}

NetWait CNetSocket::WaitReadable(int milliseconds) noexcept { return Wait(true, false, milliseconds); }
NetWait CNetSocket::WaitWritable(int milliseconds) noexcept { return Wait(false, true, milliseconds); }

long CNetSocket::Send(const void* data, std::size_t length) noexcept {
  if (!IsOpen()) return kNetError;
  if (length == 0) return 0;
  const auto n = send(ToNative(handle_), static_cast<const char*>(data), ChunkLength(length), kSendFlags);
  if (n > 0) return static_cast<long>(n);
  return n < 0 && LastErrorWouldBlock() ? kNetWouldBlock : kNetError;
}

long CNetSocket::Recv(void* out, std::size_t capacity) noexcept {
  if (!IsOpen() || capacity == 0) return kNetError;
  const auto n = recv(ToNative(handle_), static_cast<char*>(out), ChunkLength(capacity), 0);
  if (n > 0) return static_cast<long>(n);
  if (n == 0) return kNetClosed;
  return LastErrorWouldBlock() ? kNetWouldBlock : kNetError;
}

bool CNetSocket::ListenLocal(std::uint16_t* port, int backlog) noexcept {
  if (IsOpen() || !Open()) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(ToNative(handle_), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(ToNative(handle_), backlog) != 0 ||
      getsockname(ToNative(handle_), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    Close();
    return false;
  }
  *port = ntohs(address.sin_port);
  return true;
}

NetWait CNetSocket::Accept(int milliseconds, CNetSocket* client) noexcept {
  const NetWait w = WaitReadable(milliseconds);
  if (w != NetWait::kReady) return w;
  const Native s = accept(ToNative(handle_), nullptr, nullptr);
#ifdef _WIN32
  if (s == INVALID_SOCKET) return NetWait::kNotYet;
#else
  if (s < 0) return NetWait::kNotYet;
  if (s >= FD_SETSIZE) {
    close(s);
    return NetWait::kNotYet;
  }
#endif
  client->Close();
  client->handle_ = static_cast<NetSocketHandle>(s);
  if (!SetNonBlocking(s)) {
    client->Close();
    return NetWait::kFailed;
  }
  return NetWait::kReady;
}

void CNetSocket::Close() noexcept {
  if (!IsOpen()) return;
#ifdef _WIN32
  shutdown(ToNative(handle_), SD_BOTH);
#else
  shutdown(ToNative(handle_), SHUT_RDWR);
#endif
  CloseNative(ToNative(handle_));
  handle_ = kNoSocket;
}
