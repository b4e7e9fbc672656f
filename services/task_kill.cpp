// Ending the runtime's own programs by their Windows names.
#include "services/task_kill.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files/paths.h"
#include "platform/processes/processes.h"
#include "platform/text/text_kit.h"
#include "services/child_process.h"
#include "services/child_registry.h"
#include "services/program_names.h"

namespace TaskKill {

bool IsTaskKill(std::string_view program) {
  program = TextKit::TrimRightIf(program, TextKit::IsSpaceOrTab);
  return ChildRegistry::ProgramKey(program) == "TASKKILL";
}

int Run(std::string_view parameters) {
  const std::vector<std::string> args = ProgramNames::SplitArguments(parameters);
  bool force = false;
  std::vector<std::string> names;
  std::vector<Processes::ProcessId> pids;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string option = Paths::FoldCase(args[i]);
    const bool hasValue = i + 1 < args.size();
    if (option == "/F" || option == "-F") force = true;
    else if ((option == "/IM" || option == "-IM") && hasValue) names.push_back(args[++i]);
    else if ((option == "/PID" || option == "-PID") && hasValue) pids.push_back(std::atoi(args[++i].c_str()));
  }
  int ended = 0;
  // A registered child leads its process group (a session of its own): the group goes.
  auto endChild = [&](Processes::ProcessId pid) {
    if (pid <= 0) return;
    Processes::EndGroup(pid, force);
    ++ended;
  };
  for (const std::string& name : names) {
    for (Processes::ProcessId pid : ChildRegistry::RunningMatching(ChildRegistry::ProgramKey(name), {})) endChild(pid);
    for (int pid : ChildProcess::MarkedProcessesNamed(name)) {
      Processes::EndGroup(pid, force);
      ++ended;
    }
  }
  const std::vector<Processes::ProcessId> running = ChildRegistry::Running();
  for (Processes::ProcessId pid : pids)
    for (Processes::ProcessId ours : running)
      if (ours == pid) endChild(pid);
  return ended;
}

}  // namespace TaskKill
