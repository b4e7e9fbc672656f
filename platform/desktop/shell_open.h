// Starting a program or opening a document for the user, as the shell's "open" does: a
// program with its arguments in a working folder, or a document or address through
// xdg-open. Children that end are reaped; none is waited for unless asked.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ShellOpen {

// Starts argv[0] (a path, or a name looked up in PATH) with the rest as its arguments in
// `folder` (a Linux folder; empty: the current one). Returns the child's id, or -1 when
// it could not be started.
pid_t Start(const std::vector<std::string>& argv, const std::string& folder);
// The document or address opened with xdg-open.
pid_t OpenDocument(const std::string& document, const std::string& folder);
// True once the child has ended (it is reaped then); true also for an unknown id.
bool Ended(pid_t child);
// Waits, without the event loop, until the child ends (the child owns the terminal).
void WaitFor(pid_t child);
// Reaps the children of ours that have ended since.
void ReapEnded();

}  // namespace ShellOpen
