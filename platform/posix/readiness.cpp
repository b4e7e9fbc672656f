// Readiness on epoll (the set) and poll (the bounded wait over a few handles).
#include "platform/processes/readiness.h"

#include <poll.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace Readiness {
namespace {

uint32_t EpollEvents(unsigned want) {
  uint32_t events = 0;
  if (want & kReadable) events |= EPOLLIN;
  if (want & kWritable) events |= EPOLLOUT;
  return events;
}

unsigned FromEpoll(uint32_t events) {
  unsigned happened = 0;
  if (events & EPOLLIN) happened |= kReadable;
  if (events & EPOLLOUT) happened |= kWritable;
  if (events & EPOLLHUP) happened |= kHangUp;
  if (events & EPOLLERR) happened |= kFault;
  return happened;
}

short PollEvents(unsigned want) {
  short events = 0;
  if (want & kReadable) events |= POLLIN;
  if (want & kWritable) events |= POLLOUT;
  return events;
}

unsigned FromPoll(short events) {
  unsigned happened = 0;
  if (events & POLLIN) happened |= kReadable;
  if (events & POLLOUT) happened |= kWritable;
  if (events & POLLHUP) happened |= kHangUp;
  if (events & (POLLERR | POLLNVAL)) happened |= kFault;
  return happened;
}

bool Control(Handle set, int operation, Handle handle, unsigned want, uint64_t token) {
  epoll_event ev{};
  ev.events = EpollEvents(want);
  ev.data.u64 = token;
  return epoll_ctl(set, operation, handle, &ev) == 0;
}

}  // namespace

bool Set::Open() {
  if (handle_ < 0) handle_ = epoll_create1(EPOLL_CLOEXEC);
  return handle_ >= 0;
}

bool Set::Add(Handle handle, unsigned want, uint64_t token) {
  return Control(handle_, EPOLL_CTL_ADD, handle, want, token);
}

bool Set::Change(Handle handle, unsigned want, uint64_t token) {
  return Control(handle_, EPOLL_CTL_MOD, handle, want, token);
}

void Set::Remove(Handle handle) { epoll_ctl(handle_, EPOLL_CTL_DEL, handle, nullptr); }

int Set::ReadyNow(Event* events, int max) {
  if (handle_ < 0 || max <= 0) return 0;
  std::vector<epoll_event> ready(static_cast<std::size_t>(max));
  const int n = epoll_wait(handle_, ready.data(), max, 0);
  for (int i = 0; i < n; ++i) {
    // Copied out: the event structure is packed.
    const uint64_t token = ready[i].data.u64;
    const uint32_t happened = ready[i].events;
    events[i] = Event{token, FromEpoll(happened)};
  }
  return n < 0 ? 0 : n;
}

void Set::Close() {
  if (handle_ >= 0) close(handle_);
  handle_ = Processes::kNoHandle;
}

int WaitAny(Wait* waits, int count, int timeoutMs) {
  std::vector<pollfd> fds(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) fds[i] = pollfd{waits[i].handle, PollEvents(waits[i].want), 0};
  const int n = poll(fds.data(), static_cast<nfds_t>(count), timeoutMs);
  for (int i = 0; i < count; ++i) waits[i].happened = n > 0 ? FromPoll(fds[i].revents) : 0;
  if (n < 0) return errno == EINTR ? kWaitInterrupted : kWaitFailed;
  return n;
}

bool ReadyNow(Handle handle, unsigned want) {
  if (handle < 0) return false;
  pollfd p{handle, PollEvents(want), 0};
  for (;;) {
    const int n = poll(&p, 1, 0);
    if (n >= 0) return n > 0;
    if (errno != EINTR) return true;  // let the caller's next call report the fault
  }
}

}  // namespace Readiness
