// The socket wait: the socket joins the event loop's sources for the time of the wait, so
// one wait wakes for the socket, a key or a posted message alike.
#include "services/net_wait.h"

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

bool ReadyNow(int fd, unsigned want) { return Readiness::ReadyNow(fd, want); }

bool WaitFd(int fd, unsigned want, int timeoutMs, const std::function<bool()>& giveUp) {
  if (fd < 0) return false;
  Messages::Source source;
  source.fd = [fd] { return fd; };
  source.drain = [] {};  // the waiter below looks at the socket itself
  source.events = want;
  const SourceGuard guard{Messages::AddSource(std::move(source))};
  const int64_t deadline = timeoutMs < 0 ? -1 : Messages::NowMs() + timeoutMs;
  for (;;) {
    if (ReadyNow(fd, want)) return true;
    Messages::PumpMessages();
    if (ReadyNow(fd, want)) return true;
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
