// Whether a program runs: the children the runtime started (known by the names they were
// started by, "cmd.exe" for a command line), then every process of the system, by
// its command name, its executable and its first argument. Zombies do not run. Also the
// processes of a name that carry this runtime's mark, for TASKKILL.
#include <functional>
#include <string>

#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "platform/processes/system_processes.h"
#include "platform/text/text_kit.h"
#include "services/child_process.h"
#include "services/child_registry.h"
#include "services/child_spawn.h"

namespace ChildProcess {
namespace {

// A Linux path's Windows form, folded and without ".EXE" (for names given with a folder).
std::string WindowsKey(const std::string& hostPath) {
  std::string windows = Paths::ToWindows(hostPath);
  if (windows.empty()) return {};
  windows = Paths::FoldCase(windows);
  if (windows.size() > 4 && windows.ends_with(".EXE")) windows.resize(windows.size() - 4);
  return windows;
}

struct Wanted {
  std::string key;          // without folder
  std::string windowsPath;  // full path, when the name has a folder
};

bool Matches(const Wanted& wanted, const std::string& utf8Path) {
  if (utf8Path.empty()) return false;
  if (!wanted.windowsPath.empty()) return utf8Path[0] == '/' && WindowsKey(utf8Path) == wanted.windowsPath;
  return ChildRegistry::ProgramKey(Cp1252::FromUtf8(utf8Path)) == wanted.key;
}

bool ProcessMatches(const SystemProcesses::Process& process, const Wanted& wanted) {
  std::string name;
  const bool alive = process.Running(name);
  bool found = false;
  if (alive && wanted.windowsPath.empty()) {
    const std::string comm = ChildRegistry::ProgramKey(Cp1252::FromUtf8(name));
    constexpr std::size_t kCommandNameLength = SystemProcesses::kCommandNameLength;
    found = comm == wanted.key || (comm.size() == kCommandNameLength && wanted.key.size() > kCommandNameLength &&
                                   wanted.key.compare(0, kCommandNameLength, comm) == 0);
  }
  if (alive && !found) found = Matches(wanted, process.Executable());
  if (alive && !found) found = Matches(wanted, process.FirstArgument());
  return found;
}

Wanted WantedFor(std::string_view name) {
  name = TextKit::TrimSpacesTabs(name);
  Wanted wanted;
  wanted.key = ChildRegistry::ProgramKey(name);
  if (wanted.key.empty()) return wanted;
  if (name.find_first_of("\\/") != std::string_view::npos) {
    wanted.windowsPath = Paths::FoldCase(Paths::FullPath(name));
    if (wanted.windowsPath.size() > 4 && wanted.windowsPath.ends_with(".EXE"))
      wanted.windowsPath.resize(wanted.windowsPath.size() - 4);
  }
  return wanted;
}

// Calls `take` with each process of the system that matches, until it returns false.
void ScanProcesses(const Wanted& wanted, const std::function<bool(const SystemProcesses::Process&)>& take) {
  SystemProcesses::ForEach([&](const SystemProcesses::Process& process) {
    return !ProcessMatches(process, wanted) || take(process);
  });
}

bool CarriesOurMark(const SystemProcesses::Process& process) {
  const std::string mark = std::string(ChildSpawn::kMarkName) + "=" + std::to_string(Processes::CurrentId());
  return process.HasEnvironmentEntry(mark);
}

}  // namespace

bool ProcessRunning(std::string_view name) {
  const Wanted wanted = WantedFor(name);
  if (wanted.key.empty()) return false;
  // A name with a folder names that file alone.
  if (ChildRegistry::AnyRunning(wanted.windowsPath.empty() ? std::string_view(wanted.key) : std::string_view(),
                                wanted.windowsPath))
    return true;
  bool found = false;
  ScanProcesses(wanted, [&](const SystemProcesses::Process&) {
    found = true;
    return false;
  });
  return found;
}

std::vector<int> MarkedProcessesNamed(std::string_view name) {
  const Wanted wanted = WantedFor(name);
  std::vector<int> pids;
  if (wanted.key.empty()) return pids;
  ScanProcesses(wanted, [&](const SystemProcesses::Process& process) {
    if (CarriesOurMark(process)) pids.push_back(process.Id());
    return true;
  });
  return pids;
}

}  // namespace ChildProcess
