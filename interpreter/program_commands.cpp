// The commands that start other programs and talk with them: EXECUTA in its four modes,
// EXISTEPROG, ENVIACMD, and CMD, which runs a text as a script line.
#include <string>

#include "interpreter/commands.h"
#include "interpreter/run.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/files/paths.h"
#include "services/child_process.h"
#include "services/launch.h"
#include "services/task_kill.h"
#include "speech/speech.h"

namespace {

constexpr std::size_t kMaxParameters = 999;

// Program and parameters of EXECUTA's value: a quoted program runs to the next quote, an
// unquoted one to the first blank.
void SplitProgram(const std::string& value, std::string& program, std::string& parameters) {
  std::string_view rest;
  if (!value.empty() && value[0] == '"') {
    const std::size_t close = value.find('"', 1);
    if (close == std::string::npos) {
      program = value.substr(1);
      parameters.clear();
      return;
    }
    program = value.substr(1, close - 1);
    rest = Text::Trim(std::string_view(value).substr(close + 1));
  } else {
    const std::size_t blank = value.find(' ');
    program = value.substr(0, blank);
    if (blank != std::string::npos) rest = std::string_view(value).substr(blank + 1);
  }
  parameters.assign(rest.substr(0, kMaxParameters));
}

}  // namespace

namespace Commands {

bool Executa(std::string_view args) {
  int ampersands = 0;
  while (Values::TakeTrailingAmpersand(args)) ++ampersands;
  std::string value;
  if (!Values::ReadValue(args, value) || !Text::Trim(args).empty()) return false;
  std::string program, parameters;
  SplitProgram(value, program, parameters);
  const std::string folder = Paths::CurrentFolder();
  Speech::WaitForSilence();
  // Ending programs is the runtime's own work here (it knows its children by their Windows
  // names); it starts nothing, so the child with pipes stays readable.
  if (TaskKill::IsTaskKill(program)) {
    TaskKill::Run(parameters);
    return true;
  }
  switch (ampersands) {
    case 0: {
      const bool started = Launch::LaunchProgram(program, folder, parameters, Launch::Show::Waited) > 31;
      Launch::WaitForReturn();
      return started;
    }
    case 2:
      return Launch::ShellOpen(program, parameters, folder, Launch::Show::Hidden) > 31;
    case 3:
      return ChildProcess::ChildStart(parameters.empty() ? program : program + " " + parameters);
    default:  // one, or four and more
      return Launch::LaunchProgram(program, folder, parameters, Launch::Show::Normal) > 31;
  }
}

bool Existeprog(std::string_view args) {
  std::string name;
  if (!Values::ReadValue(args, name)) return false;
  int code;
  if (!Values::ReadVariableRef(args, code)) return false;
  Variables::SetVariable(code, ChildProcess::ProcessRunning(Text::Trim(name)) ? "1" : "0");
  return true;
}

bool Cmd(std::string_view args) {
  std::string line;
  if (!Values::ReadValue(args, line) || !Text::Trim(args).empty()) return false;
  return Interp::ExecuteLine(line, true);
}

bool Enviacmd(std::string_view args) {
  std::string text;
  if (!Values::ReadValue(args, text)) return false;
  ChildProcess::ChildSendLine(text);
  return true;
}

bool LeConsole(std::string_view args) {
  int code;
  if (!Values::ReadVariableRef(args, code)) return false;
  Variables::SetVariable(code, ChildProcess::ChildReadOutput());
  return true;
}

}  // namespace Commands
