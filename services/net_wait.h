// Waiting for a socket without freezing the console: the window's messages keep flowing
// (keys reach the key queue and silence speech, sound buffers complete) while a socket
// connects, a handshake runs or data is awaited.
#pragma once

#include <functional>

#include "platform/processes/readiness.h"

namespace NetWait {

// Waits until `fd` is ready for `want` (Readiness::kReadable, kWritable), also on an error
// or hang-up condition (the next call on the socket reports it), at most `timeoutMs` (-1: no
// limit), pumping messages all the while. `giveUp`, when given, is asked after every pump and
// ends the wait early when it says so. True when the socket is ready.
bool WaitFd(int fd, unsigned want, int timeoutMs, const std::function<bool()>& giveUp = {});

// Is the socket ready for `want` at this moment (no wait, no pumping)?
bool ReadyNow(int fd, unsigned want);

}  // namespace NetWait
