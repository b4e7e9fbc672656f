// The child process with pipes: a program started hidden with its standard streams on
// pipes, whose output a script collects, to which it types lines, and whose running is
// asked by executable name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ChildProcess {

// Starts the command line (Windows-1252; see command_line.h for how it is read) with its
// standard input, output and error on pipes. An earlier child keeps running; its pipes are
// drained (and their text dropped) until it ends. True when the process was created.
bool ChildStart(std::string_view commandLine);
// What the current child printed since the last read: output, CR LF, error, CR LF (see
// child_output.h); empty when nothing new came or no child was started.
std::string ChildReadOutput();
// After a pause of 100 ms, the text and a line end to the child's standard input (nothing
// when no child was started or its input is closed). A Linux program ends its lines with
// LF alone, so that is the line end it gets. Never blocks: what the pipe cannot take at once
// is written as the child reads.
void ChildSendLine(std::string_view text);
// True when a process runs whose executable name (without folder, letter case and ".exe")
// or full path is `name`: the children the runtime started, under the names they were
// started by, and every other process of the system.
bool ProcessRunning(std::string_view name);
// The processes of the system (by /proc, not the registry) that ProcessRunning would match
// by the name and that carry this runtime's mark (child_spawn.h): what our children started,
// even in sessions of their own.
std::vector<int> MarkedProcessesNamed(std::string_view name);

// Process id of the current child (-1: none); for tests and the terminal hand-over.
int CurrentChildPid();
// Kills and reaps every child, closes every pipe (tests; call after Messages::ResetMessages).
void ResetChildProcess();

}  // namespace ChildProcess
