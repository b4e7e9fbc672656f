// The child process with pipes. The event loop drains the pipes of every
// child into bounded buffers as soon as there is output (a child is never blocked by a
// script that does not read), and reaps the child when it ends. The current child's output
// is kept after its end until it has been read; an earlier child's output is dropped.
#include "services/child_process.h"

#include <memory>
#include <vector>

#include "console/console.h"
#include "platform/processes/processes.h"
#include "platform/processes/readiness.h"
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
  Processes::Handle fd = Processes::kNoHandle;
  ChildOutput::Stream text;
};

struct Child {
  Processes::ProcessId pid = -1;
  Pipe out;
  Pipe err;
  Processes::Handle in = Processes::kNoHandle;
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

void CloseFd(Processes::Handle& fd) {
  if (fd < 0) return;
  ChildWatch::Unwatch(fd);
  Processes::Close(fd);
  fd = Processes::kNoHandle;
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
    const long n = Processes::Read(pipe.fd, buffer, sizeof buffer);
    if (n > 0) {
      if (child.current) ChildOutput::Append(pipe.text, std::string_view(buffer, static_cast<std::size_t>(n)));
      if (static_cast<std::size_t>(n) < sizeof buffer) break;
      continue;
    }
    if (n == Processes::kWouldBlock) break;
    ChildOutput::Finish(pipe.text);
    CloseFd(pipe.fd);
  }
}

void DrainBoth(Child& child) {
  Drain(child, child.out);
  Drain(child, child.err);
}

// Writes what the child's input can take now (the child closing its input does not end the
// runtime: Processes::Write says so instead).
void Flush(Child& child) {
  if (child.in < 0) return;
  bool broken = false;
  while (!child.pendingInput.empty()) {
    const long n = Processes::Write(child.in, child.pendingInput.data(), child.pendingInput.size());
    if (n > 0) {
      child.pendingInput.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    broken = n != Processes::kWouldBlock;
    break;
  }
  if (broken) {
    child.pendingInput.clear();
    CloseFd(child.in);
    return;
  }
  Child* c = &child;
  if (child.pendingInput.empty()) ChildWatch::Unwatch(child.in);
  else ChildWatch::Watch(child.in, Readiness::kWritable, [c](unsigned) { Flush(*c); });
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

void Watch(Child* child, Pipe* pipe) {
  ChildWatch::Watch(pipe->fd, Readiness::kReadable, [child, pipe](unsigned) {
    Drain(*child, *pipe);
    if (!child->current) ForgetFinishedEarlier();  // may destroy the child: nothing after
  });
}

}  // namespace

bool ChildStart(std::string_view commandLine) {
  CommandLine::Start start;
  if (CommandLine::FromCommandLine(commandLine, start) != 0) return false;
  Processes::Pipe in, out, err;
  if (!Processes::MakePipe(in)) return false;
  if (!Processes::MakePipe(out)) {
    Processes::Close(in.read);
    Processes::Close(in.write);
    return false;
  }
  if (!Processes::MakePipe(err)) {
    for (Processes::Handle fd : {in.read, in.write, out.read, out.write}) Processes::Close(fd);
    return false;
  }
  ChildSpawn::Request request;
  request.path = start.host;
  request.argv = start.argv;
  request.stdinFd = in.read;
  request.stdoutFd = out.write;
  request.stderrFd = err.write;
  Processes::SpawnFailure failure;
  const Processes::ProcessId pid = ChildSpawn::Spawn(request, failure);
  // The child's ends belong to the child alone: with them closed here, the end of its
  // output is seen when it ends.
  for (Processes::Handle fd : {in.read, out.write, err.write}) Processes::Close(fd);
  if (pid < 0) {
    for (Processes::Handle fd : {in.write, out.read, err.read}) Processes::Close(fd);
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
  child->in = in.write;
  child->out.fd = out.read;
  child->err.fd = err.read;
  for (Processes::Handle fd : {in.write, out.read, err.read}) Processes::SetNonBlocking(fd);
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
