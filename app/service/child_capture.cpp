// A program in a process group of its own, so that a time limit ends the program and any
// helper it started; its output and its errors are read through two pipes until both close.
#include "app/service/child_capture.h"

#include <chrono>

#include "platform/processes/processes.h"
#include "platform/processes/readiness.h"

namespace ChildCapture {

namespace {

// This process's environment with `folder` put first on PATH.
std::vector<std::string> EnvironmentWithFolder(const std::string& folder) {
  std::vector<std::string> env;
  bool pathSeen = false;
  for (std::string& entry : Processes::Environment()) {
    if (!folder.empty() && entry.starts_with("PATH=")) {
      entry = "PATH=" + folder + (entry.size() > 5 ? ":" + entry.substr(5) : "");
      pathSeen = true;
    }
    env.push_back(std::move(entry));
  }
  if (!folder.empty() && !pathSeen) env.push_back("PATH=" + folder + ":/usr/local/bin:/usr/bin:/bin");
  return env;
}

}  // namespace

Result Run(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder,
           int timeoutMs, std::size_t maxBytes) {
  Result result;
  Processes::Pipe output, errors;
  if (!Processes::MakePipe(output)) return result;
  if (!Processes::MakePipe(errors)) {
    Processes::Close(output.read);
    Processes::Close(output.write);
    return result;
  }
  Processes::SpawnRequest request;
  request.path = program;
  request.argv.push_back(program);
  request.argv.insert(request.argv.end(), arguments.begin(), arguments.end());
  request.environment = EnvironmentWithFolder(folder);
  request.output = output.write;
  request.error = errors.write;
  request.group = Processes::Group::OwnGroup;
  request.folder = folder;
  request.closeOthers = false;
  Processes::SpawnFailure failure;
  const Processes::ProcessId pid = Processes::Spawn(request, failure);
  Processes::Close(output.write);
  Processes::Close(errors.write);
  if (pid < 0) {
    Processes::Close(output.read);
    Processes::Close(errors.read);
    return result;
  }
  result.started = true;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  char buffer[8192];
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      break;
    }
    Readiness::Wait p[2];
    p[0].handle = outOpen ? output.read : Processes::kNoHandle;
    p[1].handle = errOpen ? errors.read : Processes::kNoHandle;
    const int ready = Readiness::WaitAny(p, 2, static_cast<int>(left.count()));
    if (ready <= 0) continue;
    if (outOpen && p[0].happened != 0) {
      const long n = Processes::Read(output.read, buffer, sizeof buffer);
      if (n <= 0) outOpen = false;
      if (n > 0) {
        const std::size_t room = maxBytes > result.output.size() ? maxBytes - result.output.size() : 0;
        result.output.append(buffer, std::min(room, static_cast<std::size_t>(n)));
      }
    }
    if (errOpen && p[1].happened != 0) {
      const long n = Processes::Read(errors.read, buffer, sizeof buffer);
      if (n <= 0) errOpen = false;
      if (n > 0) {
        result.errors.append(buffer, static_cast<std::size_t>(n));
        if (result.errors.size() > kMaxErrorBytes) result.errors.erase(0, result.errors.size() - kMaxErrorBytes);
      }
    }
  }
  Processes::Close(output.read);
  Processes::Close(errors.read);
  if (result.timedOut) Processes::KillGroup(pid);
  const Processes::Exit exit = Processes::WaitFor(pid);
  if (!result.timedOut && exit.normal) result.exitStatus = exit.code;
  return result;
}

}  // namespace ChildCapture
