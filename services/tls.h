// The TLS side of client connections (OpenSSL 3): the handshake on a connected socket with
// the peer's certificate verified against the system's trusted authorities and its name,
// and the encrypted reads and writes that NetRecv and NetSend hand over for that socket.
// Each socket carries its own TLS link; all links share one library context.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

struct ssl_st;
struct ssl_ctx_st;

namespace Tls {

struct State {
  ssl_ctx_st* context = nullptr;   // made on the first handshake, freed with the last link
  std::map<int, ssl_st*> links;    // socket -> its TLS link
  // The last handshake failed because the peer's certificate was not trusted for its name.
  bool lastUntrusted = false;
  std::string lastPeer;            // the name that handshake was for
};
State& St();
// Frees every link and the context (tests).
void ResetTls();

// Runs the client handshake on the connected socket: the server name is sent (SNI, for
// names), and unless VERIFICASSL of section AURIS says no, the certificate must chain to a
// trusted authority (the system's store, or SSL_CERT_FILE / SSL_CERT_DIR) and match the
// name. False when the handshake fails or takes longer than Sockets::St().connectLimitMs.
bool TlsConnect(int socket, std::string_view serverName);
// Shuts the socket's link down and frees it (nothing when it has none).
void TlsClose(int socket);
// The socket carries an established link.
bool TlsActive(int socket);
// The socket's link holds decrypted bytes not yet read.
bool TlsPending(int socket);

// Read and write of NetRecv / NetSend on a socket that carries a link. Results as NetRecv
// and NetSend give them (services/net_io.h).
long TlsRead(int socket, void* buffer, std::size_t size, const std::function<bool()>& giveUp);
long TlsWrite(int socket, const void* bytes, std::size_t length);

}  // namespace Tls
