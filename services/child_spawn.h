// Starting a Linux program as a child process, with the standard streams the caller gives
// and nothing else of the runtime: no other descriptor, default signal handling, and
// (unless it is handed the terminal) no controlling terminal.
#pragma once

#include <string>
#include <vector>

#include "platform/processes/processes.h"

namespace ChildSpawn {

struct Request {
  std::string path;               // the executable's Linux path
  std::vector<std::string> argv;  // UTF-8; argv[0] first
  // The child's standard input, output and error; kNoHandle gives it /dev/null.
  Processes::Handle stdinFd = Processes::kNoHandle;
  Processes::Handle stdoutFd = Processes::kNoHandle;
  Processes::Handle stderrFd = Processes::kNoHandle;
  // A terminal: the child runs in a process group of its own, made the terminal's
  // foreground group before the program starts. kNoHandle: the child starts a session of
  // its own instead, with no controlling terminal.
  Processes::Handle terminalFd = Processes::kNoHandle;
  std::string folder;  // Linux working folder; empty: the runtime's
};

// The environment variable every child gets: the process id of the runtime that started it.
inline constexpr const char* kMarkName = "FONIX_RUNTIME_PID";

// The child's process id, or -1 with the reason in `failure`.
Processes::ProcessId Spawn(const Request& request, Processes::SpawnFailure& failure);

}  // namespace ChildSpawn
