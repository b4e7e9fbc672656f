// The registry of started children. Each child is watched through a process descriptor
// (pidfd) in the children's epoll set; a kernel without them gets a 50 ms reaping tick.
// Only registered children are ever waited for: other parts of the program (and the
// libraries it uses) keep their own children.
#include "services/child_registry.h"

#include <signal.h>
#include <sys/epoll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <map>

#include "platform/files/paths.h"
#include "services/child_watch.h"

namespace ChildRegistry {
namespace {

constexpr std::size_t kKeptStatuses = 64;
constexpr int kReapTickMs = 50;

struct Child {
  std::vector<std::string> keys;
  std::string windowsPath;
  int pidfd = -1;
  std::function<void()> onExit;
};

struct State {
  std::map<pid_t, Child> running;
  std::deque<std::pair<pid_t, int>> ended;  // newest last
  bool ticking = false;
};

State& S() {
  static State state;
  return state;
}

void Finish(pid_t pid, int status) {
  State& s = S();
  auto it = s.running.find(pid);
  if (it == s.running.end()) return;
  Child child = std::move(it->second);
  s.running.erase(it);
  if (child.pidfd >= 0) {
    ChildWatch::Unwatch(child.pidfd);
    close(child.pidfd);
  }
  s.ended.emplace_back(pid, status);
  while (s.ended.size() > kKeptStatuses) s.ended.pop_front();
  if (child.onExit) child.onExit();
}

// Reaps one child when it has ended; true when it did.
bool TryReap(pid_t pid) {
  int status = 0;
  pid_t r;
  do r = waitpid(pid, &status, WNOHANG);
  while (r < 0 && errno == EINTR);
  if (r == pid) {
    Finish(pid, status);
    return true;
  }
  // Reaped elsewhere (a library waiting for any child): gone all the same.
  if (r < 0 && errno == ECHILD) {
    Finish(pid, 0);
    return true;
  }
  return false;
}

// A descriptor that becomes readable when the process ends (-1 on kernels without them).
int OpenProcessDescriptor(pid_t pid) {
#ifdef SYS_pidfd_open
  const long fd = syscall(SYS_pidfd_open, pid, 0);
  return fd < 0 ? -1 : static_cast<int>(fd);
#else
  (void)pid;
  return -1;
#endif
}

void StartTicking() {
  State& s = S();
  if (s.ticking) return;
  s.ticking = true;
  ChildWatch::AddTicker(kReapTickMs, [] {
    ReapEnded();
    for (const auto& [pid, child] : S().running)
      if (child.pidfd < 0) return true;
    S().ticking = false;
    return false;
  });
}

}  // namespace

std::string ProgramKey(std::string_view name) {
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string key = Paths::FoldCase(name);
  if (key.size() > 4 && key.ends_with(".EXE")) key.resize(key.size() - 4);
  return key;
}

void Add(pid_t pid, std::vector<std::string> keys, std::string windowsPath, std::function<void()> onExit) {
  Child child{std::move(keys), std::move(windowsPath), OpenProcessDescriptor(pid), std::move(onExit)};
  const int pidfd = child.pidfd;
  S().running[pid] = std::move(child);
  if (pidfd >= 0) {
    const bool watched = ChildWatch::Watch(pidfd, EPOLLIN, [pid](uint32_t) { TryReap(pid); });
    if (!watched) {
      close(pidfd);
      S().running[pid].pidfd = -1;
    }
  }
  if (S().running[pid].pidfd < 0) StartTicking();
  // It may have ended already; a descriptor opened after the end is readable at once, and
  // without one the first tick reaps it.
}

void ReapEnded() {
  std::vector<pid_t> pids;
  for (const auto& [pid, child] : S().running) pids.push_back(pid);
  for (pid_t pid : pids) TryReap(pid);
}

bool IsRunning(pid_t pid) {
  if (!S().running.count(pid)) return false;
  return !TryReap(pid);
}

std::optional<int> ExitStatus(pid_t pid) {
  if (IsRunning(pid)) return std::nullopt;
  for (const auto& [p, status] : S().ended)
    if (p == pid) return status;
  return std::nullopt;
}

std::vector<pid_t> RunningMatching(std::string_view key, std::string_view windowsPath) {
  ReapEnded();
  std::vector<pid_t> pids;
  for (const auto& [pid, child] : S().running) {
    bool match = !windowsPath.empty() && child.windowsPath == windowsPath;
    for (const std::string& k : child.keys) match = match || (!key.empty() && k == key);
    if (match) pids.push_back(pid);
  }
  return pids;
}

bool AnyRunning(std::string_view key, std::string_view windowsPath) {
  return !RunningMatching(key, windowsPath).empty();
}

std::vector<pid_t> Running() {
  ReapEnded();
  std::vector<pid_t> pids;
  for (const auto& [pid, child] : S().running) pids.push_back(pid);
  return pids;
}

void ResetChildRegistry() {
  State& s = S();
  for (auto& [pid, child] : s.running) {
    kill(pid, SIGKILL);
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (child.pidfd >= 0) {
      ChildWatch::Unwatch(child.pidfd);
      close(child.pidfd);
    }
  }
  s = State{};
}

}  // namespace ChildRegistry
