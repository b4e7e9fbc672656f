// The terminal's modes for a run and their restoration. Everything a signal handler
// touches is prepared beforehand in plain static storage, so that the handlers only call
// write, tcsetattr, sigaction and raise.
#include "platform/terminal/terminal_modes.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace TerminalModes {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGSEGV, SIGABRT,
                            SIGBUS, SIGFPE,  SIGILL,  SIGTSTP, SIGCONT};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr std::size_t kMaxSequence = 256;
// The handlers run on a stack of their own, so that a stack overflow can still give the
// terminal back.
constexpr std::size_t kSignalStackSize = 64 * 1024;

struct State {
  volatile sig_atomic_t active = 0;    // the terminal is ours now
  volatile sig_atomic_t stopped = 0;   // given back for a stop; take again on continue
  volatile sig_atomic_t resumeFd = -1;
  int inFd = -1;
  int outFd = -1;
  bool haveModes = false;
  termios original{};
  termios ours{};
  char enter[kMaxSequence] = {};
  std::size_t enterLen = 0;
  char leave[kMaxSequence] = {};
  std::size_t leaveLen = 0;
  bool handlersInstalled = false;
  bool atexitInstalled = false;
  struct sigaction previous[kSignalCount] = {};
  bool installed[kSignalCount] = {};
  alignas(16) char signalStack[kSignalStackSize];
};

State state;

void WriteAll(int fd, const char* bytes, std::size_t len) {
  while (len > 0) {
    const ssize_t n = write(fd, bytes, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes += n;
    len -= static_cast<std::size_t>(n);
  }
}

// Async-signal-safe.
void GiveBack() {
  if (!state.active) return;
  state.active = 0;
  WriteAll(state.outFd, state.leave, state.leaveLen);
  if (state.haveModes) tcsetattr(state.inFd, TCSANOW, &state.original);
}

// Async-signal-safe.
void TakeAgain() {
  if (state.active) return;
  if (state.haveModes) tcsetattr(state.inFd, TCSANOW, &state.ours);
  WriteAll(state.outFd, state.enter, state.enterLen);
  state.active = 1;
}

int IndexOf(int sig) {
  for (int i = 0; i < kSignalCount; ++i)
    if (kSignals[i] == sig) return i;
  return -1;
}

void OnSignal(int sig) {
  const int savedErrno = errno;
  const int index = IndexOf(sig);
  if (sig == SIGCONT) {
    if (state.stopped) {
      state.stopped = 0;
      TakeAgain();
      if (state.resumeFd >= 0) {
        const char c = 1;
        [[maybe_unused]] ssize_t n = write(state.resumeFd, &c, 1);
      }
    }
  } else if (sig == SIGTSTP) {
    // Stop as the default action would, with the terminal given back first; the handler
    // stays installed and the continue takes the terminal again.
    if (state.active) state.stopped = 1;
    GiveBack();
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(SIGTSTP, &dfl, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(SIGTSTP);  // stops here until SIGCONT
    struct sigaction ours {};
    ours.sa_handler = OnSignal;
    sigemptyset(&ours.sa_mask);
    ours.sa_flags = SA_RESTART | SA_ONSTACK;
    sigaction(SIGTSTP, &ours, nullptr);
  } else {
    GiveBack();
    // The disposition found at start (default, or a handler such as a sanitizer's) then
    // acts on the signal, once this handler returns.
    if (index >= 0) sigaction(sig, &state.previous[index], nullptr);
    raise(sig);
  }
  errno = savedErrno;
}

void AtExit() { GiveBack(); }

// The main thread's alternate signal stack: one already set up (a sanitizer's) is kept.
void EnsureSignalStack() {
  stack_t current{};
  if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
  stack_t ours{};
  ours.ss_sp = state.signalStack;
  ours.ss_size = sizeof state.signalStack;
  sigaltstack(&ours, nullptr);
}

void InstallHandlers() {
  EnsureSignalStack();
  if (state.handlersInstalled) return;
  state.handlersInstalled = true;
  for (int i = 0; i < kSignalCount; ++i) {
    struct sigaction old {};
    if (sigaction(kSignals[i], nullptr, &old) != 0) continue;
    // A signal the user chose to ignore (nohup) stays ignored.
    if (old.sa_handler == SIG_IGN && !(old.sa_flags & SA_SIGINFO)) continue;
    struct sigaction ours {};
    ours.sa_handler = OnSignal;
    sigemptyset(&ours.sa_mask);
    ours.sa_flags = SA_RESTART | SA_ONSTACK;
    if (sigaction(kSignals[i], &ours, &state.previous[i]) == 0) state.installed[i] = true;
  }
}

void Copy(char* to, std::size_t& len, std::string_view from) {
  len = std::min(from.size(), kMaxSequence);
  std::memcpy(to, from.data(), len);
}

}  // namespace

bool Take(int inFd, int outFd, Input input, std::string_view enter, std::string_view leave) {
  if (state.active) Release();
  state.inFd = inFd;
  state.outFd = outFd;
  state.haveModes = isatty(inFd) && tcgetattr(inFd, &state.original) == 0;
  if (state.haveModes) {
    termios t = state.original;
    if (input == Input::Raw) {
      t.c_iflag &= static_cast<tcflag_t>(~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON));
      t.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHONL | ICANON | ISIG | IEXTEN));
      t.c_cflag &= static_cast<tcflag_t>(~(CSIZE | PARENB));
      t.c_cflag |= CS8;
    } else {
      t.c_lflag &= static_cast<tcflag_t>(~(ECHO | ICANON));
    }
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    state.ours = t;
  }
  Copy(state.enter, state.enterLen, enter);
  Copy(state.leave, state.leaveLen, leave);
  InstallHandlers();
  if (!state.atexitInstalled) {
    state.atexitInstalled = true;
    std::atexit(AtExit);
  }
  if (state.haveModes && tcsetattr(inFd, TCSANOW, &state.ours) != 0) {
    state.haveModes = false;
    return false;
  }
  WriteAll(outFd, state.enter, state.enterLen);
  state.active = 1;
  return true;
}

void Release() {
  GiveBack();
  state.stopped = 0;
}

bool Taken() { return state.active; }

namespace {
struct Lending {
  bool lent = false;
  termios userModes{};
};
Lending lending;
}  // namespace

bool CanLend() { return !lending.lent && state.active && isatty(STDIN_FILENO); }

void Lend() {
  Release();
  tcgetattr(STDIN_FILENO, &lending.userModes);
  lending.lent = true;
}

bool Reclaim(int inFd, int outFd, Input input, std::string_view enter, std::string_view leave) {
  if (!lending.lent) return false;
  lending.lent = false;
  tcsetattr(STDIN_FILENO, TCSANOW, &lending.userModes);
  Take(inFd, outFd, input, enter, leave);
  return true;
}

void SetResumeNotice(int fd) { state.resumeFd = fd; }

}  // namespace TerminalModes
