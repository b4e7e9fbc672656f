// Child processes on posix_spawn, waitpid and signals; pipes and their reads and writes.
#include "platform/processes/processes.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace Processes {
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

SpawnFailure FailureOf(int error) {
  if (error == ENOENT) return SpawnFailure::NotFound;
  if (error == EACCES || error == EPERM || error == EISDIR) return SpawnFailure::NoAccess;
  if (error == ENOTDIR) return SpawnFailure::NotAFolder;
  if (error == ENOEXEC) return SpawnFailure::NotAProgram;
  return SpawnFailure::Other;
}

Exit ExitOf(int status) {
  if (WIFEXITED(status)) return Exit{true, WEXITSTATUS(status)};
  return Exit{false, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

}  // namespace

Handle StandardInput() { return STDIN_FILENO; }
Handle StandardOutput() { return STDOUT_FILENO; }
Handle StandardError() { return STDERR_FILENO; }

ProcessId Spawn(const SpawnRequest& request, SpawnFailure& failure) {
  failure = SpawnFailure::None;
  if (request.argv.empty() || request.path.empty()) {
    failure = SpawnFailure::NotFound;
    return -1;
  }
  int devNull = -1;
  if (request.input < 0 || request.output < 0 || request.error < 0) {
    devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0) {
      failure = FailureOf(errno);
      return -1;
    }
  }
  SpawnParts parts;
  short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
  if (request.group == Group::OwnSession) {
    flags |= POSIX_SPAWN_SETSID;
  } else {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&parts.attributes, 0);
    // Done in the child once it is in its own group, so that it never reads the terminal
    // before it owns it.
    if (request.group == Group::TerminalForeground)
      posix_spawn_file_actions_addtcsetpgrp_np(&parts.actions, request.terminal);
  }
  posix_spawnattr_setflags(&parts.attributes, flags);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigdefault(&parts.attributes, &all);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&parts.attributes, &none);

  const int streams[3] = {request.input, request.output, request.error};
  for (int target = 0; target < 3; ++target)
    posix_spawn_file_actions_adddup2(&parts.actions, streams[target] < 0 ? devNull : streams[target], target);
  if (!request.folder.empty()) posix_spawn_file_actions_addchdir_np(&parts.actions, request.folder.c_str());
  if (request.closeOthers) posix_spawn_file_actions_addclosefrom_np(&parts.actions, 3);

  std::vector<char*> argv;
  for (const std::string& a : request.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : request.environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, request.path.c_str(), &parts.actions, &parts.attributes, argv.data(), envp.data());
  if (devNull >= 0) close(devNull);
  if (rc != 0) {
    failure = FailureOf(rc);
    return -1;
  }
  return pid;
}

Reaped TryReap(ProcessId child, Exit& exit) {
  int status = 0;
  pid_t r;
  do r = waitpid(child, &status, WNOHANG);
  while (r < 0 && errno == EINTR);
  if (r == child) {
    exit = ExitOf(status);
    return Reaped::Ended;
  }
  if (r < 0 && errno == ECHILD) return Reaped::NotOurs;
  return Reaped::Running;
}

Exit WaitFor(ProcessId child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return ExitOf(status);
}

Handle WatchEnd(ProcessId process) {
#ifdef SYS_pidfd_open
  const long fd = syscall(SYS_pidfd_open, process, 0);
  return fd < 0 ? kNoHandle : static_cast<Handle>(fd);
#else
  (void)process;
  return kNoHandle;
#endif
}

void Kill(ProcessId process) { kill(process, SIGKILL); }

void KillGroup(ProcessId leader) { kill(-leader, SIGKILL); }

void EndGroup(ProcessId leader, bool force) {
  const int sig = force ? SIGKILL : SIGTERM;
  if (kill(-leader, sig) != 0) kill(leader, sig);
}

void ContinueGroupIfStopped(ProcessId leader) {
  siginfo_t info{};
  if (waitid(P_PID, static_cast<id_t>(leader), &info, WSTOPPED | WNOHANG) == 0 && info.si_pid == leader &&
      info.si_code == CLD_STOPPED)
    kill(-leader, SIGCONT);
}

void TakeTerminalForeground() {
  // From the background, taking the foreground back would stop us with SIGTTOU.
  sigset_t ttou, previous;
  sigemptyset(&ttou);
  sigaddset(&ttou, SIGTTOU);
  pthread_sigmask(SIG_BLOCK, &ttou, &previous);
  tcsetpgrp(STDIN_FILENO, getpgrp());
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

ProcessId CurrentId() { return getpid(); }

std::string ExecutablePath() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.string();
}

std::vector<std::string> Environment() {
  std::vector<std::string> entries;
  for (char** e = environ; *e != nullptr; ++e) entries.emplace_back(*e);
  return entries;
}

void SetEnvironmentVariable(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

long OpenHandleLimit() {
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY) return -1;
  return static_cast<long>(files.rlim_cur);
}

bool StartDetached(const std::string& path, const std::vector<std::string>& argv, Handle passed) {
  // A double fork. Nothing is made after the fork: other threads may hold the allocator's
  // lock.
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const char* const exe = path.c_str();
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
    dup2(passed, 3);
    fcntl(3, F_SETFD, 0);  // kept across the exec (dup2 of a descriptor onto itself keeps its flag)
    execv(exe, args.data());
    _exit(127);
  }
  if (child < 0) return false;
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  return true;
}

bool MakePipe(Pipe& pipe) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  pipe.read = fds[0];
  pipe.write = fds[1];
  return true;
}

void SetNonBlocking(Handle handle) { fcntl(handle, F_SETFL, fcntl(handle, F_GETFL) | O_NONBLOCK); }

void Close(Handle handle) {
  if (handle >= 0) close(handle);
}

long Read(Handle handle, void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = read(handle, buffer, size);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? kWouldBlock : -1;
  }
}

long Write(Handle handle, const void* bytes, std::size_t size) {
  // SIGPIPE (the reader has gone) is kept from ending the runtime: it is blocked around the
  // write and taken back after it.
  sigset_t pipeSignal, previous;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  sigset_t pendingBefore;
  sigpending(&pendingBefore);
  long result;
  for (;;) {
    const ssize_t n = write(handle, bytes, size);
    if (n >= 0) {
      result = n;
      break;
    }
    if (errno == EINTR) continue;
    result = errno == EAGAIN || errno == EWOULDBLOCK ? kWouldBlock : -1;
    break;
  }
  if (result == -1 && !sigismember(&pendingBefore, SIGPIPE)) {
    const timespec none{0, 0};
    sigtimedwait(&pipeSignal, nullptr, &none);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return result;
}

}  // namespace Processes
