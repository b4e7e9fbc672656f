// clipora-light: runs the embedded Clipora-light program.
#include <string>
#include <vector>

#include "app/embedded_program.h"
#include "interpreter/startup.h"
#include "platform/cp1252.h"

int main(int argc, char** argv) {
  std::vector<std::string> lines;
  std::string error;
  Interp::SplitProgram(EmbeddedProgram::Text(), lines, error);
  std::vector<std::string> commandLine{"clipora-light"};
  for (int i = 1; i < argc; ++i) commandLine.push_back(Cp1252::FromUtf8(argv[i]));
  return Interp::RunMain("clipora-light", "c:\\clipora-light", lines, std::move(commandLine));
}
