// Joining or starting the local service. Starting is a double fork, so the service belongs to
// no instance and outlives the one that started it while others hold leases; the listening
// socket is made here, so its port is known at once and the first lease is queued before
// the service runs.
#include "app/service/service_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/service/service_server.h"

namespace ServiceClient {

namespace {

constexpr int kJoinWaitMs = 1000;

int ConnectLoopback(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool SendLeaseRequest(int fd) {
  const std::string request = std::string("GET ") + LocalService::kLeasePath + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  return send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
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

int StartService(const std::string& serviceExe, const std::string& driveC) {
  const int listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd < 0) return 0;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  if (bind(listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listenFd, 64) != 0 ||
      getsockname(listenFd, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    close(listenFd);
    return 0;
  }
  const int port = ntohs(a.sin_port);
  // The lease waits in the backlog until the service takes it.
  const int lease = ConnectLoopback(port);
  if (lease < 0 || !SendLeaseRequest(lease)) {
    if (lease >= 0) close(lease);
    close(listenFd);
    return 0;
  }
  const pid_t child = fork();
  if (child == 0) {
    setsid();
    if (fork() != 0) _exit(0);
    const int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, 0);
      dup2(devnull, 1);
      dup2(devnull, 2);
    }
    dup2(listenFd, 3);  // dup2 clears close-on-exec on the copy
    const std::string fd = "3";
    execl(serviceExe.c_str(), "clipora-servico", "--fd", fd.c_str(), "--c", driveC.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(listenFd);
  if (child < 0) {
    close(lease);
    return 0;
  }
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (State().leaseFd >= 0) close(State().leaseFd);
  State().leaseFd = lease;
  return port;
}

}  // namespace

ClientState& State() {
  static ClientState state;
  return state;
}

void Reset() {
  if (State().leaseFd >= 0) close(State().leaseFd);
  State() = ClientState{};
}

int JoinExisting(int port, const std::string& driveC) {
  if (port <= 0 || port > 65535) return -1;
  const int fd = ConnectLoopback(port);
  if (fd < 0) return -1;
  if (!SendLeaseRequest(fd)) {
    close(fd);
    return -1;
  }
  // The answer's body names the service and its drive; a program that does not answer so
  // in time is not ours.
  const std::string expected = std::string(LocalService::kIdentity) + " " + driveC + "\n";
  std::string answer;
  char buffer[512];
  int waited = 0;
  while (answer.find(expected) == std::string::npos && answer.size() < 4096 && waited < kJoinWaitMs) {
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, 50);
    waited += 50;
    if (ready <= 0) continue;
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  if (answer.find(expected) == std::string::npos) {
    close(fd);
    return -1;
  }
  return fd;
}

std::string StartOrJoin(const std::string& serviceExe, const std::string& driveC, const std::string& addressFile,
                        const std::string& moreLines) {
  const std::string lockFile = addressFile + ".trava";
  const int lockFd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd >= 0) flock(lockFd, LOCK_EX);
  int port = PortFromFile(addressFile);
  const int lease = JoinExisting(port, driveC);
  if (lease >= 0) {
    if (State().leaseFd >= 0) close(State().leaseFd);
    State().leaseFd = lease;
  } else {
    port = StartService(serviceExe, driveC);
  }
  const std::string address = port != 0 ? "127.0.0.1:" + std::to_string(port) : std::string();
  // Written before the lock is let go, so the next instance finds this service.
  const std::string temporary = addressFile + ".novo";
  std::ofstream out(temporary, std::ios::trunc | std::ios::binary);
  out << "busca=" << address << "\r\n" << moreLines;
  out.close();
  if (!out || std::rename(temporary.c_str(), addressFile.c_str()) != 0) std::remove(temporary.c_str());
  if (lockFd >= 0) close(lockFd);
  State().address = address;
  return address;
}

}  // namespace ServiceClient
