// The child process with pipes on posix_spawn. The event loop drains the pipes of every
// child into bounded buffers as soon as there is output (a child is never blocked by a
// script that does not read), and reaps the child when it ends. The current child's output
// is kept after its end until it has been read; an earlier child's output is dropped.
#include "services/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/epoll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "console/console.h"
#include "platform/text/cp1252.h"
#include "services/child_output.h"
#include "services/child_registry.h"
#include "services/child_spawn.h"
#include "services/child_watch.h"
#include "services/command_line.h"

namespace ChildProcess {
namespace {

constexpr std::size_t kMaxPendingInput = 1 << 20;

struct Pipe {
  int fd = -1;
  ChildOutput::Stream text;
};

struct Child {
  pid_t pid = -1;
  Pipe out;
  Pipe err;
  int in = -1;
  std::string pendingInput;  // written when the child reads
  bool ended = false;
  bool current = true;
};

struct State {
  std::unique_ptr<Child> current;
  std::vector<std::unique_ptr<Child>> earlier;
};

State& S() {
  static State state;
  return state;
}

void CloseFd(int& fd) {
  if (fd < 0) return;
  ChildWatch::Unwatch(fd);
  close(fd);
  fd = -1;
}

bool Finished(const Child& c) { return c.ended && c.out.fd < 0 && c.err.fd < 0; }

void ForgetFinishedEarlier() {
  auto& earlier = S().earlier;
  std::erase_if(earlier, [](const std::unique_ptr<Child>& c) { return Finished(*c); });
}

// Reads what the pipe holds now; at the end of the stream the pipe is closed.
void Drain(Child& child, Pipe& pipe) {
  char buffer[65536];
  while (pipe.fd >= 0) {
    const ssize_t n = read(pipe.fd, buffer, sizeof buffer);
    if (n > 0) {
      if (child.current) ChildOutput::Append(pipe.text, std::string_view(buffer, static_cast<std::size_t>(n)));
      if (static_cast<std::size_t>(n) < sizeof buffer) break;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    ChildOutput::Finish(pipe.text);
    CloseFd(pipe.fd);
  }
}

void DrainBoth(Child& child) {
  Drain(child, child.out);
  Drain(child, child.err);
}

// Writes what the child's input can take now. SIGPIPE (the child closed its input) is
// kept from ending the runtime: it is blocked around the write and taken back after it.
void Flush(Child& child) {
  if (child.in < 0) return;
  sigset_t pipeSignal, previous;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  sigset_t pendingBefore;
  sigpending(&pendingBefore);
  bool broken = false;
  while (!child.pendingInput.empty()) {
    const ssize_t n = write(child.in, child.pendingInput.data(), child.pendingInput.size());
    if (n > 0) {
      child.pendingInput.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    broken = !(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
    break;
  }
  if (broken && !sigismember(&pendingBefore, SIGPIPE)) {
    const timespec none{0, 0};
    sigtimedwait(&pipeSignal, nullptr, &none);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (broken) {
    child.pendingInput.clear();
    CloseFd(child.in);
    return;
  }
  Child* c = &child;
  if (child.pendingInput.empty()) ChildWatch::Unwatch(child.in);
  else ChildWatch::Watch(child.in, EPOLLOUT, [c](uint32_t) { Flush(*c); });
}

void OnExit(Child* child) {
  child->ended = true;
  child->pendingInput.clear();
  CloseFd(child->in);
  if (!child->current) {
    DrainBoth(*child);
    ForgetFinishedEarlier();
  }
}

bool MakePipe(int fds[2]) { return pipe2(fds, O_CLOEXEC) == 0; }

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

void Watch(Child* child, Pipe* pipe) {
  ChildWatch::Watch(pipe->fd, EPOLLIN, [child, pipe](uint32_t) {
    Drain(*child, *pipe);
    if (!child->current) ForgetFinishedEarlier();  // may destroy the child: nothing after
  });
}

}  // namespace

bool ChildStart(std::string_view commandLine) {
  CommandLine::Start start;
  if (CommandLine::FromCommandLine(commandLine, start) != 0) return false;
  int in[2], out[2], err[2];
  if (!MakePipe(in)) return false;
  if (!MakePipe(out)) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  if (!MakePipe(err)) {
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
    return false;
  }
  ChildSpawn::Request request;
  request.path = start.host;
  request.argv = start.argv;
  request.stdinFd = in[0];
  request.stdoutFd = out[1];
  request.stderrFd = err[1];
  int error = 0;
  const pid_t pid = ChildSpawn::Spawn(request, error);
  // The child's ends belong to the child alone: with them closed here, the end of its
  // output is seen when it ends.
  for (int fd : {in[0], out[1], err[1]}) close(fd);
  if (pid < 0) {
    for (int fd : {in[1], out[0], err[0]}) close(fd);
    return false;
  }
  State& s = S();
  if (s.current) {
    s.current->current = false;
    s.current->out.text = {};
    s.current->err.text = {};
    s.earlier.push_back(std::move(s.current));
    ForgetFinishedEarlier();
  }
  auto child = std::make_unique<Child>();
  child->pid = pid;
  child->in = in[1];
  child->out.fd = out[0];
  child->err.fd = err[0];
  for (int fd : {in[1], out[0], err[0]}) SetNonBlocking(fd);
  Child* c = child.get();
  s.current = std::move(child);
  Watch(c, &c->out);
  Watch(c, &c->err);
  ChildRegistry::Add(pid, start.keys, start.windowsPath, [c] { OnExit(c); });
  return true;
}

std::string ChildReadOutput() {
  Child* c = S().current.get();
  if (!c) return {};
  DrainBoth(*c);
  const std::string output = ChildOutput::Take(c->out.text);
  const std::string error = ChildOutput::Take(c->err.text);
  return ChildOutput::Combine(output, error);
}

void ChildSendLine(std::string_view text) {
  Console::ConsoleDelay(100);
  Child* c = S().current.get();
  if (!c || c->in < 0) return;
  const std::string line = Cp1252::ToUtf8(text) + "\n";
  if (c->pendingInput.size() + line.size() > kMaxPendingInput) return;  // the child reads nothing
  c->pendingInput += line;
  Flush(*c);
}

int CurrentChildPid() { return S().current ? S().current->pid : -1; }

void ResetChildProcess() {
  ChildRegistry::ResetChildRegistry();
  State& s = S();
  auto closeAll = [](Child& c) {
    CloseFd(c.in);
    CloseFd(c.out.fd);
    CloseFd(c.err.fd);
  };
  if (s.current) closeAll(*s.current);
  for (auto& c : s.earlier) closeAll(*c);
  s.current.reset();
  s.earlier.clear();
  ChildWatch::ResetChildWatch();
}

}  // namespace ChildProcess
