// Plain receive and send on non-blocking sockets, and the dispatch to the TLS link.
#include "services/net_io.h"

#include "platform/sockets/tcp.h"
#include "services/net_wait.h"
#include "services/sockets.h"
#include "services/tls.h"

namespace NetIo {

long NetRecv(int socket, void* buffer, std::size_t size, const std::function<bool()>& giveUp) {
  if (socket < 0) return -1;
  if (Tls::TlsActive(socket)) return Tls::TlsRead(socket, buffer, size, giveUp);
  for (;;) {
    const long n = Tcp::Receive(socket, buffer, size);
    if (n >= 0) return n;
    if (n != Tcp::kWouldBlock) return -1;
    if (!NetWait::WaitFd(socket, Readiness::kReadable, -1, giveUp)) return kGaveUp;
  }
}

long NetSend(int socket, const void* bytes, std::size_t length) {
  if (socket < 0) return -1;
  if (Tls::TlsActive(socket)) return Tls::TlsWrite(socket, bytes, length);
  const auto* p = static_cast<const char*>(bytes);
  std::size_t sent = 0;
  while (sent < length) {
    const long n = Tcp::Send(socket, p + sent, length - sent);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n == Tcp::kWouldBlock && NetWait::WaitFd(socket, Readiness::kWritable, Sockets::kSendStallLimitMs))
      continue;
    break;
  }
  return sent > 0 || length == 0 ? static_cast<long>(sent) : -1;
}

}  // namespace NetIo
