// TCP connections of the system: addresses (numeric texts, name lookups), connecting,
// listening, accepting, and reading and writing that never lets a gone peer end the runtime.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Tcp {

// A socket of the system; kNoSocket: none.
using Socket = int;
inline constexpr Socket kNoSocket = -1;

// An IPv4 or IPv6 address with its port, in the system's own form.
struct Address {
  alignas(8) unsigned char bytes[128] = {};
  unsigned length = 0;  // 0: no address
};

// An address written as numbers: dotted IPv4 (also the short forms "127.1", "0x7f.1"), or
// IPv6 (without brackets). False when the text is not one.
bool ParseNumeric(const std::string& text, uint16_t port, Address& out);
// Whether the text is a strict IPv4 ("192.168.0.1") or IPv6 address text.
bool IsAddressText(const std::string& text);
bool IsIpv6Text(const std::string& text);
// Sets the address's port.
void SetPort(Address& address, uint16_t port);
// Looks the host name up (waits as long as the system's resolver does): its first IPv4
// address, else its first IPv6 one; the port is 0. False when it has none.
bool LookUp(const std::string& host, Address& out);
// Dotted decimal for IPv4 (also for IPv4 reached through IPv6), the colon form for IPv6;
// empty for no address.
std::string AddressText(const Address& address);

// A non-blocking socket whose connection to the address has begun: `pending` when it is
// still being made (the socket becomes writable when it is done); kNoSocket on a failure.
Socket StartConnect(const Address& address, bool& pending);
// Whether the connection StartConnect began was made.
bool Connected(Socket socket);
// A blocking socket connected to 127.0.0.1 at the port, or kNoSocket.
Socket ConnectLoopback(int port);
// Small writes go out at once instead of waiting to fill a packet.
void SendAtOnce(Socket socket);

// A non-blocking socket listening on every local address (IPv4 and IPv6 on one socket;
// IPv4 alone where the system has no IPv6) at the port, or kNoSocket.
Socket ListenAnywhere(uint16_t port);
// A blocking socket listening on 127.0.0.1 at the port (0: a port the system chooses),
// or kNoSocket.
Socket ListenLoopback(int port, int backlog);

enum class Accepted {
  Taken,         // a client's socket (non-blocking)
  Again,         // an interruption or a client gone before it was taken: try at once
  NoneWaiting,   // no client is waiting
  OutOfHandles,  // the system or the runtime can hold no more
  Failed,
};
// Takes a waiting client without waiting; `peer`, when given, receives its address.
Socket Accept(Socket listening, Accepted& outcome, Address* peer = nullptr);

// Read and write results: nothing can move now without waiting.
inline constexpr long kWouldBlock = -2;
// Up to `size` bytes as the socket's mode allows: the count, 0 when the peer closed,
// kWouldBlock, or -1 on an error.
long Receive(Socket socket, void* buffer, std::size_t size);
// The same, never waiting whatever the socket's mode.
long ReceiveNow(Socket socket, void* buffer, std::size_t size);
// Up to `size` bytes: the count, kWouldBlock, or -1 on an error (a gone peer among them).
long Send(Socket socket, const void* bytes, std::size_t size);

// True when the peer has closed its end or the connection failed (no wait).
bool PeerClosed(Socket socket);
void SetNonBlocking(Socket socket);
// Blocking reads and writes; a write that cannot progress for `sendLimitMs` fails.
void SetBlocking(Socket socket, int sendLimitMs);
// The socket's own address or its peer's; false when it has none.
bool LocalAddress(Socket socket, Address& out);
bool PeerAddress(Socket socket, Address& out);
// The port of the socket's own address; 0 when it has none.
int LocalPort(Socket socket);
// Closes the socket; kNoSocket is ignored.
void Close(Socket socket);

// While one lives, writes by libraries to a connection whose peer has gone fail instead of
// ending the runtime (the thread's earlier handling comes back after it).
class BrokenPipesIgnored {
 public:
  BrokenPipesIgnored();
  ~BrokenPipesIgnored();
  BrokenPipesIgnored(const BrokenPipesIgnored&) = delete;
  BrokenPipesIgnored& operator=(const BrokenPipesIgnored&) = delete;
};
// From now on, for the whole process.
void IgnoreBrokenPipes();

}  // namespace Tcp
