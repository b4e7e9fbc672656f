// Starting a program or opening a document for the user, as the shell's "open" does: a
// program with its arguments in a working folder, or a document or address through
// xdg-open. Children that end are reaped; none is waited for unless asked.
#pragma once

#include <string>
#include <vector>

#include "platform/processes/processes.h"

namespace ShellOpen {

// A child started here; kNoChild: none.
using Child = Processes::ProcessId;
inline constexpr Child kNoChild = -1;

// Starts argv[0] (a path, or a name looked up in PATH) with the rest as its arguments in
// `folder` (a Linux folder; empty: the current one). Returns the child, or kNoChild when
// it could not be started.
Child Start(const std::vector<std::string>& argv, const std::string& folder);
// The document or address opened with xdg-open.
Child OpenDocument(const std::string& document, const std::string& folder);
// True once the child has ended (it is reaped then); true also for an unknown id.
bool Ended(Child child);
// Waits, without the event loop, until the child ends (the child owns the terminal).
void WaitFor(Child child);
// Reaps the children of ours that have ended since.
void ReapEnded();

}  // namespace ShellOpen
