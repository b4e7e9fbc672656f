// One thread watches every connection with one readiness wait: it accepts, reads each request head within a
// deadline, answers the quick requests itself and keeps the leases. Searches go to a small
// fixed pool of workers through a bounded queue; what does not fit is answered 503. A client
// address sending too many requests at once loses its oldest, and when descriptors run out
// the oldest request still being sent is let go, so no crowd of connections ends the service.
#include "app/service/service_server.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <list>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "app/service/child_capture.h"
#include "app/service/http_request.h"
#include "app/service/http_text.h"
#include "app/service/search_answer.h"
#include "app/service/short_links.h"
#include "platform/files/paths.h"
#include "platform/processes/processes.h"
#include "platform/processes/readiness.h"
#include "platform/sockets/tcp.h"

namespace LocalService {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRequestReadMs = 10000;
constexpr int kSendMs = 10000;
constexpr std::size_t kMaxDownloaderOutput = 4 << 20;
// Connections of one client address still sending their request.
constexpr int kMaxSendingPerClient = 64;
// Connections in all (requests being sent, leases, searches waiting or running).
constexpr int kMaxConnections = 1024;
// Descriptors kept free for the downloaders' pipes and the files they open.
constexpr int kSpareDescriptors = 48;

struct Job {
  int fd = -1;
  std::string query;
};

// A connection the watching thread holds: its request still coming, or a lease.
struct Peer {
  int fd = -1;
  std::string client;  // its address
  bool lease = false;
  std::string bytes;
  Clock::time_point deadline;
};

// The running service: its search queue, the workers' count, what it was started with.
struct State {
  std::mutex mutex;  // the queue, the counts and the path module
  std::condition_variable work;
  std::condition_variable idle;
  std::deque<Job> waiting;
  int running = 0;
  bool stopping = false;
  Options options;
  int port = 0;
};

State& S() {
  static State state;
  return state;
}

// Back to no service: an empty queue, nobody running or stopping.
void ResetState() {
  State& s = S();
  std::lock_guard lock(s.mutex);
  s.waiting.clear();
  s.running = 0;
  s.stopping = false;
  s.options = Options{};
  s.port = 0;
}

bool SendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const long n = Tcp::Send(fd, data.data(), data.size());
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string Response(std::string_view status, std::string_view type, std::string_view body,
                     std::string_view extraHeader = {}) {
  std::string text = "HTTP/1.1 " + std::string(status) + "\r\n";
  if (!type.empty()) text += "Content-Type: " + std::string(type) + "\r\n";
  text += extraHeader;
  text += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  text += body;
  return text;
}

// A short answer from the watching thread: what the socket takes at once (small answers
// always fit), never waiting for a client that does not read.
void SendQuick(int fd, std::string_view answer) {
  while (!answer.empty()) {
    const long n = Tcp::Send(fd, answer.data(), answer.size());  // a non-blocking socket
    if (n <= 0) return;
    answer.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::string Busy() { return Response("503 Service Unavailable", "text/plain", "ocupado\n", "Retry-After: 2\r\n"); }

// At most `limit` result lines; the marked lines (a list's name, the reason of a failure) are
// no results and stay.
std::string FirstLines(const std::string& answer, int limit) {
  std::string out;
  int results = 0;
  for (std::size_t at = 0; at < answer.size();) {
    std::size_t end = answer.find('\n', at);
    end = end == std::string::npos ? answer.size() : end + 1;
    const bool marked = answer.compare(at, 2, "\\\\") == 0;
    if (marked || results++ < limit) out.append(answer, at, end - at);
    at = end;
  }
  return out;
}

std::string Search(std::string_view query) {
  const SearchAnswer::Request request = SearchAnswer::ParseQuery(query);
  if (request.text.empty()) return {};
  // Found anew for every search: the user may update or replace the downloader meanwhile.
  std::string downloader, folder;
  {
    std::lock_guard lock(S().mutex);  // the path module is not shared between threads
    downloader = Paths::ToHost("c:\\clipora-light\\youtube-dl.exe");
    folder = Paths::ToHost("c:\\clipora-light");
  }
  SearchAnswer::Outcome outcome;
  std::error_code ec;
  outcome.found = !downloader.empty() && std::filesystem::exists(downloader, ec);
  if (!outcome.found) return SearchAnswer::Answer(outcome, "");
  const ChildCapture::Result run = ChildCapture::Run(downloader, SearchAnswer::DownloaderArguments(request), folder,
                                                     S().options.searchTimeoutMs, kMaxDownloaderOutput);
  outcome.started = run.started;
  outcome.timedOut = run.timedOut;
  outcome.exitStatus = run.exitStatus;
  outcome.errors = run.errors;
  return FirstLines(SearchAnswer::Answer(outcome, run.output), request.limit);
}

// A client that has gone while its search waited is not searched for.
bool ClientGone(int fd) { return Tcp::PeerClosed(fd); }

void Worker() {
  std::unique_lock lock(S().mutex);
  for (;;) {
    S().work.wait(lock, [] { return S().stopping || !S().waiting.empty(); });
    if (S().waiting.empty()) return;
    Job job = std::move(S().waiting.front());
    S().waiting.pop_front();
    ++S().running;
    lock.unlock();
    Tcp::SetBlocking(job.fd, kSendMs);
    if (!ClientGone(job.fd)) SendAll(job.fd, Response("200 OK", "text/plain; charset=utf-8", Search(job.query)));
    Tcp::Close(job.fd);
    lock.lock();
    --S().running;
    S().idle.notify_all();
  }
}

// The search waits for a worker; false when the queue is full (or there are no workers).
bool Enqueue(int fd, std::string query, std::size_t workers) {
  std::lock_guard lock(S().mutex);
  // As many waiting as the workers can answer in a few rounds.
  if (workers == 0 || S().waiting.size() >= workers * 8) return false;
  S().waiting.push_back(Job{fd, std::move(query)});
  S().work.notify_one();
  return true;
}

std::string ShortLinkPage(std::string_view query) {
  std::string address = HttpText::PercentDecode(HttpText::QueryValue(query, "url"), false);
  for (char& c : address)
    if (static_cast<unsigned char>(c) < ' ' || c == '<' || c == '>' || c == '"') c = '_';
  const long number = ShortLinks::Add(address);
  return "<html><body>\n<div class=\"indent\"><b>http://127.0.0.1:" + std::to_string(S().port) + kLinkPrefix +
         std::to_string(number) + "</b></div>\n</body></html>\n";
}

class Watcher {
 public:
  explicit Watcher(std::size_t workers) : workers_(workers) {
    int most = kMaxConnections;
    if (const long files = Processes::OpenHandleLimit(); files >= 0)
      most = std::min<long long>(most, static_cast<long long>(files) - kSpareDescriptors);
    maxConnections_ = std::max(most, 8);
  }
  ~Watcher() {
    for (const Peer& peer : peers_) Tcp::Close(peer.fd);
  }

  void Run(int listenFd, Clock::time_point started) {
    const Options& options = S().options;
    for (;;) {
      const Clock::time_point now = Clock::now();
      if (leases_ == 0) {
        if (!everLeased_ && now - started >= std::chrono::milliseconds(options.firstLeaseMs)) return;
        if (everLeased_ && now - lastLeaseEnd_ >= std::chrono::milliseconds(options.idleExitMs)) return;
      }
      std::vector<Readiness::Wait> fds;
      fds.push_back(Readiness::Wait{listenFd, acceptPaused_ ? 0u : Readiness::kReadable, 0});
      acceptPaused_ = false;
      for (const Peer& peer : peers_) fds.push_back(Readiness::Wait{peer.fd, Readiness::kReadable, 0});
      int timeout = 100;
      for (const Peer& peer : peers_)
        if (!peer.lease)
          timeout = std::clamp(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(peer.deadline - now).count()) + 1,
                               0, timeout);
      if (Readiness::WaitAny(fds.data(), static_cast<int>(fds.size()), timeout) == Readiness::kWaitFailed) return;
      // The connections first (their order in the list is that of the wait's).
      std::size_t index = 1;
      for (auto it = peers_.begin(); it != peers_.end(); ++index) {
        const unsigned events = fds[index].happened;
        it = events != 0 ? Read(it) : std::next(it);
      }
      const Clock::time_point after = Clock::now();
      for (auto it = peers_.begin(); it != peers_.end();)
        it = !it->lease && after >= it->deadline ? Drop(it, {}) : std::next(it);
      if (fds[0].happened & Readiness::kReadable) AcceptAll(listenFd);
    }
  }

 private:
  using Iterator = std::list<Peer>::iterator;

  Iterator Drop(Iterator it, std::string_view answer) {
    if (!answer.empty()) SendQuick(it->fd, answer);
    Tcp::Close(it->fd);
    if (it->lease) {
      --leases_;
      lastLeaseEnd_ = Clock::now();
    }
    return peers_.erase(it);
  }

  // Everything that has come on one connection; the request dispatched once whole.
  Iterator Read(Iterator it) {
    char buffer[4096];
    for (;;) {
      const long n = Tcp::ReceiveNow(it->fd, buffer, sizeof buffer);
      if (n == Tcp::kWouldBlock) break;
      if (n <= 0) return Drop(it, {});
      // What a lease holder sends is not read; a request is read up to its size limit.
      if (!it->lease) it->bytes.append(buffer, static_cast<std::size_t>(n));
      if (it->bytes.size() >= HttpRequest::kMaxHead) break;
    }
    if (it->lease) return std::next(it);
    return Dispatch(it);
  }

  Iterator Dispatch(Iterator it) {
    const HttpRequest::Head head = HttpRequest::Parse(it->bytes);
    switch (head.state) {
      case HttpRequest::State::kIncomplete: return std::next(it);
      case HttpRequest::State::kTooLarge:
        return Drop(it, Response("431 Request Header Fields Too Large", "text/plain", ""));
      case HttpRequest::State::kBad: return Drop(it, Response("400 Bad Request", "text/plain", ""));
      case HttpRequest::State::kComplete: break;
    }
    if (head.method != "GET" && head.method != "HEAD") return Drop(it, Response("405 Method Not Allowed", "text/plain", ""));
    if (head.path == kLeasePath) {
      // A lease: the answer says who we are; the connection then stays open until its
      // holder closes it (or ends).
      SendQuick(it->fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n" + std::string(kIdentity) + " " +
                            S().options.driveC + "\n");
      it->lease = true;
      it->bytes = std::string();
      ++leases_;
      everLeased_ = true;
      return std::next(it);
    }
    if (head.path == kSearchPath) {
      if (!Enqueue(it->fd, head.query, workers_)) return Drop(it, Busy());
      return peers_.erase(it);  // the worker answers and closes it
    }
    if (head.path == kShortLinkPath)
      return Drop(it, Response("200 OK", "text/html; charset=utf-8", ShortLinkPage(head.query)));
    if (head.path.starts_with(kLinkPrefix)) {
      const std::string address = ShortLinks::Find(std::string_view(head.path).substr(std::strlen(kLinkPrefix)));
      if (address.empty()) return Drop(it, Response("404 Not Found", "text/plain", ""));
      return Drop(it, Response("302 Found", "", "", "Location: " + address + "\r\n"));
    }
    return Drop(it, Response("404 Not Found", "text/plain", ""));
  }

  int Held() {
    std::lock_guard lock(S().mutex);
    return static_cast<int>(peers_.size() + S().waiting.size()) + S().running;
  }

  // The oldest connection still sending its request (of `client`, or of anyone), or end.
  Iterator OldestSending(const std::string* client) {
    for (auto it = peers_.begin(); it != peers_.end(); ++it)
      if (!it->lease && (client == nullptr || it->client == *client)) return it;
    return peers_.end();
  }

  void AcceptAll(int listenFd) {
    for (int taken = 0; taken < 64; ++taken) {
      Tcp::Address address;
      Tcp::Accepted outcome;
      const int fd = Tcp::Accept(listenFd, outcome, &address);
      if (fd < 0) {
        if (outcome == Tcp::Accepted::Again) continue;
        if (outcome == Tcp::Accepted::OutOfHandles) {
          // Out of descriptors: the oldest request still being sent makes room.
          const Iterator oldest = OldestSending(nullptr);
          if (oldest != peers_.end()) Drop(oldest, Busy());
          else acceptPaused_ = true;
        }
        return;
      }
      const std::string client = Tcp::AddressText(address);
      int sending = 0;
      for (const Peer& peer : peers_) sending += !peer.lease && peer.client == client;
      if (sending >= kMaxSendingPerClient) Drop(OldestSending(&client), Busy());
      if (Held() >= maxConnections_) {
        const Iterator oldest = OldestSending(nullptr);
        if (oldest == peers_.end()) {
          SendQuick(fd, Busy());
          Tcp::Close(fd);
          continue;
        }
        Drop(oldest, Busy());
      }
      peers_.push_back(Peer{fd, client, false, {}, Clock::now() + std::chrono::milliseconds(kRequestReadMs)});
      Read(std::prev(peers_.end()));
    }
  }

  std::size_t workers_;
  int maxConnections_ = kMaxConnections;
  std::list<Peer> peers_;  // oldest first
  int leases_ = 0;
  bool everLeased_ = false;
  bool acceptPaused_ = false;
  Clock::time_point lastLeaseEnd_;
};

}  // namespace

void Serve(const Options& options) {
  ResetState();
  State& state = S();
  {
    std::lock_guard lock(state.mutex);
    state.options = options;
    state.port = Tcp::LocalPort(options.listenFd);
  }
  // Accepted in turns with everything else: a client gone before its accept never blocks it.
  Tcp::SetNonBlocking(options.listenFd);
  ShortLinks::Reset();
  const auto started = Clock::now();
  // The workers are started before any connection is taken; a system that cannot give them
  // all gives fewer (and with none every search is answered 503).
  std::vector<std::thread> workers;
  for (int i = 0; i < std::max(options.searchWorkers, 1); ++i) {
    try {
      workers.emplace_back(Worker);
    } catch (const std::system_error&) {
      break;
    }
  }
  {
    Watcher watcher(workers.size());
    watcher.Run(options.listenFd, started);
  }
  Tcp::Close(options.listenFd);
  {
    std::lock_guard lock(state.mutex);
    state.stopping = true;
    state.work.notify_all();
  }
  for (std::thread& worker : workers) worker.join();
  ResetState();
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
  Processes::SetEnvironmentVariable("FONIX_DRIVE_C", options.driveC);
  Paths::ResetPaths();
  Tcp::IgnoreBrokenPipes();
  Serve(options);
  return 0;
}

}  // namespace LocalService
