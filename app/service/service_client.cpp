// Joining or starting the local service. Starting is a double fork, so the service belongs to
// no instance and outlives the one that started it while others hold leases; the listening
// socket is made here, so its port is known at once and the first lease is queued before
// the service runs. A watching thread starts it again when its lease ends.
#include "app/service/service_client.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>

#include "app/service/service_server.h"
#include "platform/processes/processes.h"
#include "platform/processes/readiness.h"
#include "platform/sockets/tcp.h"
#include "platform/system/file_lock.h"

namespace ServiceClient {

namespace {

constexpr int kJoinWaitMs = 1000;
constexpr int kRestartRetryMs = 2000;

// The lease the process holds on the service, the service it is, and the thread that
// watches the lease.
struct State {
  std::mutex mutex;  // the fields below, once the thread runs
  int leaseFd = -1;  // the lease connection, closed at exit (and never inherited)
  std::string address;
  std::string serviceExe, driveC, addressFile, moreLines;
  std::thread thread;
  Processes::Pipe wake;  // written to stop the thread
  // At the process's end the thread is stopped before the fields it uses go.
  ~State() {
    if (!thread.joinable()) return;
    const char stop = 1;
    Processes::Write(wake.write, &stop, 1);
    thread.join();
  }
};

State& S() {
  static State state;
  return state;
}

int ConnectLoopback(int port) { return Tcp::ConnectLoopback(port); }

bool SendLeaseRequest(int fd) {
  const std::string request = std::string("GET ") + LocalService::kLeasePath + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  return Tcp::Send(fd, request.data(), request.size()) == static_cast<long>(request.size());
}

int PortFromFile(const std::string& addressFile) {
  std::ifstream in(addressFile);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.starts_with("busca=")) continue;
    const std::size_t colon = line.rfind(':');
    if (colon == std::string::npos) return 0;
    return std::atoi(line.c_str() + colon + 1);
  }
  return 0;
}

// A listening socket on `port` (0: any port), or -1.
int ListenLoopback(int port) { return Tcp::ListenLoopback(port, 128); }

// Starts the service, on `port` when it is free (else on any), and takes the first lease.
int StartService(const std::string& serviceExe, const std::string& driveC, int port) {
  int listenFd = port > 0 && port <= 65535 ? ListenLoopback(port) : -1;
  if (listenFd < 0) listenFd = ListenLoopback(0);
  if (listenFd < 0) return 0;
  port = Tcp::LocalPort(listenFd);
  if (port == 0) {
    Tcp::Close(listenFd);
    return 0;
  }
  // The lease waits in the backlog until the service takes it.
  const int lease = ConnectLoopback(port);
  if (lease < 0 || !SendLeaseRequest(lease)) {
    Tcp::Close(lease);
    Tcp::Close(listenFd);
    return 0;
  }
  const bool started =
      Processes::StartDetached(serviceExe, {"clipora-servico", "--fd", "3", "--c", driveC}, listenFd);
  Tcp::Close(listenFd);
  if (!started) {
    Tcp::Close(lease);
    return 0;
  }
  Tcp::Close(S().leaseFd);
  S().leaseFd = lease;
  return port;
}

// The start lock, waited for at most kLockWaitMs (onWait told after kLockNoticeMs); -1 when
// it could not be had.
int TakeLock(const std::string& lockFile, const std::function<void()>& onWait) {
  const FileLock::Handle lockFd = FileLock::Open(lockFile);
  if (lockFd < 0) return -1;
  bool told = false;
  for (int waited = 0;; waited += 50) {
    const FileLock::Taken taken = FileLock::TryTake(lockFd);
    if (taken != FileLock::Taken::Busy) break;
    if (waited >= kLockWaitMs) {
      FileLock::Close(lockFd);
      return -1;
    }
    if (!told && waited >= kLockNoticeMs && onWait) {
      told = true;
      onWait();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return lockFd;
}

// Joins the service of the address file or starts one (on `preferredPort` when the file
// names none); writes the address file. Called with the state's mutex held.
std::string JoinOrStartLocked(State& s, int preferredPort, const std::function<void()>& onWait) {
  const int lockFd = TakeLock(s.addressFile + ".trava", onWait);
  int port = PortFromFile(s.addressFile);
  const int lease = JoinExisting(port, s.driveC);
  if (lease >= 0) {
    Tcp::Close(s.leaseFd);
    s.leaseFd = lease;
  } else {
    port = StartService(s.serviceExe, s.driveC, preferredPort > 0 ? preferredPort : port);
  }
  const std::string address = port != 0 ? "127.0.0.1:" + std::to_string(port) : std::string();
  // Written before the lock is let go, so the next instance finds this service.
  const std::string temporary = s.addressFile + ".novo";
  std::ofstream out(temporary, std::ios::trunc | std::ios::binary);
  out << "busca=" << address << "\r\n" << s.moreLines;
  out.close();
  if (!out || std::rename(temporary.c_str(), s.addressFile.c_str()) != 0) std::remove(temporary.c_str());
  FileLock::Close(lockFd);
  s.address = address;
  return address;
}

int PortOf(const std::string& address) {
  const std::size_t colon = address.rfind(':');
  return colon == std::string::npos ? 0 : std::atoi(address.c_str() + colon + 1);
}

// Waits on the lease; when the service closes it (it is gone), joins or starts it again.
void WatchLease() {
  State& s = S();
  auto lastStart = std::chrono::steady_clock::now();
  for (;;) {
    int lease;
    {
      std::lock_guard lock(s.mutex);
      lease = s.leaseFd;
    }
    Readiness::Wait fds[2] = {{s.wake.read, Readiness::kReadable, 0}, {lease, Readiness::kReadable, 0}};
    const int ready = Readiness::WaitAny(fds, 2, lease >= 0 ? -1 : kRestartRetryMs);
    if (ready == Readiness::kWaitInterrupted) continue;
    if (fds[0].happened != 0) return;
    if (lease >= 0 && fds[1].happened == 0) continue;
    if (lease >= 0) {
      char buffer[512];
      const long n = Tcp::ReceiveNow(lease, buffer, sizeof buffer);
      if (n > 0 || n == Tcp::kWouldBlock) continue;  // the service's greeting
    }
    // A service that ends at once is not started again at once.
    const auto due = lastStart + std::chrono::milliseconds(kRestartRetryMs);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
    Readiness::Wait wake{s.wake.read, Readiness::kReadable, 0};
    if (left.count() > 0 && Readiness::WaitAny(&wake, 1, static_cast<int>(left.count())) > 0) return;
    lastStart = std::chrono::steady_clock::now();
    std::lock_guard lock(s.mutex);
    Tcp::Close(s.leaseFd);
    s.leaseFd = -1;
    JoinOrStartLocked(s, PortOf(s.address), {});
  }
}

void StopWatching() {
  State& s = S();
  if (s.thread.joinable()) {
    const char stop = 1;
    Processes::Write(s.wake.write, &stop, 1);
    s.thread.join();
  }
  Processes::Close(s.wake.read);
  Processes::Close(s.wake.write);
  s.wake = {};
}

}  // namespace

void Reset() {
  StopWatching();
  State& s = S();
  Tcp::Close(s.leaseFd);
  s.leaseFd = -1;
  s.address.clear();
  s.serviceExe.clear();
  s.driveC.clear();
  s.addressFile.clear();
  s.moreLines.clear();
}

int JoinExisting(int port, const std::string& driveC) {
  if (port <= 0 || port > 65535) return -1;
  const int fd = ConnectLoopback(port);
  if (fd < 0) return -1;
  if (!SendLeaseRequest(fd)) {
    Tcp::Close(fd);
    return -1;
  }
  // The answer's body names the service and its drive; a program that does not answer so
  // in time is not ours.
  const std::string expected = std::string(LocalService::kIdentity) + " " + driveC + "\n";
  std::string answer;
  char buffer[512];
  int waited = 0;
  while (answer.find(expected) == std::string::npos && answer.size() < 4096 && waited < kJoinWaitMs) {
    Readiness::Wait p{fd, Readiness::kReadable, 0};
    const int ready = Readiness::WaitAny(&p, 1, 50);
    waited += 50;
    if (ready <= 0) continue;
    const long n = Tcp::Receive(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  if (answer.find(expected) == std::string::npos) {
    Tcp::Close(fd);
    return -1;
  }
  return fd;
}

std::string StartOrJoin(const std::string& serviceExe, const std::string& driveC, const std::string& addressFile,
                        const std::string& moreLines, const std::function<void()>& onWait) {
  StopWatching();
  State& s = S();
  std::string address;
  {
    std::lock_guard lock(s.mutex);
    s.serviceExe = serviceExe;
    s.driveC = driveC;
    s.addressFile = addressFile;
    s.moreLines = moreLines;
    address = JoinOrStartLocked(s, 0, onWait);
  }
  if (address.empty() || !Processes::MakePipe(s.wake)) return address;
  try {
    s.thread = std::thread(WatchLease);
  } catch (const std::system_error&) {
    // Without the thread the service is simply not started again.
  }
  return address;
}

}  // namespace ServiceClient
