// Whether a program runs: the children the runtime started (known by the names they were
// started by, "cmd.exe" for a command line), then every process of the system in /proc, by
// its command name, its executable and its first argument. Zombies do not run. Also the
// processes of a name that carry this runtime's mark, for TASKKILL.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "services/child_process.h"
#include "services/child_registry.h"
#include "services/child_spawn.h"

namespace ChildProcess {
namespace {

constexpr std::size_t kCommandNameLength = 15;  // the kernel keeps this much of a name

// Reads a small file below /proc/PID (at most `limit` bytes); empty when unreadable.
std::string ReadSmall(int dirFd, const char* name, std::size_t limit) {
  const int fd = openat(dirFd, name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string bytes(limit, '\0');
  std::size_t have = 0;
  while (have < limit) {
    const ssize_t n = read(fd, bytes.data() + have, limit - have);
    if (n <= 0) break;
    have += static_cast<std::size_t>(n);
  }
  close(fd);
  bytes.resize(have);
  return bytes;
}

// A Linux path's Windows form, folded and without ".EXE" (for names given with a folder).
std::string WindowsKey(const std::string& hostPath) {
  std::string windows = Paths::ToWindows(hostPath);
  if (windows.empty()) return {};
  windows = Paths::FoldCase(windows);
  if (windows.size() > 4 && windows.ends_with(".EXE")) windows.resize(windows.size() - 4);
  return windows;
}

struct Wanted {
  std::string key;          // without folder
  std::string windowsPath;  // full path, when the name has a folder
};

bool Matches(const Wanted& wanted, const std::string& utf8Path) {
  if (utf8Path.empty()) return false;
  if (!wanted.windowsPath.empty()) return utf8Path[0] == '/' && WindowsKey(utf8Path) == wanted.windowsPath;
  return ChildRegistry::ProgramKey(Cp1252::FromUtf8(utf8Path)) == wanted.key;
}

bool ProcessMatches(int procFd, const char* pid, const Wanted& wanted) {
  const int dirFd = openat(procFd, pid, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return false;
  // "PID (NAME) STATE ...": the name may itself hold parentheses and blanks.
  const std::string stat = ReadSmall(dirFd, "stat", 512);
  const std::size_t open = stat.find('(');
  const std::size_t close = stat.rfind(')');
  bool alive = open != std::string::npos && close != std::string::npos && close > open && close + 2 < stat.size();
  alive = alive && stat[close + 2] != 'Z' && stat[close + 2] != 'X';
  bool found = false;
  if (alive && wanted.windowsPath.empty()) {
    const std::string comm = ChildRegistry::ProgramKey(Cp1252::FromUtf8(stat.substr(open + 1, close - open - 1)));
    found = comm == wanted.key || (comm.size() == kCommandNameLength && wanted.key.size() > kCommandNameLength &&
                                   wanted.key.compare(0, kCommandNameLength, comm) == 0);
  }
  if (alive && !found) {
    char target[4096];
    const ssize_t n = readlinkat(dirFd, "exe", target, sizeof target - 1);
    if (n > 0) {
      std::string exe(target, static_cast<std::size_t>(n));
      if (exe.ends_with(" (deleted)")) exe.resize(exe.size() - 10);
      found = Matches(wanted, exe);
    }
  }
  if (alive && !found) {
    const std::string cmdline = ReadSmall(dirFd, "cmdline", 4096);
    found = Matches(wanted, cmdline.substr(0, cmdline.find('\0')));
  }
  ::close(dirFd);
  return found;
}

Wanted WantedFor(std::string_view name) {
  while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  Wanted wanted;
  wanted.key = ChildRegistry::ProgramKey(name);
  if (wanted.key.empty()) return wanted;
  if (name.find_first_of("\\/") != std::string_view::npos) {
    wanted.windowsPath = Paths::FoldCase(Paths::FullPath(name));
    if (wanted.windowsPath.size() > 4 && wanted.windowsPath.ends_with(".EXE"))
      wanted.windowsPath.resize(wanted.windowsPath.size() - 4);
  }
  return wanted;
}

// Calls `take` with each process of /proc that matches, until it returns false.
void ScanProcesses(const Wanted& wanted, const std::function<bool(int procFd, const char* pid)>& take) {
  const int procFd = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (procFd < 0) return;
  DIR* dir = fdopendir(dup(procFd));
  if (dir) {
    for (;;) {
      const dirent* entry = readdir(dir);
      if (!entry) break;
      if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
      if (ProcessMatches(procFd, entry->d_name, wanted) && !take(procFd, entry->d_name)) break;
    }
    closedir(dir);
  }
  close(procFd);
}

bool CarriesOurMark(int procFd, const char* pid) {
  const std::string path = std::string(pid) + "/environ";
  const std::string environment = ReadSmall(procFd, path.c_str(), 1 << 18);
  const std::string mark = std::string(ChildSpawn::kMarkName) + "=" + std::to_string(getpid());
  std::size_t at = 0;
  while (at < environment.size()) {
    const std::size_t end = std::min(environment.find('\0', at), environment.size());
    if (environment.compare(at, end - at, mark) == 0) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

bool ProcessRunning(std::string_view name) {
  const Wanted wanted = WantedFor(name);
  if (wanted.key.empty()) return false;
  // A name with a folder names that file alone.
  if (ChildRegistry::AnyRunning(wanted.windowsPath.empty() ? std::string_view(wanted.key) : std::string_view(),
                                wanted.windowsPath))
    return true;
  bool found = false;
  ScanProcesses(wanted, [&](int, const char*) {
    found = true;
    return false;
  });
  return found;
}

std::vector<int> MarkedProcessesNamed(std::string_view name) {
  const Wanted wanted = WantedFor(name);
  std::vector<int> pids;
  if (wanted.key.empty()) return pids;
  ScanProcesses(wanted, [&](int procFd, const char* pid) {
    if (CarriesOurMark(procFd, pid)) pids.push_back(std::atoi(pid));
    return true;
  });
  return pids;
}

}  // namespace ChildProcess
