// TCP on BSD sockets: getaddrinfo and inet_* for addresses, non-blocking connects and
// accepts, send with MSG_NOSIGNAL, SIGPIPE ignored around library writes.
#include "platform/sockets/tcp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Tcp {
namespace {

static_assert(sizeof(Address::bytes) >= sizeof(sockaddr_storage));

sockaddr* Raw(Address& a) { return reinterpret_cast<sockaddr*>(a.bytes); }
const sockaddr* Raw(const Address& a) { return reinterpret_cast<const sockaddr*>(a.bytes); }

bool MakeNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool AddressOf(Socket socket, bool peer, Address& out) {
  if (socket < 0) return false;
  out = Address{};
  socklen_t length = sizeof(sockaddr_storage);
  if ((peer ? getpeername(socket, Raw(out), &length) : getsockname(socket, Raw(out), &length)) != 0) return false;
  out.length = length;
  return true;
}

long Received(ssize_t n) {
  if (n >= 0) return n;
  return errno == EAGAIN || errno == EWOULDBLOCK ? kWouldBlock : -1;
}

long ReceiveWith(Socket socket, void* buffer, std::size_t size, int flags) {
  for (;;) {
    const ssize_t n = recv(socket, buffer, size, flags);
    if (n < 0 && errno == EINTR) continue;
    return Received(n);
  }
}

sockaddr_in Loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

}  // namespace

bool ParseNumeric(const std::string& text, uint16_t port, Address& out) {
  out = Address{};
  if (text.find(':') != std::string::npos) {
    in6_addr a6{};
    if (inet_pton(AF_INET6, text.c_str(), &a6) != 1) return false;
    auto* sa = reinterpret_cast<sockaddr_in6*>(out.bytes);
    sa->sin6_family = AF_INET6;
    sa->sin6_addr = a6;
    out.length = sizeof(sockaddr_in6);
  } else {
    // inet_aton takes the old short forms ("127.1", "0x7f.1") as scripts may write them.
    in_addr a4{};
    if (text.empty() || text.front() < '0' || text.front() > '9' || inet_aton(text.c_str(), &a4) == 0) return false;
    auto* sa = reinterpret_cast<sockaddr_in*>(out.bytes);
    sa->sin_family = AF_INET;
    sa->sin_addr = a4;
    out.length = sizeof(sockaddr_in);
  }
  SetPort(out, port);
  return true;
}

bool IsAddressText(const std::string& text) {
  unsigned char buf[sizeof(in6_addr)];
  return inet_pton(AF_INET, text.c_str(), buf) == 1 || inet_pton(AF_INET6, text.c_str(), buf) == 1;
}

bool IsIpv6Text(const std::string& text) {
  unsigned char buf[16];
  return inet_pton(AF_INET6, text.c_str(), buf) == 1;
}

void SetPort(Address& a, uint16_t port) {
  const sockaddr* raw = Raw(a);
  if (raw->sa_family == AF_INET) reinterpret_cast<sockaddr_in*>(a.bytes)->sin_port = htons(port);
  else if (raw->sa_family == AF_INET6) reinterpret_cast<sockaddr_in6*>(a.bytes)->sin6_port = htons(port);
}

bool LookUp(const std::string& host, Address& out) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_ADDRCONFIG;
  addrinfo* list = nullptr;
  bool found = false;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &list) == 0) {
    // IPv4 first, as the commands always had; IPv6 when the host has nothing else.
    const addrinfo* chosen = nullptr;
    for (const addrinfo* ai = list; ai && !chosen; ai = ai->ai_next)
      if (ai->ai_family == AF_INET) chosen = ai;
    for (const addrinfo* ai = list; ai && !chosen; ai = ai->ai_next)
      if (ai->ai_family == AF_INET6) chosen = ai;
    if (chosen && chosen->ai_addrlen <= sizeof(sockaddr_storage)) {
      std::memcpy(out.bytes, chosen->ai_addr, chosen->ai_addrlen);
      out.length = chosen->ai_addrlen;
      found = true;
    }
    freeaddrinfo(list);
  }
  return found;
}

std::string AddressText(const Address& address) {
  const sockaddr* raw = Raw(address);
  char text[INET6_ADDRSTRLEN] = {};
  if (raw->sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(raw)->sin_addr, text, sizeof text);
  } else if (raw->sa_family == AF_INET6) {
    const in6_addr& a = reinterpret_cast<const sockaddr_in6*>(raw)->sin6_addr;
    if (IN6_IS_ADDR_V4MAPPED(&a)) inet_ntop(AF_INET, &a.s6_addr[12], text, sizeof text);
    else inet_ntop(AF_INET6, &a, text, sizeof text);
  }
  return text;
}

Socket StartConnect(const Address& address, bool& pending) {
  pending = false;
  const int fd = socket(Raw(address)->sa_family, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return kNoSocket;
  if (!MakeNonBlocking(fd)) {
    close(fd);
    return kNoSocket;
  }
  int result;
  do result = connect(fd, Raw(address), address.length);
  while (result != 0 && errno == EINTR);
  if (result != 0 && errno != EINPROGRESS) {
    close(fd);
    return kNoSocket;
  }
  pending = result != 0;
  return fd;
}

bool Connected(Socket socket) {
  int error = 0;
  socklen_t length = sizeof error;
  return getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

Socket ConnectLoopback(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  const sockaddr_in a = Loopback(port);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return kNoSocket;
  }
  return fd;
}

void SendAtOnce(Socket socket) {
  const int on = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

Socket ListenAnywhere(uint16_t port) {
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
      if (error == EADDRINUSE || error == EACCES) return kNoSocket;
    }
  }
  if (fd < 0) {
    fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return kNoSocket;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
      close(fd);
      return kNoSocket;
    }
  }
  if (listen(fd, 3) != 0 || !MakeNonBlocking(fd)) {
    close(fd);
    return kNoSocket;
  }
  return fd;
}

Socket ListenLoopback(int port, int backlog) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  const sockaddr_in a = Loopback(port);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || listen(fd, backlog) != 0) {
    close(fd);
    return kNoSocket;
  }
  return fd;
}

Socket Accept(Socket listening, Accepted& outcome, Address* peer) {
  Address ignored;
  Address& address = peer != nullptr ? *peer : ignored;
  address = Address{};
  socklen_t length = sizeof(sockaddr_storage);
  const int fd = accept4(listening, Raw(address), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd >= 0) {
    address.length = length;
    outcome = Accepted::Taken;
    return fd;
  }
  if (errno == EINTR || errno == ECONNABORTED) outcome = Accepted::Again;
  else if (errno == EAGAIN || errno == EWOULDBLOCK) outcome = Accepted::NoneWaiting;
  else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) outcome = Accepted::OutOfHandles;
  else outcome = Accepted::Failed;
  return kNoSocket;
}

long Receive(Socket socket, void* buffer, std::size_t size) { return ReceiveWith(socket, buffer, size, 0); }

long ReceiveNow(Socket socket, void* buffer, std::size_t size) {
  return ReceiveWith(socket, buffer, size, MSG_DONTWAIT);
}

long Send(Socket socket, const void* bytes, std::size_t size) {
  for (;;) {
    const ssize_t n = send(socket, bytes, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    return Received(n);
  }
}

bool PeerClosed(Socket socket) {
  pollfd p{socket, POLLRDHUP, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

void SetNonBlocking(Socket socket) { MakeNonBlocking(socket); }

void SetBlocking(Socket socket, int sendLimitMs) {
  const int flags = fcntl(socket, F_GETFL);
  if (flags >= 0) fcntl(socket, F_SETFL, flags & ~O_NONBLOCK);
  timeval sendTime{sendLimitMs / 1000, (sendLimitMs % 1000) * 1000};
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &sendTime, sizeof sendTime);
}

bool LocalAddress(Socket socket, Address& out) { return AddressOf(socket, false, out); }
bool PeerAddress(Socket socket, Address& out) { return AddressOf(socket, true, out); }

int LocalPort(Socket socket) {
  Address a;
  if (!LocalAddress(socket, a)) return 0;
  const sockaddr* raw = Raw(a);
  if (raw->sa_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(raw)->sin_port);
  if (raw->sa_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6*>(raw)->sin6_port);
  return 0;
}

void Close(Socket socket) {
  if (socket >= 0) close(socket);
}

namespace {

// The disposition of SIGPIPE before the outermost guard of this thread.
thread_local int gGuards = 0;
thread_local struct sigaction gSaved {};

}  // namespace

BrokenPipesIgnored::BrokenPipesIgnored() {
  if (gGuards++ > 0) return;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &gSaved);
}

BrokenPipesIgnored::~BrokenPipesIgnored() {
  if (--gGuards == 0) sigaction(SIGPIPE, &gSaved, nullptr);
}

void IgnoreBrokenPipes() { signal(SIGPIPE, SIG_IGN); }

}  // namespace Tcp
