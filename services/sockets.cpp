// TCP sockets over the POSIX interface: non-blocking connects bounded in time, the
// dual-stack one-client server, and the readiness check with the network time-out.
#include "services/sockets.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "settings/settings_keys.h"
#include "platform/events/messages.h"
#include "services/net_io.h"
#include "services/net_resolve.h"
#include "services/net_wait.h"
#include "services/tls.h"

namespace Sockets {
namespace {

bool MakeNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool AddressOf(int socket, bool peer, std::string& text) {
  if (socket < 0) return false;
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  auto* address = reinterpret_cast<sockaddr*>(&storage);
  if ((peer ? getpeername(socket, address, &length) : getsockname(socket, address, &length)) != 0) return false;
  text = NetResolve::AddressText(address);
  return !text.empty();
}

}  // namespace

State& St() {
  static State state;
  return state;
}

void ResetSockets() { St() = State{}; }

bool NetStartup() {
  ++St().startups;
  return true;
}

void NetCleanup() {
  if (St().startups > 0) --St().startups;
}

int TcpConnect(std::string_view host, uint16_t port) {
  NetResolve::Address address;
  if (!NetResolve::ResolveHost(host, port, address, St().connectLimitMs)) return -1;
  const int64_t deadline = Messages::NowMs() + St().connectLimitMs;
  const int fd = socket(address.family(), SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return -1;
  if (!MakeNonBlocking(fd)) {
    close(fd);
    return -1;
  }
  int result;
  do result = connect(fd, address.get(), address.length);
  while (result != 0 && errno == EINTR);
  if (result != 0 && errno != EINPROGRESS) {
    close(fd);
    return -1;
  }
  if (result != 0) {
    const int64_t left = deadline - Messages::NowMs();
    int error = 0;
    socklen_t length = sizeof error;
    if (left <= 0 || !NetWait::WaitFd(fd, POLLOUT, static_cast<int>(left)) ||
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
      close(fd);
      return -1;
    }
  }
  // Lines of a conversation go out at once rather than waiting to fill a packet.
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  St().networkTimeoutUs = Settings::ReadAurisSettings().timeoutRede;
  return fd;
}

int TcpConnectTls(std::string_view host, uint16_t port) {
  const int fd = TcpConnect(host, port);
  if (fd < 0) return -1;
  if (!Tls::TlsConnect(fd, host)) {
    TcpClose(fd);
    return -1;
  }
  return fd;
}

int TcpListen(uint16_t port) {
  // One socket for IPv4 and IPv6 clients; IPv4 alone where the system has no IPv6.
  int fd = socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  const int on = 1, off = 0;
  if (fd >= 0) {
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    sockaddr_in6 any{};
    any.sin6_family = AF_INET6;
    any.sin6_addr = in6addr_any;
    any.sin6_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
      const int error = errno;
      close(fd);
      fd = -1;
      if (error == EADDRINUSE || error == EACCES) return -1;
    }
  }
  if (fd < 0) {
    fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return -1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
      close(fd);
      return -1;
    }
  }
  if (listen(fd, 3) != 0 || !MakeNonBlocking(fd)) {
    close(fd);
    return -1;
  }
  return fd;
}

int TcpAccept(int listening) {
  if (listening < 0) return -1;
  for (;;) {
    const int fd = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd >= 0) {
      const int on = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      return fd;
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    NetWait::WaitFd(listening, POLLIN, -1);
  }
}

void TcpClose(int socket) {
  if (socket < 0) return;
  Tls::TlsClose(socket);
  close(socket);
}

int NetworkTimeoutMs() {
  const int us = St().networkTimeoutUs;
  return us <= 0 ? 0 : (us + 999) / 1000;
}

bool SocketReadable(int socket) {
  if (socket < 0) return false;
  if (Tls::TlsPending(socket)) return true;
  return NetWait::WaitFd(socket, POLLIN, NetworkTimeoutMs());
}

bool SocketSend(int socket, std::string_view text) {
  return NetIo::NetSend(socket, text.data(), text.size()) > 0;
}

bool SocketSendLine(int socket, std::string_view text) {
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text);
  line.append("\r\n");
  return SocketSend(socket, line);
}

bool LocalAddress(int socket, std::string& text) { return AddressOf(socket, false, text); }
bool PeerAddress(int socket, std::string& text) { return AddressOf(socket, true, text); }

}  // namespace Sockets
