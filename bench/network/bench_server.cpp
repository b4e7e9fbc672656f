// The benchmark's web server: answers every GET of "/N" with N bytes (Content-Length set)
// from a buffer in memory, over plain TCP or TLS, one thread per connection, on 127.0.0.1
// at a free port that it prints as "PORT n". It ends when its standard input closes.
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

SSL_CTX* context = nullptr;
std::vector<char> block(1 << 20);

bool WriteAll(int fd, SSL* ssl, const char* p, std::size_t n) {
  while (n > 0) {
    const int chunk = n > (1u << 20) ? (1 << 20) : static_cast<int>(n);
    const long w = ssl ? SSL_write(ssl, p, chunk) : send(fd, p, static_cast<std::size_t>(chunk), MSG_NOSIGNAL);
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

void Serve(int fd) {
  SSL* ssl = nullptr;
  if (context) {
    ssl = SSL_new(context);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) != 1) {
      SSL_free(ssl);
      close(fd);
      return;
    }
  }
  std::string request;
  char buf[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    const long n = ssl ? SSL_read(ssl, buf, sizeof buf) : recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    request.append(buf, static_cast<std::size_t>(n));
  }
  const std::size_t slash = request.find('/');
  const unsigned long long size = slash == std::string::npos ? 0 : std::strtoull(request.c_str() + slash + 1, nullptr, 10);
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                           std::to_string(size) + "\r\nConnection: close\r\n\r\n";
  if (WriteAll(fd, ssl, head.data(), head.size())) {
    for (unsigned long long left = size; left > 0;) {
      const std::size_t n = left < block.size() ? static_cast<std::size_t>(left) : block.size();
      if (!WriteAll(fd, ssl, block.data(), n)) break;
      left -= n;
    }
  }
  if (ssl) {
    SSL_shutdown(ssl);
    SSL_free(ssl);
  }
  close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7 + (i >> 8));
  if (argc == 3) {
    context = SSL_CTX_new(TLS_server_method());
    if (!context || SSL_CTX_use_certificate_chain_file(context, argv[1]) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, argv[2], SSL_FILETYPE_PEM) != 1) {
      std::fprintf(stderr, "bench_server: cannot load the certificate\n");
      return 1;
    }
  }
  const int listening = socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(listening, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listening, 16) != 0 ||
      getsockname(listening, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    return 1;
  std::printf("PORT %d\n", ntohs(a.sin_port));
  std::fflush(stdout);
  for (;;) {
    pollfd p[2] = {{listening, POLLIN, 0}, {0, POLLIN, 0}};
    poll(p, 2, -1);
    if (p[1].revents) return 0;  // standard input closed: the benchmark is over
    if (p[0].revents) {
      const int fd = accept(listening, nullptr, nullptr);
      if (fd >= 0) std::thread(Serve, fd).detach();
    }
  }
}
