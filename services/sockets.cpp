// TCP sockets of the scripts over the system's: non-blocking connects bounded in time, the
// dual-stack one-client server, and the readiness check with the network time-out.
#include "services/sockets.h"

#include "settings/settings_keys.h"
#include "platform/events/messages.h"
#include "platform/sockets/tcp.h"
#include "services/net_io.h"
#include "services/net_resolve.h"
#include "services/net_wait.h"
#include "services/tls.h"

namespace Sockets {
namespace {

bool AddressOf(int socket, bool peer, std::string& text) {
  Tcp::Address address;
  if (!(peer ? Tcp::PeerAddress(socket, address) : Tcp::LocalAddress(socket, address))) return false;
  text = Tcp::AddressText(address);
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
  bool pending = false;
  const int fd = Tcp::StartConnect(address.system, pending);
  if (fd < 0) return -1;
  if (pending) {
    const int64_t left = deadline - Messages::NowMs();
    if (left <= 0 || !NetWait::WaitFd(fd, Readiness::kWritable, static_cast<int>(left)) || !Tcp::Connected(fd)) {
      Tcp::Close(fd);
      return -1;
    }
  }
  // Lines of a conversation go out at once rather than waiting to fill a packet.
  Tcp::SendAtOnce(fd);
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
  return Tcp::ListenAnywhere(port);
}

int TcpAccept(int listening) {
  if (listening < 0) return -1;
  for (;;) {
    Tcp::Accepted outcome;
    const int fd = Tcp::Accept(listening, outcome);
    if (fd >= 0) {
      Tcp::SendAtOnce(fd);
      return fd;
    }
    if (outcome == Tcp::Accepted::Again) continue;
    if (outcome != Tcp::Accepted::NoneWaiting) return -1;
    NetWait::WaitFd(listening, Readiness::kReadable, -1);
  }
}

void TcpClose(int socket) {
  if (socket < 0) return;
  Tls::TlsClose(socket);
  Tcp::Close(socket);
}

int NetworkTimeoutMs() {
  const int us = St().networkTimeoutUs;
  return us <= 0 ? 0 : (us + 999) / 1000;
}

bool SocketReadable(int socket) {
  if (socket < 0) return false;
  if (Tls::TlsPending(socket)) return true;
  return NetWait::WaitFd(socket, Readiness::kReadable, NetworkTimeoutMs());
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
