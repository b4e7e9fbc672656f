// Starting a Linux program as a child process, with the standard streams the caller gives
// and nothing else of the runtime: no other descriptor, default signal handling, and
// (unless it is handed the terminal) no controlling terminal.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ChildSpawn {

struct Request {
  std::string path;               // the executable's Linux path
  std::vector<std::string> argv;  // UTF-8; argv[0] first
  // The child's standard input, output and error; -1 gives it /dev/null.
  int stdinFd = -1;
  int stdoutFd = -1;
  int stderrFd = -1;
  // A terminal descriptor: the child runs in a process group of its own, made the
  // terminal's foreground group before the program starts. -1: the child starts a session
  // of its own instead, with no controlling terminal.
  int terminalFd = -1;
  std::string folder;  // Linux working folder; empty: the runtime's
};

// The environment variable every child gets: the process id of the runtime that started it.
inline constexpr const char* kMarkName = "FONIX_RUNTIME_PID";

// The child's process id, or -1 with the errno value in `error`.
pid_t Spawn(const Request& request, int& error);

}  // namespace ChildSpawn
