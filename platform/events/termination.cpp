// The handlers of the stop signals: async-signal-safe, they store the signal, give the
// signal its default action back (so a second one ends the process) and wake the loop.
#include "platform/events/termination.h"

#include <csignal>

#include "platform/events/messages.h"

namespace Termination {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t requested = 0;

void OnSignal(int sig) {
  requested = sig;
  signal(sig, SIG_DFL);
  Messages::WakeFromSignal();
}

}  // namespace

void Catch() {
  for (int sig : kSignals) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) != 0) continue;
    if (old.sa_handler == SIG_IGN && !(old.sa_flags & SA_SIGINFO)) continue;
    struct sigaction ours {};
    ours.sa_handler = OnSignal;
    sigemptyset(&ours.sa_mask);
    ours.sa_flags = SA_RESTART;
    sigaction(sig, &ours, nullptr);
  }
}

bool Requested() { return requested != 0; }

void Finish() {
  const int sig = requested;
  if (sig == 0) return;
  signal(sig, SIG_DFL);
  raise(sig);
}

void Reset() { requested = 0; }

}  // namespace Termination
