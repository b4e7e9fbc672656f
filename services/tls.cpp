// TLS links over OpenSSL 3 on non-blocking sockets: the handshake waits for the socket
// while messages are pumped; reads and writes retry as the library asks.
#include "services/tls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <string>

#include "console/console.h"
#include "settings/settings_keys.h"
#include "platform/events/messages.h"
#include "platform/sockets/tcp.h"
#include "services/net_io.h"
#include "services/net_wait.h"
#include "services/sockets.h"

namespace Tls {
namespace {

// The library writes to the socket itself; a peer that has gone must give an error, not
// the signal that would end the program. Children are never started inside these calls,
// so the signal's disposition is only changed for their duration.
using SigpipeGuard = Tcp::BrokenPipesIgnored;

bool IsNumericHost(const std::string& name) { return Tcp::IsAddressText(name); }

SSL_CTX* Context() {
  State& s = St();
  if (s.context) return s.context;
  SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
  if (!ctx) return nullptr;
  // The system's trusted authorities; SSL_CERT_FILE and SSL_CERT_DIR replace them.
  SSL_CTX_set_default_verify_paths(ctx);
  // A server that closes without the TLS goodbye ends the data like a plain close; the
  // HTTP length checks catch a body cut short.
  SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
  SSL_CTX_set_mode(ctx, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  // Whole records are read as they come, fewer reads of the socket for a long body.
  SSL_CTX_set_read_ahead(ctx, 1);
  s.context = ctx;
  return ctx;
}

SSL* Link(int socket) {
  const State& s = St();
  const auto it = s.links.find(socket);
  return it == s.links.end() ? nullptr : it->second;
}

void FreeLink(SSL* ssl) {
  const SigpipeGuard guard;
  SSL_shutdown(ssl);  // sends our goodbye; the peer's is not awaited
  SSL_free(ssl);
}

void FreeContextWhenUnused() {
  State& s = St();
  if (s.links.empty() && s.context) {
    SSL_CTX_free(s.context);
    s.context = nullptr;
  }
}

}  // namespace

// Links still open when the program ends are left to the system, as its sockets are: the
// state is never destroyed, so nothing calls into the library after its own clean-up.
State& St() {
  static State* const state = new State;
  return *state;
}

void ResetTls() {
  State& s = St();
  for (auto& [socket, ssl] : s.links) SSL_free(ssl);
  s.links.clear();
  FreeContextWhenUnused();
  s.lastUntrusted = false;
  s.lastPeer.clear();
}

bool TlsConnect(int socket, std::string_view serverName) {
  State& s = St();
  s.lastUntrusted = false;
  s.lastPeer.assign(serverName);
  // A socket that already carries a link starts over with a new one.
  if (SSL* old = Link(socket)) {
    s.links.erase(socket);
    FreeLink(old);
  }
  SSL_CTX* ctx = Context();
  if (!ctx || socket < 0) return false;
  SSL* ssl = SSL_new(ctx);
  if (!ssl) {
    FreeContextWhenUnused();
    return false;
  }
  const std::string name(serverName);
  const bool verify = Settings::ReadAurisSettings().verificaSsl;
  bool ok = SSL_set_fd(ssl, socket) == 1;
  if (ok && !name.empty() && !IsNumericHost(name)) ok = SSL_set_tlsext_host_name(ssl, name.c_str()) == 1;
  if (ok && verify) {
    SSL_set_verify(ssl, SSL_VERIFY_PEER, nullptr);
    if (IsNumericHost(name)) ok = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), name.c_str()) == 1;
    else ok = SSL_set1_host(ssl, name.c_str()) == 1;
  } else if (ok) {
    SSL_set_verify(ssl, SSL_VERIFY_NONE, nullptr);
  }
  const int64_t deadline = Messages::NowMs() + Sockets::St().connectLimitMs;
  while (ok) {
    ERR_clear_error();
    int result;
    {
      const SigpipeGuard guard;
      result = SSL_connect(ssl);
    }
    if (result == 1) break;
    const int error = SSL_get_error(ssl, result);
    const int64_t left = deadline - Messages::NowMs();
    if (left <= 0) ok = false;
    else if (error == SSL_ERROR_WANT_READ) ok = NetWait::WaitFd(socket, Readiness::kReadable, static_cast<int>(left));
    else if (error == SSL_ERROR_WANT_WRITE) ok = NetWait::WaitFd(socket, Readiness::kWritable, static_cast<int>(left));
    else ok = false;
  }
  if (!ok) {
    s.lastUntrusted = verify && SSL_get_verify_result(ssl) != X509_V_OK;
    SSL_free(ssl);
    ERR_clear_error();
    FreeContextWhenUnused();
    return false;
  }
  s.links[socket] = ssl;
  return true;
}

void TlsClose(int socket) {
  State& s = St();
  SSL* ssl = Link(socket);
  if (!ssl) return;
  s.links.erase(socket);
  FreeLink(ssl);
  FreeContextWhenUnused();
}

bool TlsActive(int socket) { return Link(socket) != nullptr; }

bool TlsPending(int socket) {
  // Records read ahead but not yet decrypted count too: the socket has nothing more to say
  // about them.
  SSL* ssl = Link(socket);
  return ssl && SSL_has_pending(ssl) == 1;
}

long TlsRead(int socket, void* buffer, std::size_t size, const std::function<bool()>& giveUp) {
  SSL* ssl = Link(socket);
  if (!ssl) return -1;
  if (size == 0) return 0;
  const int want = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
  for (;;) {
    ERR_clear_error();
    int n;
    {
      const SigpipeGuard guard;
      n = SSL_read(ssl, buffer, want);
    }
    if (n > 0) return n;
    const int error = SSL_get_error(ssl, n);
    if (error == SSL_ERROR_WANT_READ) {
      if (!NetWait::WaitFd(socket, Readiness::kReadable, -1, giveUp)) return NetIo::kGaveUp;
    } else if (error == SSL_ERROR_WANT_WRITE) {
      if (!NetWait::WaitFd(socket, Readiness::kWritable, -1, giveUp)) return NetIo::kGaveUp;
    } else if (error == SSL_ERROR_ZERO_RETURN || error == SSL_ERROR_SYSCALL) {
      ERR_clear_error();
      return -1;  // the peer closed, or the connection broke
    } else {
      Console::StdoutWrite("Erro SSL: " + std::to_string(error) + "\r\n");
      ERR_clear_error();
      return -1;
    }
  }
}

long TlsWrite(int socket, const void* bytes, std::size_t length) {
  SSL* ssl = Link(socket);
  if (!ssl) return -1;
  const auto* p = static_cast<const char*>(bytes);
  std::size_t sent = 0;
  while (sent < length) {
    const std::size_t left = length - sent;
    const int chunk = left > 0x40000000 ? 0x40000000 : static_cast<int>(left);
    ERR_clear_error();
    int n;
    {
      const SigpipeGuard guard;
      n = SSL_write(ssl, p + sent, chunk);
    }
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    const int error = SSL_get_error(ssl, n);
    const int limit = Sockets::kSendStallLimitMs;
    if (error == SSL_ERROR_WANT_WRITE && NetWait::WaitFd(socket, Readiness::kWritable, limit)) continue;
    if (error == SSL_ERROR_WANT_READ && NetWait::WaitFd(socket, Readiness::kReadable, limit)) continue;
    ERR_clear_error();
    break;
  }
  return sent > 0 || length == 0 ? static_cast<long>(sent) : -1;
}

}  // namespace Tls
