// The processes of the whole system, as a scan meets them: their ids, short command names,
// program files, first arguments and environments, each read only when asked for.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/processes/processes.h"

namespace SystemProcesses {

// The system keeps this much of a command name.
inline constexpr std::size_t kCommandNameLength = 15;

// One process of the scan; valid only inside the call ForEach makes with it.
class Process {
 public:
  Process(Processes::Handle folder, Processes::ProcessId id) : folder_(folder), id_(id) {}
  Processes::ProcessId Id() const { return id_; }
  // Its short command name (UTF-8, may hold blanks and parentheses); false when it is not
  // running (ended, a zombie, or unreadable).
  bool Running(std::string& commandName) const;
  // The path of its program file (UTF-8); empty when unknown.
  std::string Executable() const;
  // Its first argument as it was started (UTF-8); empty when unreadable.
  std::string FirstArgument() const;
  // Whether its environment holds exactly this "NAME=value" entry.
  bool HasEnvironmentEntry(std::string_view entry) const;

 private:
  Processes::Handle folder_;
  Processes::ProcessId id_;
};

// Calls `visit` with each process of the system until it returns false.
void ForEach(const std::function<bool(const Process&)>& visit);

}  // namespace SystemProcesses
