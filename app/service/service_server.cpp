// One thread per connection; the main loop accepts and watches the leases. The shared state
// (leases, connections in progress, the short-link table) is kept under one mutex.
#include "app/service/service_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>

#include "app/service/child_capture.h"
#include "app/service/http_text.h"
#include "app/service/search_answer.h"
#include "app/service/short_links.h"
#include "platform/paths.h"

namespace LocalService {

namespace {

constexpr std::size_t kMaxRequestHead = 16384;
constexpr int kRequestReadMs = 10000;
constexpr std::size_t kMaxDownloaderOutput = 4 << 20;

struct ServerState {
  std::mutex mutex;
  std::condition_variable changed;
  int leases = 0;
  bool everLeased = false;
  int connections = 0;
  std::chrono::steady_clock::time_point lastLeaseEnd;
  Options options;
  int port = 0;
};

ServerState* gState = nullptr;

bool SendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void SendResponse(int fd, std::string_view status, std::string_view type, std::string_view body,
                  std::string_view extraHeader = {}) {
  std::string head = "HTTP/1.1 " + std::string(status) + "\r\n";
  if (!type.empty()) head += "Content-Type: " + std::string(type) + "\r\n";
  head += extraHeader;
  head += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  SendAll(fd, head);
  SendAll(fd, body);
}

// The request head up to its empty line; false when it does not come in time or is too long.
bool ReadHead(int fd, std::string& head) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestReadMs);
  char buffer[2048];
  while (head.find("\r\n\r\n") == std::string::npos && head.find("\n\n") == std::string::npos) {
    if (head.size() > kMaxRequestHead) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    head.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

std::string Search(std::string_view query) {
  const SearchAnswer::Request request = SearchAnswer::ParseQuery(query);
  if (request.text.empty()) return {};
  // Found anew for every search: the user may update or replace the downloader meanwhile.
  std::string downloader, folder;
  {
    std::lock_guard lock(gState->mutex);  // the path module is not shared between threads
    downloader = Paths::ToHost("c:\\clipora-light\\youtube-dl.exe");
    folder = Paths::ToHost("c:\\clipora-light");
  }
  SearchAnswer::Outcome outcome;
  outcome.found = !downloader.empty() && access(downloader.c_str(), F_OK) == 0;
  if (!outcome.found) return SearchAnswer::Answer(outcome, "");
  const ChildCapture::Result run = ChildCapture::Run(downloader, SearchAnswer::DownloaderArguments(request), folder,
                                                     gState->options.searchTimeoutMs, kMaxDownloaderOutput);
  outcome.started = run.started;
  outcome.timedOut = run.timedOut;
  outcome.exitStatus = run.exitStatus;
  outcome.errors = run.errors;
  return SearchAnswer::Answer(outcome, run.output);
}

std::string ShortLinkPage(std::string_view query) {
  std::string address = HttpText::PercentDecode(HttpText::QueryValue(query, "url"), false);
  for (char& c : address)
    if (static_cast<unsigned char>(c) < ' ' || c == '<' || c == '>' || c == '"') c = '_';
  long number;
  int port;
  {
    std::lock_guard lock(gState->mutex);
    number = ShortLinks::Add(address);
    port = gState->port;
  }
  return "<html><body>\n<div class=\"indent\"><b>http://127.0.0.1:" + std::to_string(port) + kLinkPrefix +
         std::to_string(number) + "</b></div>\n</body></html>\n";
}

// A lease: the answer says who we are; the connection then stays open until its holder
// closes it (or ends).
void HoldLease(int fd) {
  {
    std::lock_guard lock(gState->mutex);
    ++gState->leases;
    gState->everLeased = true;
  }
  const std::string body = std::string(kIdentity) + " " + gState->options.driveC + "\n";
  SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body);
  char buffer[256];
  for (;;) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
  }
  std::lock_guard lock(gState->mutex);
  --gState->leases;
  gState->lastLeaseEnd = std::chrono::steady_clock::now();
  gState->changed.notify_all();
}

void Answer(int fd) {
  std::string head;
  if (!ReadHead(fd, head)) return;
  const std::size_t lineEnd = head.find_first_of("\r\n");
  const std::string_view requestLine = std::string_view(head).substr(0, lineEnd);
  const std::size_t s1 = requestLine.find(' ');
  const std::size_t s2 = requestLine.find(' ', s1 == std::string_view::npos ? s1 : s1 + 1);
  if (s1 == std::string_view::npos) {
    SendResponse(fd, "400 Bad Request", "text/plain", "");
    return;
  }
  const std::string_view method = requestLine.substr(0, s1);
  const std::string_view target = requestLine.substr(s1 + 1, s2 == std::string_view::npos ? s2 : s2 - s1 - 1);
  if (method != "GET" && method != "HEAD") {
    SendResponse(fd, "405 Method Not Allowed", "text/plain", "");
    return;
  }
  std::string path, query;
  HttpText::SplitTarget(target, path, query);
  if (path == kLeasePath) {
    HoldLease(fd);
  } else if (path == kSearchPath) {
    SendResponse(fd, "200 OK", "text/plain; charset=utf-8", Search(query));
  } else if (path == kShortLinkPath) {
    SendResponse(fd, "200 OK", "text/html; charset=utf-8", ShortLinkPage(query));
  } else if (path.starts_with(kLinkPrefix)) {
    std::string address;
    {
      std::lock_guard lock(gState->mutex);
      address = ShortLinks::Find(std::string_view(path).substr(std::strlen(kLinkPrefix)));
    }
    if (address.empty()) SendResponse(fd, "404 Not Found", "text/plain", "");
    else SendResponse(fd, "302 Found", "", "", "Location: " + address + "\r\n");
  } else {
    SendResponse(fd, "404 Not Found", "text/plain", "");
  }
}

void Connection(int fd) {
  Answer(fd);
  close(fd);
  std::lock_guard lock(gState->mutex);
  --gState->connections;
  gState->changed.notify_all();
}

bool TimeToGo(const ServerState& s, std::chrono::steady_clock::time_point started) {
  const auto now = std::chrono::steady_clock::now();
  if (s.leases > 0) return false;
  if (!s.everLeased) return now - started >= std::chrono::milliseconds(s.options.firstLeaseMs);
  return now - s.lastLeaseEnd >= std::chrono::milliseconds(s.options.idleExitMs);
}

}  // namespace

void Serve(const Options& options) {
  ServerState state;
  state.options = options;
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(options.listenFd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    state.port = ntohs(address.sin_port);
  gState = &state;
  ShortLinks::Reset();
  const auto started = std::chrono::steady_clock::now();
  for (;;) {
    {
      std::lock_guard lock(state.mutex);
      if (TimeToGo(state, started)) break;
    }
    pollfd p{options.listenFd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    const int fd = accept4(options.listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    {
      std::lock_guard lock(state.mutex);
      ++state.connections;
    }
    std::thread(Connection, fd).detach();
  }
  close(options.listenFd);
  std::unique_lock lock(state.mutex);
  state.changed.wait(lock, [&] { return state.connections == 0; });
  gState = nullptr;
}

int ServiceMain(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    if (flag == "--fd") options.listenFd = std::atoi(argv[i + 1]);
    else if (flag == "--c") options.driveC = argv[i + 1];
  }
  if (options.listenFd < 0 || options.driveC.empty()) return 2;
  // The downloader is found on the drive C of the instance that started the service.
  setenv("FONIX_DRIVE_C", options.driveC.c_str(), 1);
  Paths::ResetPaths();
  signal(SIGPIPE, SIG_IGN);
  Serve(options);
  return 0;
}

}  // namespace LocalService
