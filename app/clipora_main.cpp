// clipora-light: runs the embedded Clipora-light program.
#include <string>
#include <vector>

#include "app/embedded_program.h"
#include "interpreter/startup.h"

int main(int argc, char** argv) {
  std::vector<std::string> lines;
  std::string error;
  Interp::SplitProgram(EmbeddedProgram::Text(), lines, error);
  std::vector<std::string> commandLine(argv, argv + argc);
  commandLine[0] = "clipora-light";
  return Interp::RunMain("clipora-light", lines, std::move(commandLine));
}
