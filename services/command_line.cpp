// Windows command lines into Linux starts.
#include "services/command_line.h"

#include "services/child_registry.h"
#include "services/cmd_shell.h"
#include "services/program_names.h"
#include "platform/text/text_kit.h"

namespace CommandLine {

int FromProgram(std::string_view program, std::string_view parameters, Start& out) {
  out = Start{};
  program = TextKit::TrimSpacesTabs(program);
  if (CmdShell::IsCommandInterpreter(program)) {
    out.host = "/bin/sh";
    out.argv = CmdShell::ShellArguments(parameters);
    out.keys = {"CMD"};
    return 0;
  }
  ProgramNames::Program found;
  const int error = ProgramNames::Find(program, found);
  if (error != ProgramNames::kFound) return error;
  out.host = found.host;
  out.argv = found.leading;
  for (const std::string& argument : ProgramNames::SplitArguments(parameters))
    out.argv.push_back(ProgramNames::HostArgument(argument));
  out.keys = found.keys;
  out.windowsPath = found.windowsPath;
  return 0;
}

int FromCommandLine(std::string_view line, Start& out) {
  line = TextKit::TrimSpacesTabs(line);
  if (!line.empty() && line.front() == '"') {
    const std::size_t close = line.find('"', 1);
    if (close == std::string_view::npos) return FromProgram(line.substr(1), {}, out);
    return FromProgram(line.substr(1, close - 1), line.substr(close + 1), out);
  }
  const std::size_t firstBlank = line.find_first_of(" \t");
  if (firstBlank != std::string_view::npos && !CmdShell::IsCommandInterpreter(line.substr(0, firstBlank))) {
    ProgramNames::Program found;
    for (std::size_t blank = firstBlank; blank != std::string_view::npos; blank = line.find_first_of(" \t", blank + 1)) {
      if (ProgramNames::Find(line.substr(0, blank), found) == ProgramNames::kFound)
        return FromProgram(line.substr(0, blank), line.substr(blank + 1), out);
    }
    // The whole line as one name: a program whose path holds blanks and no parameters.
    if (ProgramNames::Find(line, found) == ProgramNames::kFound) return FromProgram(line, {}, out);
  }
  return FromProgram(line.substr(0, firstBlank),
                     firstBlank == std::string_view::npos ? std::string_view() : line.substr(firstBlank + 1), out);
}

}  // namespace CommandLine
