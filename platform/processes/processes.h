// Child processes of the system: starting a program with an argument vector and the streams
// it is given, pipes to and from it, waiting for its end, ending it, and the runtime's own
// process (its id, its environment, its terminal).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Processes {

// A process of the system; -1: none.
using ProcessId = int;
// A pipe end, a standard stream or an object that signals readiness; kNoHandle: none.
using Handle = int;
inline constexpr Handle kNoHandle = -1;

// The runtime's own standard streams.
Handle StandardInput();
Handle StandardOutput();
Handle StandardError();

enum class Group {
  OwnSession,          // a session of its own: no controlling terminal
  OwnGroup,            // a process group of its own, which it leads
  TerminalForeground,  // a group of its own, made the foreground of `terminal` before it runs
};

struct SpawnRequest {
  std::string path;                      // the executable
  std::vector<std::string> argv;         // argv[0] first; each element reaches it as one argument
  std::vector<std::string> environment;  // "NAME=value": the child's whole environment
  // The child's standard input, output and error; kNoHandle gives it the null device.
  Handle input = kNoHandle;
  Handle output = kNoHandle;
  Handle error = kNoHandle;
  Group group = Group::OwnSession;
  Handle terminal = kNoHandle;  // for Group::TerminalForeground
  std::string folder;           // its working folder; empty: the runtime's
  bool closeOthers = true;      // no other handle of the runtime reaches it
};

// Why a start failed.
enum class SpawnFailure { None, NotFound, NoAccess, NotAFolder, NotAProgram, Other };

// Starts the program with its signals at their defaults and none blocked: its id, or -1
// with the reason in `failure`.
ProcessId Spawn(const SpawnRequest& request, SpawnFailure& failure);

// How a process ended: `normal` when it exited (with `code`), otherwise a signal ended it.
struct Exit {
  bool normal = true;
  int code = 0;
};

enum class Reaped {
  Running,   // it has not ended
  Ended,     // it ended and is reaped now; `exit` says how
  NotOurs,   // no child of ours by that id (reaped elsewhere)
};
// Reaps the child when it has ended, without waiting.
Reaped TryReap(ProcessId child, Exit& exit);
// Waits for the child to end and reaps it (an exit of 0 when it is not ours).
Exit WaitFor(ProcessId child);
// A handle that becomes readable when the process ends; kNoHandle on a system without them.
Handle WatchEnd(ProcessId process);

// Ends the process at once (it alone).
void Kill(ProcessId process);
// Ends the group the process leads at once.
void KillGroup(ProcessId leader);
// Asks the group the process leads to end (or, with `force`, ends it at once); the process
// alone when it leads no group.
void EndGroup(ProcessId leader, bool force);
// The group the process leads goes on when the process was stopped (from the terminal).
void ContinueGroupIfStopped(ProcessId leader);

// The runtime's group takes back the foreground of the terminal on its standard input.
void TakeTerminalForeground();
// The runtime's own process id.
ProcessId CurrentId();
// The runtime's own executable file; empty when it is not known.
std::string ExecutablePath();
// The runtime's environment ("NAME=value" entries).
std::vector<std::string> Environment();
// Sets a variable of the runtime's environment (what later children get too).
void SetEnvironmentVariable(const std::string& name, const std::string& value);
// How many handles the runtime may hold open at once; -1 when there is no limit or it is
// not known.
long OpenHandleLimit();

// Starts the program so that it belongs to no process of the runtime (it is nobody's child
// here and outlives the runtime), in a session of its own, with the null device for its
// standard streams and `passed` as its handle number 3 (kept across the start). False when
// it could not be started.
bool StartDetached(const std::string& path, const std::vector<std::string>& argv, Handle passed);

// A pipe: what is written to `write` is read from `read`. Neither end reaches a child
// unless it is given to one as a stream.
struct Pipe {
  Handle read = kNoHandle;
  Handle write = kNoHandle;
};
bool MakePipe(Pipe& pipe);
// Reads and writes on the handle return at once instead of waiting.
void SetNonBlocking(Handle handle);
// Closes the handle; kNoHandle is ignored.
void Close(Handle handle);

// Read and Write: nothing can move now on a non-blocking handle.
inline constexpr long kWouldBlock = -2;
// Up to `size` bytes: the count, 0 at the end of the stream, kWouldBlock, or -1 on a fault.
long Read(Handle handle, void* buffer, std::size_t size);
// Up to `size` bytes: the count, kWouldBlock, or -1 when the reader has gone (the runtime
// is not ended for it) or on another fault.
long Write(Handle handle, const void* bytes, std::size_t size);

}  // namespace Processes
