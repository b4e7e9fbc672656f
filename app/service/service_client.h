// How clipora-light reaches its local service: it joins the service already serving its
// drive C (started by another instance) or starts one, and holds a lease on it until the
// process ends, so the service stops after the last instance.
#pragma once

#include <functional>
#include <string>

namespace ServiceClient {

// Stops watching the service and closes the lease (tests; a process simply ends).
void Reset();

// How long a start waits for another instance that holds the start lock, and when it tells
// the user it is waiting.
inline constexpr int kLockWaitMs = 4000;
inline constexpr int kLockNoticeMs = 700;

// The service's "127.0.0.1:PORT" for drive C's folder `driveC`: the one named by
// `addressFile` when it answers as the service of that folder, else a new one run from
// `serviceExe` (started as "clipora-servico --fd 3 --c DRIVE", detached from this process).
// A lock file beside the address file keeps two instances starting at once from starting
// two services. The address file is rewritten with "busca=" and the address (empty when no
// service could be had), then `moreLines` (each ended by CR LF). Empty when no service
// could be had. When the lock is not had in kLockNoticeMs, `onWait` is called once; after
// kLockWaitMs the start goes on without it.
//
// While the process holds its lease, a thread watches it: when the service is gone (it was
// ended, or died), the same is done again under the lock, on the same port when it is
// free, so the running program's address keeps working.
std::string StartOrJoin(const std::string& serviceExe, const std::string& driveC, const std::string& addressFile,
                        const std::string& moreLines = {}, const std::function<void()>& onWait = {});

// A lease on the service at `port` when it answers as the service of `driveC` in time:
// the connection to hold (close-on-exec), or -1.
int JoinExisting(int port, const std::string& driveC);

}  // namespace ServiceClient
