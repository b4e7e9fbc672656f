// fonix FILE [ARGS...]: runs a FONIX program file; the arguments after FILE are the
// program's own (its PARAMS).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "interpreter/startup.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "uso: fonix ARQUIVO [ARGUMENTOS...]\n");
    return Interp::kExitUsage;
  }
  const std::string file = argv[1];
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  if (!in || !(bytes << in.rdbuf())) {
    // An empty file reads nothing but is a program all the same.
    if (!in || in.bad()) {
      std::fprintf(stderr, "fonix: não foi possível ler o arquivo %s\n", file.c_str());
      return Interp::kExitUsage;
    }
  }
  std::vector<std::string> lines;
  std::string error;
  if (!Interp::SplitProgram(bytes.str(), lines, error)) {
    std::fprintf(stderr, "fonix: %s: %s\n", file.c_str(), error.c_str());
    return Interp::kExitUsage;
  }
  std::vector<std::string> commandLine(argv + 1, argv + argc);
  const std::size_t slash = file.find_last_of('/');
  const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  return Interp::RunMain(name, lines, std::move(commandLine));
}
