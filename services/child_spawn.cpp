// posix_spawn with the hygiene every child gets: its three streams placed, every other
// descriptor closed, every signal back to its default and unblocked.
#include "services/child_spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace ChildSpawn {
namespace {

// posix_spawn's two structures, destroyed on every way out.
struct SpawnParts {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  SpawnParts() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnParts() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnParts(const SpawnParts&) = delete;
  SpawnParts& operator=(const SpawnParts&) = delete;
};

}  // namespace

pid_t Spawn(const Request& request, int& error) {
  error = 0;
  if (request.argv.empty() || request.path.empty()) {
    error = ENOENT;
    return -1;
  }
  int devNull = -1;
  if (request.stdinFd < 0 || request.stdoutFd < 0 || request.stderrFd < 0) {
    devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0) {
      error = errno;
      return -1;
    }
  }
  SpawnParts parts;
  short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
  if (request.terminalFd >= 0) {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&parts.attributes, 0);
    // Done in the child once it is in its own group, so that it never reads the terminal
    // before it owns it.
    posix_spawn_file_actions_addtcsetpgrp_np(&parts.actions, request.terminalFd);
  } else {
    flags |= POSIX_SPAWN_SETSID;
  }
  posix_spawnattr_setflags(&parts.attributes, flags);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigdefault(&parts.attributes, &all);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&parts.attributes, &none);

  const int streams[3] = {request.stdinFd, request.stdoutFd, request.stderrFd};
  for (int target = 0; target < 3; ++target)
    posix_spawn_file_actions_adddup2(&parts.actions, streams[target] < 0 ? devNull : streams[target], target);
  if (!request.folder.empty()) posix_spawn_file_actions_addchdir_np(&parts.actions, request.folder.c_str());
  posix_spawn_file_actions_addclosefrom_np(&parts.actions, 3);

  std::vector<char*> argv;
  for (const std::string& a : request.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // Every child, and whatever it starts (even in a session of its own), carries the mark of
  // the runtime that started it, so that TASKKILL ends ours alone.
  const std::string mark = std::string(kMarkName) + "=" + std::to_string(getpid());
  std::vector<char*> envp;
  for (char** e = environ; *e; ++e)
    if (std::string_view(*e).substr(0, std::string_view(kMarkName).size() + 1) != std::string(kMarkName) + "=")
      envp.push_back(*e);
  envp.push_back(const_cast<char*>(mark.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, request.path.c_str(), &parts.actions, &parts.attributes, argv.data(), envp.data());
  if (devNull >= 0) close(devNull);
  if (rc != 0) {
    error = rc;
    return -1;
  }
  return pid;
}

}  // namespace ChildSpawn
