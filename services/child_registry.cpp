// The registry of started children. Each child is watched through a process descriptor
// (pidfd) in the children's readiness set; a kernel without them gets a 50 ms reaping tick.
// Only registered children are ever waited for: other parts of the program (and the
// libraries it uses) keep their own children.
#include "services/child_registry.h"

#include <deque>
#include <map>

#include "platform/files/paths.h"
#include "platform/processes/readiness.h"
#include "services/child_watch.h"

namespace ChildRegistry {
namespace {

constexpr std::size_t kKeptStatuses = 64;
constexpr int kReapTickMs = 50;

struct Child {
  std::vector<std::string> keys;
  std::string windowsPath;
  Processes::Handle pidfd = Processes::kNoHandle;
  std::function<void()> onExit;
};

struct State {
  std::map<ProcessId, Child> running;
  std::deque<std::pair<ProcessId, Processes::Exit>> ended;  // newest last
  bool ticking = false;
};

State& S() {
  static State state;
  return state;
}

void Finish(ProcessId pid, Processes::Exit status) {
  State& s = S();
  auto it = s.running.find(pid);
  if (it == s.running.end()) return;
  Child child = std::move(it->second);
  s.running.erase(it);
  if (child.pidfd >= 0) {
    ChildWatch::Unwatch(child.pidfd);
    Processes::Close(child.pidfd);
  }
  s.ended.emplace_back(pid, status);
  while (s.ended.size() > kKeptStatuses) s.ended.pop_front();
  if (child.onExit) child.onExit();
}

// Reaps one child when it has ended; true when it did.
bool TryReap(ProcessId pid) {
  Processes::Exit status;
  const Processes::Reaped r = Processes::TryReap(pid, status);
  if (r == Processes::Reaped::Ended) {
    Finish(pid, status);
    return true;
  }
  // Reaped elsewhere (a library waiting for any child): gone all the same.
  if (r == Processes::Reaped::NotOurs) {
    Finish(pid, Processes::Exit{});
    return true;
  }
  return false;
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

void Add(ProcessId pid, std::vector<std::string> keys, std::string windowsPath, std::function<void()> onExit) {
  Child child{std::move(keys), std::move(windowsPath), Processes::WatchEnd(pid), std::move(onExit)};
  const Processes::Handle pidfd = child.pidfd;
  S().running[pid] = std::move(child);
  if (pidfd >= 0) {
    const bool watched = ChildWatch::Watch(pidfd, Readiness::kReadable, [pid](unsigned) { TryReap(pid); });
    if (!watched) {
      Processes::Close(pidfd);
      S().running[pid].pidfd = Processes::kNoHandle;
    }
  }
  if (S().running[pid].pidfd < 0) StartTicking();
  // It may have ended already; a descriptor opened after the end is readable at once, and
  // without one the first tick reaps it.
}

void ReapEnded() {
  std::vector<ProcessId> pids;
  for (const auto& [pid, child] : S().running) pids.push_back(pid);
  for (ProcessId pid : pids) TryReap(pid);
}

bool IsRunning(ProcessId pid) {
  if (!S().running.count(pid)) return false;
  return !TryReap(pid);
}

std::optional<Processes::Exit> ExitStatus(ProcessId pid) {
  if (IsRunning(pid)) return std::nullopt;
  for (const auto& [p, status] : S().ended)
    if (p == pid) return status;
  return std::nullopt;
}

std::vector<ProcessId> RunningMatching(std::string_view key, std::string_view windowsPath) {
  ReapEnded();
  std::vector<ProcessId> pids;
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

std::vector<ProcessId> Running() {
  ReapEnded();
  std::vector<ProcessId> pids;
  for (const auto& [pid, child] : S().running) pids.push_back(pid);
  return pids;
}

void ResetChildRegistry() {
  State& s = S();
  for (auto& [pid, child] : s.running) {
    Processes::Kill(pid);
    Processes::WaitFor(pid);
    if (child.pidfd >= 0) {
      ChildWatch::Unwatch(child.pidfd);
      Processes::Close(child.pidfd);
    }
  }
  s = State{};
}

}  // namespace ChildRegistry
