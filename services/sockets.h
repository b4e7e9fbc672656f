// TCP sockets of the network commands and the web download: start-up and clean-up, client
// connections (plain or TLS), the one-client server, readiness checks and sends. Every
// wait pumps the window's messages, and connects give up after kConnectLimitMs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Sockets {

// Longest wait for a connection to be made (the name lookup and the TLS handshake each
// have the same limit).
inline constexpr int kConnectLimitMs = 30000;
// Longest wait for a send that makes no progress (the peer reads nothing).
inline constexpr int kSendStallLimitMs = 30000;

struct State {
  // The wait of one readiness check, in microseconds: 0 until the first connect, then
  // TIMEOUT_REDE of section AURIS (20000 when absent or no number).
  int networkTimeoutUs = 0;
  int startups = 0;  // NetStartup calls not yet matched by NetCleanup
  // The limits of a connect (lookup and connection each) and of a TLS handshake; tests
  // shorten them.
  int connectLimitMs = kConnectLimitMs;
};
State& St();
void ResetSockets();

// The socket library needs no start on this system; the calls are counted for symmetry.
bool NetStartup();
void NetCleanup();

// A connected socket (non-blocking; use the operations here and NetRecv/NetSend), or -1
// when the host does not resolve, the connection is refused or the time limit passes.
int TcpConnect(std::string_view host, uint16_t port);
// The same with a TLS link whose peer is `host`; -1 also when the handshake fails.
int TcpConnectTls(std::string_view host, uint16_t port);
// A socket listening on every local address (IPv4 and IPv6) at the port, or -1.
int TcpListen(uint16_t port);
// Waits (pumping messages, without a time limit) for one client; its socket or -1.
int TcpAccept(int listening);
// Closes the socket and the TLS link it carries; negative sockets are ignored.
void TcpClose(int socket);

// Data can be read now or arrives within the network time-out (decrypted bytes waiting in
// the TLS link count). Messages are pumped.
bool SocketReadable(int socket);
// Sends all the bytes (waiting while the peer's window is full); true when any went out.
bool SocketSend(int socket, std::string_view text);
bool SocketSendLine(int socket, std::string_view text);

// "192.168.0.10" (or an IPv6 text) of the socket's own end or of its peer; false when
// the socket has none.
bool LocalAddress(int socket, std::string& text);
bool PeerAddress(int socket, std::string& text);

// The network time-out of one readiness check, in milliseconds (rounded up).
int NetworkTimeoutMs();

}  // namespace Sockets
