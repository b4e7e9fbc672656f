// The hygiene every child gets: its three streams placed, every other descriptor closed,
// every signal back to its default and unblocked, and the runtime's mark in its environment.
#include "services/child_spawn.h"

#include <string_view>

namespace ChildSpawn {

Processes::ProcessId Spawn(const Request& request, Processes::SpawnFailure& failure) {
  Processes::SpawnRequest spawn;
  spawn.path = request.path;
  spawn.argv = request.argv;
  spawn.input = request.stdinFd;
  spawn.output = request.stdoutFd;
  spawn.error = request.stderrFd;
  if (request.terminalFd >= 0) {
    spawn.group = Processes::Group::TerminalForeground;
    spawn.terminal = request.terminalFd;
  }
  spawn.folder = request.folder;
  // Every child, and whatever it starts (even in a session of its own), carries the mark of
  // the runtime that started it, so that TASKKILL ends ours alone.
  const std::string prefix = std::string(kMarkName) + "=";
  for (std::string& e : Processes::Environment())
    if (std::string_view(e).substr(0, prefix.size()) != prefix) spawn.environment.push_back(std::move(e));
  spawn.environment.push_back(prefix + std::to_string(Processes::CurrentId()));
  return Processes::Spawn(spawn, failure);
}

}  // namespace ChildSpawn
