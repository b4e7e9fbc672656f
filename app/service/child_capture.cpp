// posix_spawn in a process group of its own, so that a time limit ends the program and any
// helper it started; its output and its errors are read through two pipes until both close.
#include "app/service/child_capture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

namespace ChildCapture {

namespace {

// This process's environment with `folder` put first on PATH.
std::vector<std::string> EnvironmentWithFolder(const std::string& folder) {
  std::vector<std::string> env;
  bool pathSeen = false;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    if (!folder.empty() && entry.starts_with("PATH=")) {
      entry = "PATH=" + folder + (entry.size() > 5 ? ":" + entry.substr(5) : "");
      pathSeen = true;
    }
    env.push_back(std::move(entry));
  }
  if (!folder.empty() && !pathSeen) env.push_back("PATH=" + folder + ":/usr/local/bin:/usr/bin:/bin");
  return env;
}

}  // namespace

Result Run(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder,
           int timeoutMs, std::size_t maxBytes) {
  Result result;
  int pipeFds[2], errorFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return result;
  if (pipe2(errorFds, O_CLOEXEC) != 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errorFds[1], 2);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::vector<std::string> env = EnvironmentWithFolder(folder);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(pipeFds[1]);
  close(errorFds[1]);
  if (spawned != 0) {
    close(pipeFds[0]);
    close(errorFds[0]);
    return result;
  }
  result.started = true;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  char buffer[8192];
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      break;
    }
    pollfd p[2] = {{outOpen ? pipeFds[0] : -1, POLLIN, 0}, {errOpen ? errorFds[0] : -1, POLLIN, 0}};
    const int ready = poll(p, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    if (outOpen && p[0].revents != 0) {
      const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
      if (n == 0 || (n < 0 && errno != EINTR)) outOpen = false;
      if (n > 0) {
        const std::size_t room = maxBytes > result.output.size() ? maxBytes - result.output.size() : 0;
        result.output.append(buffer, std::min(room, static_cast<std::size_t>(n)));
      }
    }
    if (errOpen && p[1].revents != 0) {
      const ssize_t n = read(errorFds[0], buffer, sizeof buffer);
      if (n == 0 || (n < 0 && errno != EINTR)) errOpen = false;
      if (n > 0) {
        result.errors.append(buffer, static_cast<std::size_t>(n));
        if (result.errors.size() > kMaxErrorBytes) result.errors.erase(0, result.errors.size() - kMaxErrorBytes);
      }
    }
  }
  close(pipeFds[0]);
  close(errorFds[0]);
  if (result.timedOut) kill(-pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!result.timedOut && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}

}  // namespace ChildCapture
