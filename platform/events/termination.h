// Ending a run that has no terminal of its own (the headless device) when it is asked to
// stop by SIGTERM, SIGINT or SIGHUP: the signal only marks the request and wakes the event
// loop, the run ends as a closed window does (its files written), and the process then ends
// of that same signal. A second signal ends it at once.
#pragma once

namespace Termination {

// Installs the handlers (a signal the user chose to ignore stays ignored).
void Catch();
// A stop was asked for.
bool Requested();
// After the run's files are written: ends the process by the signal that asked, if any.
void Finish();
// Forgets a request (tests).
void Reset();

}  // namespace Termination
