// Test support: a small HTTP/1.1 server on 127.0.0.1 of one file (at /NAME, the file's own
// name; anything else is 404) that honours Range requests, as media servers do, and can
// misbehave on demand: never answer, or stop sending part-way
// and refuse to go on. It records every request's Range and User-Agent.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HttpFileServer {
 public:
  enum class Behaviour { Normal, NeverAnswer, StopPartWay };

  // StopPartWay sends `bytesPerSecond` (0: as fast as it can) and cuts the stream after
  // `stopFraction` of the file.
  HttpFileServer(const std::string& file, Behaviour behaviour = Behaviour::Normal, double stopFraction = 0.5,
                 std::size_t bytesPerSecond = 0)
      : behaviour_(behaviour), bytesPerSecond_(bytesPerSecond) {
    name_ = "/" + file.substr(file.find_last_of('/') + 1);
    std::ifstream in(file, std::ios::binary);
    body_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    stopAt_ = static_cast<std::size_t>(double(body_.size()) * stopFraction);
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listen_, 16) != 0) return;
    socklen_t len = sizeof addr;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~HttpFileServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (auto& t : clients_) t.join();
    if (listen_ >= 0) close(listen_);
  }

  int Port() const { return port_; }
  std::string Url(const std::string& name) const { return "http://127.0.0.1:" + std::to_string(port_) + "/" + name; }
  std::vector<std::string> Ranges() {
    std::lock_guard<std::mutex> guard(lock_);
    return ranges_;
  }
  std::vector<std::string> Agents() {
    std::lock_guard<std::mutex> guard(lock_);
    return agents_;
  }
  int Requests() {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(agents_.size());
  }

 private:
  void Serve() {
    while (!stop_) {
      pollfd p{listen_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      clients_.emplace_back([this, fd] {
        Handle(fd);
        close(fd);
      });
    }
  }

  // Reads the request head; empty when the client went away or the server stops.
  std::string ReadHead(int fd) {
    std::string head;
    while (!stop_ && head.find("\r\n\r\n") == std::string::npos) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char buf[1024];
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n <= 0) return {};
      head.append(buf, static_cast<std::size_t>(n));
    }
    return head;
  }

  static std::string Header(const std::string& head, const std::string& name) {
    std::string lower = head;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t at = lower.find("\r\n" + name + ":");
    if (at == std::string::npos) return {};
    std::size_t from = at + 3 + name.size();
    while (from < head.size() && head[from] == ' ') ++from;
    return head.substr(from, head.find("\r\n", from) - from);
  }

  bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0 && !stop_) {
      pollfd p{fd, POLLOUT, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return size == 0;
  }

  bool SendPaced(int fd, const char* data, std::size_t size) {
    if (bytesPerSecond_ == 0) return SendAll(fd, data, size);
    const std::size_t piece = bytesPerSecond_ / 50;
    for (std::size_t at = 0; at < size && !stop_; at += piece) {
      if (!SendAll(fd, data + at, std::min(piece, size - at))) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !stop_;
  }

  void Handle(int fd) {
    for (;;) {
      const std::string head = ReadHead(fd);
      if (head.empty()) return;
      const std::string range = Header(head, "range");
      {
        std::lock_guard<std::mutex> guard(lock_);
        ranges_.push_back(range);
        agents_.push_back(Header(head, "user-agent"));
      }
      if (behaviour_ == Behaviour::NeverAnswer) {
        while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return;
      }
      // Once the stream was cut, the server is gone for good.
      if (behaviour_ == Behaviour::StopPartWay && cut_) return;
      const std::size_t pathStart = head.find(' ') + 1;
      if (head.substr(pathStart, head.find(' ', pathStart) - pathStart) != name_) {
        const std::string h = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
        if (!SendAll(fd, h.data(), h.size())) return;
        continue;
      }
      std::size_t from = 0, to = body_.size() - 1;
      const bool partial = range.rfind("bytes=", 0) == 0;
      if (partial) {
        const std::string bounds = range.substr(6);
        from = std::stoull(bounds.substr(0, bounds.find('-')));
        const std::string end = bounds.substr(bounds.find('-') + 1);
        if (!end.empty()) to = std::min<std::size_t>(std::stoull(end), body_.size() - 1);
        if (from >= body_.size()) {
          const std::string h = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" +
                                std::to_string(body_.size()) + "\r\nContent-Length: 0\r\n\r\n";
          if (!SendAll(fd, h.data(), h.size())) return;
          continue;
        }
      }
      std::string h = partial ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
      h += "Content-Type: application/octet-stream\r\nAccept-Ranges: bytes\r\nContent-Length: " +
           std::to_string(to - from + 1) + "\r\n";
      if (partial)
        h += "Content-Range: bytes " + std::to_string(from) + "-" + std::to_string(to) + "/" +
             std::to_string(body_.size()) + "\r\n";
      h += "\r\n";
      if (!SendAll(fd, h.data(), h.size())) return;
      std::size_t end = to + 1;
      if (behaviour_ == Behaviour::StopPartWay && end > stopAt_) {
        end = std::max(from, stopAt_);
        cut_ = true;
      }
      if (!SendPaced(fd, body_.data() + from, end - from)) return;
      if (cut_) return;
    }
  }

  Behaviour behaviour_;
  std::size_t bytesPerSecond_ = 0;
  std::string name_;
  std::vector<char> body_;
  std::size_t stopAt_ = 0;
  std::atomic<bool> cut_{false};
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::vector<std::thread> clients_;  // touched by the accepting thread only, joined after it
  std::mutex lock_;
  std::vector<std::string> ranges_, agents_;
};
