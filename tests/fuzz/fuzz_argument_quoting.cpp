// libFuzzer target: the application's own quoting routines (@argumento, and @argumentocmd
// for lines that cmd reads), run by the interpreter on arbitrary text, then the command line
// they built split back by the runtime as a started program would get it. Any text must
// come back as exactly one argument, equal to the text (line breaks as blanks).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "interpreter/run.h"
#include "interpreter/startup.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "interpreter/variables.h"
#include "services/cmd_shell.h"
#include "services/program_names.h"

namespace {

// The routines, taken from the application's source from "@argumento" to the routine after
// "@argumentocmd".
std::vector<std::string> Routines() {
  std::ifstream in(FONIX_APP_PROGRAM, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::vector<std::string> lines, routines;
  std::string error;
  if (!Interp::SplitProgram(text.str(), lines, error)) std::abort();
  bool inside = false;
  for (const std::string& line : lines) {
    if (line == "@argumento") inside = true;
    else if (inside && line.starts_with("@") && line != "@argumentocmd" && !line.starts_with("@arg_")) break;
    if (inside) routines.push_back(line);
  }
  if (routines.size() < 10) std::abort();
  return routines;
}

void Set(const char* name, std::string text) {
  Variables::SetVariable(Variables::VariableCodeForName(Text::Fold(name)), std::move(text));
}

std::string Get(const char* name) { return Variables::GetVariable(Variables::VariableCodeForName(Text::Fold(name))); }

[[noreturn]] void Wrong() { __builtin_trap(); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Drive paths among the arguments are translated inside a drive of the run's own.
  setenv("FONIX_DRIVE_C", "/tmp/fonix-fuzz-quoting-c", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const std::vector<std::string> routines = Routines();
  if (size == 0 || size > 4096) return 0;
  const bool throughCmd = data[0] & 1;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  // A text of the program never holds a zero byte.
  for (char& c : text)
    if (c == '\0') c = ' ';
  Interp::ResetInterpreter();
  int n = 0;
  Interp::StoreLine(throughCmd ? "chama @argumentocmd" : "chama @argumento", ++n);
  Interp::StoreLine("desvia @fuzz_fim", ++n);
  for (const std::string& line : routines) Interp::StoreLine(line, ++n);
  Interp::StoreLine("@fuzz_fim", ++n);
  Set("CR", "\r");
  Set("LF", "\n");
  Set("ARG", text);
  if (Interp::RunProgram().outcome != Interp::Outcome::Normal) Wrong();
  const std::string quoted = Get("ARGQ");
  std::string intended = text;
  for (char& c : intended)
    if (c == '\r' || c == '\n') c = ' ';
  if (!throughCmd) {
    // As EXECUTA splits the parameters of a program.
    const std::vector<std::string> args = ProgramNames::SplitArguments("-o " + quoted + " --");
    if (args != std::vector<std::string>{"-o", intended, "--"}) Wrong();
    return 0;
  }
  // As "cmd /c" runs the line: one program, the argument, the redirection, nothing else.
  const CmdShell::Script script = CmdShell::ToShell("fonixfuzzprog -e -- " + quoted + " >nul 2>&1");
  if (script.text != "\"${1}\" \"${2}\" \"${3}\" \"${4}\" > \"${5}\" 2>&1") Wrong();
  const std::vector<std::string> want{"fonixfuzzprog", "-e", "--", ProgramNames::HostArgument(intended), "/dev/null"};
  if (script.words != want) Wrong();
  return 0;
}
