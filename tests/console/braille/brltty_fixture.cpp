// The BRLTTY test display: a Unix socket the virtual driver connects to, BRLTTY started and
// ended per test, and fonix runs with the display's BrlAPI host.
#include "brltty_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <netinet/in.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A BrlAPI port nobody listens on: the server's TCP port is 4101 + the host's number.
int FreeApiNumber() {
  for (int tries = 0; tries < 200; ++tries) {
    const int number = 1000 + (getpid() * 7 + tries * 13) % 20000;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(4101 + number));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool free = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    if (free) return number;
  }
  return 1999;
}

// Splits `Braille "1|12| |..."` into its cells.
bool ParseBraille(const std::string& line, std::vector<std::string>& cells) {
  const std::string head = "Braille \"";
  if (line.rfind(head, 0) != 0) return false;
  const std::size_t end = line.rfind('"');
  if (end == std::string::npos || end < head.size()) return false;
  std::string body = line.substr(head.size(), end - head.size());
  cells.clear();
  std::string cell;
  for (char c : body) {
    if (c == '|') {
      cells.push_back(cell);
      cell.clear();
    } else if (c != ' ') {
      cell += c;
    }
  }
  cells.push_back(cell);
  return true;
}

}  // namespace

BrlttyFixture::BrlttyFixture(int cells) : cells_(cells) {
  char folder[] = "/tmp/fonix-brltty-XXXXXX";
  if (mkdtemp(folder)) folder_ = folder;
  socketPath_ = folder_ + "/display.sock";
  apiNumber_ = FreeApiNumber();
  listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath_.c_str());
  if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listenFd_, 4) != 0) {
    close(listenFd_);
    listenFd_ = -1;
  }
  std::ofstream(folder_ + "/prefs") << "braille-typing-mode dots\n";
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

BrlttyFixture::~BrlttyFixture() {
  StopBrltty();
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  if (listenFd_ >= 0) shutdown(listenFd_, SHUT_RDWR);
  acceptor_.join();
  for (std::thread& t : readers_) t.join();
  if (listenFd_ >= 0) close(listenFd_);
  std::system(("rm -rf '" + folder_ + "'").c_str());
}

void BrlttyFixture::AcceptLoop() {
  for (;;) {
    pollfd p{listenFd_, POLLIN, 0};
    poll(&p, 1, 200);
    {
      std::lock_guard lock(mutex_);
      if (stopping_ || listenFd_ < 0) return;
    }
    if (!(p.revents & POLLIN)) continue;
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const std::string hello = "cells " + std::to_string(cells_) + "\n";
    [[maybe_unused]] ssize_t n = write(fd, hello.data(), hello.size());
    {
      std::lock_guard lock(mutex_);
      displayFd_ = fd;
    }
    readers_.emplace_back([this, fd] { ReadLoop(fd); });
  }
}

void BrlttyFixture::ReadLoop(int fd) {
  std::string buffer;
  char chunk[4096];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 200);
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
    }
    if (!(p.revents & (POLLIN | POLLHUP))) continue;
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) break;
    buffer.append(chunk, static_cast<std::size_t>(n));
    std::size_t eol;
    while ((eol = buffer.find('\n')) != std::string::npos) {
      std::string line = buffer.substr(0, eol);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      buffer.erase(0, eol + 1);
      std::vector<std::string> cells;
      if (ParseBraille(line, cells)) {
        std::lock_guard lock(mutex_);
        rows_.push_back(std::move(cells));
        changed_.notify_all();
      }
    }
  }
  std::lock_guard lock(mutex_);
  if (displayFd_ == fd) displayFd_ = -1;
  close(fd);
}

bool BrlttyFixture::Start(std::string& error, const std::string& auth) {
  if (listenFd_ < 0) {
    error = "the display's socket could not be made";
    return false;
  }
  const std::string brltty = "/usr/sbin/brltty";
  if (access(brltty.c_str(), X_OK) != 0) {
    error = "BRLTTY is not installed (" + brltty + ")";
    return false;
  }
  const std::string device = "client:" + socketPath_;
  const std::string api = "auth=" + auth + ",host=" + Host();
  const std::string prefs = folder_ + "/prefs";
  const std::string log = folder_ + "/brltty.log";
  std::vector<std::string> args = {brltty, "-n", "-e", "-q", "-b", "vr", "-d", device, "-x", "no",
                                   "-s", "no", "-A", api, "-f", "/dev/null", "-F", prefs,
                                   "-W", folder_, "-U", folder_, "-P", folder_ + "/pid"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::size_t seen;
  {
    std::lock_guard lock(mutex_);
    seen = rows_.size();
  }
  // BRLTTY ends with the test process, even when the test is killed.
  brltty_ = fork();
  if (brltty_ == 0) {
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
    }
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    execve(brltty.c_str(), argv.data(), environ);
    _exit(127);
  }
  if (brltty_ < 0) {
    brltty_ = -1;
    error = "BRLTTY could not be started";
    return false;
  }
  // BRLTTY shows its own screen once it has taken the display.
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, std::chrono::seconds(20), [&] { return rows_.size() > seen; })) {
    error = "BRLTTY did not take the display: " + ReadAll(log);
    return false;
  }
  return true;
}

void BrlttyFixture::StopBrltty() {
  if (brltty_ <= 0) return;
  kill(brltty_, SIGCONT);
  kill(brltty_, SIGTERM);
  int status = 0;
  // BRLTTY thawed after a freeze does not always finish its shutdown: it gets 5 s.
  for (int waited = 0; waitpid(brltty_, &status, WNOHANG) == 0; waited += 50) {
    if (waited >= 5000) {
      kill(brltty_, SIGKILL);
      waitpid(brltty_, &status, 0);
      break;
    }
    usleep(50000);
  }
  brltty_ = -1;
}

void BrlttyFixture::Freeze() {
  if (brltty_ > 0) kill(brltty_, SIGSTOP);
}

void BrlttyFixture::Thaw() {
  if (brltty_ > 0) kill(brltty_, SIGCONT);
}

std::string BrlttyFixture::Host() const { return "127.0.0.1:" + std::to_string(apiNumber_); }

std::vector<std::vector<std::string>> BrlttyFixture::Rows() {
  std::lock_guard lock(mutex_);
  return rows_;
}

int BrlttyFixture::WaitForRow(const std::vector<std::string>& prefix, std::size_t from,
                              std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  int found = -1;
  changed_.wait_for(lock, timeout, [&] {
    for (std::size_t i = from; i < rows_.size(); ++i) {
      const std::vector<std::string>& row = rows_[i];
      if (row.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), row.begin())) {
        found = static_cast<int>(i);
        return true;
      }
    }
    return false;
  });
  return found;
}

void BrlttyFixture::Press(const std::string& command) {
  std::lock_guard lock(mutex_);
  if (displayFd_ < 0) return;
  const std::string line = command + "\n";
  [[maybe_unused]] ssize_t n = write(displayFd_, line.data(), line.size());
}
