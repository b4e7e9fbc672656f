// The children the runtime started, by process id, with the names they are known by: a
// finished child is reaped at once (its process descriptor wakes the event loop), so it is
// never reported as running and never left a zombie.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/processes/processes.h"

namespace ChildRegistry {

using Processes::ProcessId;

// The key a program is compared by: the name without folder, folded to capitals, without
// a final ".EXE" (Windows-1252 in, Windows-1252 out).
std::string ProgramKey(std::string_view name);

// Registers a started child. `keys` are the ProgramKey of every name it answers to (the
// name it was started by, the file found, "CMD" for a command line); `windowsPath` its
// program's full Windows path, folded and without ".EXE" (may be empty). `onExit` runs
// once it has been reaped.
void Add(ProcessId pid, std::vector<std::string> keys, std::string windowsPath, std::function<void()> onExit = {});

// Reaps every registered child that has ended, without waiting.
void ReapEnded();
// True while the child runs (reaps first).
bool IsRunning(ProcessId pid);
// How a child that ended and was reaped ended (kept for the last few children).
std::optional<Processes::Exit> ExitStatus(ProcessId pid);
// True when a running registered child answers to the key, or (when `windowsPath` is not
// empty) was started from that program path.
bool AnyRunning(std::string_view key, std::string_view windowsPath);
// Process ids of the running registered children that answer to the key, or (when
// `windowsPath` is not empty) were started from that program path.
std::vector<ProcessId> RunningMatching(std::string_view key, std::string_view windowsPath);
// Process ids of the running registered children.
std::vector<ProcessId> Running();

// Ends every registered child at once, reaps it and forgets everything (tests).
void ResetChildRegistry();

}  // namespace ChildRegistry
