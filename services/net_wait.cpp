// The socket wait: the socket joins the event loop's sources for the time of the wait, so
// one poll() wakes for the socket, a key or a posted message alike.
#include "services/net_wait.h"

#include <poll.h>

#include <cerrno>

#include "platform/events/messages.h"

namespace NetWait {
namespace {

// Takes the socket out of the loop however the wait ends (a closed window unwinds through
// the pump as an exception).
struct SourceGuard {
  int id;
  ~SourceGuard() { Messages::RemoveSource(id); }
};

}  // namespace

bool ReadyNow(int fd, short events) {
  if (fd < 0) return false;
  pollfd p{fd, events, 0};
  for (;;) {
    const int n = poll(&p, 1, 0);
    if (n >= 0) return n > 0;
    if (errno != EINTR) return true;  // let the caller's next call report the fault
  }
}

bool WaitFd(int fd, short events, int timeoutMs, const std::function<bool()>& giveUp) {
  if (fd < 0) return false;
  Messages::Source source;
  source.fd = [fd] { return fd; };
  source.drain = [] {};  // the waiter below looks at the socket itself
  source.events = events;
  const SourceGuard guard{Messages::AddSource(std::move(source))};
  const int64_t deadline = timeoutMs < 0 ? -1 : Messages::NowMs() + timeoutMs;
  for (;;) {
    if (ReadyNow(fd, events)) return true;
    Messages::PumpMessages();
    if (ReadyNow(fd, events)) return true;
    if (giveUp && giveUp()) return false;
    int wait = -1;
    if (deadline >= 0) {
      const int64_t left = deadline - Messages::NowMs();
      if (left <= 0) return false;
      wait = static_cast<int>(left);
    }
    Messages::WaitMessage(wait);
  }
}

}  // namespace NetWait
