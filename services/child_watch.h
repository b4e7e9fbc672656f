// The descriptors of child processes that the event loop watches (pipe ends, process
// descriptors), gathered in one readiness set that is a single source of the loop.
#pragma once

#include <functional>

#include "platform/processes/readiness.h"

namespace ChildWatch {

// Called with what happened (Readiness::kReadable, kWritable, kHangUp, kFault).
using Callback = std::function<void(unsigned happened)>;

// Watches `fd` for `want` (Readiness::kReadable and/or kWritable); a second call for the
// same fd replaces what it is watched for and its callback. False when the descriptor
// cannot be watched.
bool Watch(Processes::Handle fd, unsigned want, Callback callback);
// Stops watching `fd` (before it is closed). Harmless for a descriptor not watched.
void Unwatch(Processes::Handle fd);
// A call made every `intervalMs` while it returns true (work that has no descriptor to
// wake the loop, such as reaping children on a kernel without process descriptors).
void AddTicker(int intervalMs, std::function<bool()> tick);
// Runs the callbacks of every ready descriptor now, without waiting.
void RunReady();
// Forgets every watch and ticker and registers with the event loop again at the next
// watch (call after Messages::ResetMessages, which drops the loop's sources).
void ResetChildWatch();

}  // namespace ChildWatch
