// The system's processes from /proc: a folder per process, its "stat", "exe", "cmdline" and
// "environ".
#include "platform/processes/system_processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace SystemProcesses {
namespace {

// Reads a small file below the folder (at most `limit` bytes); empty when unreadable.
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

}  // namespace

bool Process::Running(std::string& commandName) const {
  // "PID (NAME) STATE ...": the name may itself hold parentheses and blanks.
  const std::string stat = ReadSmall(folder_, "stat", 512);
  const std::size_t open = stat.find('(');
  const std::size_t close = stat.rfind(')');
  bool alive = open != std::string::npos && close != std::string::npos && close > open && close + 2 < stat.size();
  alive = alive && stat[close + 2] != 'Z' && stat[close + 2] != 'X';
  if (alive) commandName = stat.substr(open + 1, close - open - 1);
  return alive;
}

std::string Process::Executable() const {
  char target[4096];
  const ssize_t n = readlinkat(folder_, "exe", target, sizeof target - 1);
  if (n <= 0) return {};
  std::string exe(target, static_cast<std::size_t>(n));
  if (exe.ends_with(" (deleted)")) exe.resize(exe.size() - 10);
  return exe;
}

std::string Process::FirstArgument() const {
  const std::string cmdline = ReadSmall(folder_, "cmdline", 4096);
  return cmdline.substr(0, cmdline.find('\0'));
}

bool Process::HasEnvironmentEntry(std::string_view entry) const {
  const std::string environment = ReadSmall(folder_, "environ", 1 << 18);
  std::size_t at = 0;
  while (at < environment.size()) {
    const std::size_t end = std::min(environment.find('\0', at), environment.size());
    if (environment.compare(at, end - at, entry) == 0) return true;
    at = end + 1;
  }
  return false;
}

void ForEach(const std::function<bool(const Process&)>& visit) {
  const int procFd = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (procFd < 0) return;
  DIR* dir = fdopendir(dup(procFd));
  if (dir) {
    for (;;) {
      const dirent* entry = readdir(dir);
      if (!entry) break;
      if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
      const int dirFd = openat(procFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (dirFd < 0) continue;
      const bool more = visit(Process(dirFd, std::atoi(entry->d_name)));
      close(dirFd);
      if (!more) break;
    }
    closedir(dir);
  }
  close(procFd);
}

}  // namespace SystemProcesses
