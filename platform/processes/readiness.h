// Waiting for handles to become ready: a set of handles whose readiness wakes one waitable
// handle (what the event loop waits on), and a bounded wait over a few handles.
#pragma once

#include <cstdint>

#include "platform/processes/processes.h"
#include "platform/processes/readiness_bits.h"

namespace Readiness {

using Processes::Handle;

// Handles, each with a token of the caller's; Close() gives the set's resources back.
class Set {
 public:
  // Makes the set usable (once); false when the system refuses.
  bool Open();
  bool IsOpen() const { return handle_ != Processes::kNoHandle; }
  // Readable while a member is ready: the handle to wait on.
  Handle Waitable() const { return handle_; }
  // Watches the handle for `want`; false when it cannot be watched.
  bool Add(Handle handle, unsigned want, uint64_t token);
  // Changes what a member is watched for.
  bool Change(Handle handle, unsigned want, uint64_t token);
  // Stops watching a member (before it is closed).
  void Remove(Handle handle);
  struct Event {
    uint64_t token;
    unsigned happened;
  };
  // The members ready now, without waiting: up to `max` of them into `events`; the count.
  int ReadyNow(Event* events, int max);
  void Close();

 private:
  Handle handle_ = Processes::kNoHandle;
};

// One handle of WaitAny; a handle of kNoHandle is skipped.
struct Wait {
  Handle handle = Processes::kNoHandle;
  unsigned want = kReadable;
  unsigned happened = 0;
};
// WaitAny ended early: a signal came, or the wait failed.
inline constexpr int kWaitInterrupted = -1;
inline constexpr int kWaitFailed = -2;
// Waits at most `timeoutMs` (-1: no limit) until one of the handles is ready: how many are,
// 0 when the time passed, kWaitInterrupted or kWaitFailed.
int WaitAny(Wait* waits, int count, int timeoutMs);
// Whether the handle is ready for `want` at this moment (a fault counts as ready: the next
// call on it reports the fault).
bool ReadyNow(Handle handle, unsigned want);

}  // namespace Readiness
