// The descriptors of child processes that the event loop watches (pipe ends, process
// descriptors), gathered in one epoll set that is a single source of the loop.
#pragma once

#include <cstdint>
#include <functional>

namespace ChildWatch {

// Called with the epoll events that came (EPOLLIN, EPOLLOUT, EPOLLHUP, EPOLLERR).
using Callback = std::function<void(uint32_t events)>;

// Watches `fd` for `events` (EPOLLIN and/or EPOLLOUT); a second call for the same fd
// replaces its events and callback. False when the descriptor cannot be watched.
bool Watch(int fd, uint32_t events, Callback callback);
// Stops watching `fd` (before it is closed). Harmless for a descriptor not watched.
void Unwatch(int fd);
// A call made every `intervalMs` while it returns true (work that has no descriptor to
// wake the loop, such as reaping children on a kernel without process descriptors).
void AddTicker(int intervalMs, std::function<bool()> tick);
// Runs the callbacks of every ready descriptor now, without waiting.
void RunReady();
// Forgets every watch and ticker and registers with the event loop again at the next
// watch (call after Messages::ResetMessages, which drops the loop's sources).
void ResetChildWatch();

}  // namespace ChildWatch
