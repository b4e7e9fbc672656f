// Plain receive and send on non-blocking sockets, and the dispatch to the TLS link.
#include "services/net_io.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "services/net_wait.h"
#include "services/sockets.h"
#include "services/tls.h"

namespace NetIo {

long NetRecv(int socket, void* buffer, std::size_t size, const std::function<bool()>& giveUp) {
  if (socket < 0) return -1;
  if (Tls::TlsActive(socket)) return Tls::TlsRead(socket, buffer, size, giveUp);
  for (;;) {
    const ssize_t n = recv(socket, buffer, size, 0);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    if (!NetWait::WaitFd(socket, POLLIN, -1, giveUp)) return kGaveUp;
  }
}

long NetSend(int socket, const void* bytes, std::size_t length) {
  if (socket < 0) return -1;
  if (Tls::TlsActive(socket)) return Tls::TlsWrite(socket, bytes, length);
  const auto* p = static_cast<const char*>(bytes);
  std::size_t sent = 0;
  while (sent < length) {
    const ssize_t n = send(socket, p + sent, length - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
        NetWait::WaitFd(socket, POLLOUT, Sockets::kSendStallLimitMs))
      continue;
    break;
  }
  return sent > 0 || length == 0 ? static_cast<long>(sent) : -1;
}

}  // namespace NetIo
