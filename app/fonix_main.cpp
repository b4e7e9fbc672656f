// fonix FILE [ARGS...]: runs a FONIX program file; the arguments after FILE are the
// program's own (its PARAMS).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "interpreter/startup.h"
#include "platform/cp1252.h"
#include "platform/paths.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "uso: fonix ARQUIVO [ARGUMENTOS...]\n");
    return Interp::kExitUsage;
  }
  const std::string file = argv[1];
  std::error_code error_code;
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  // An empty file is a program all the same; a folder or a read error is not.
  if (!in || std::filesystem::is_directory(file, error_code) || (in.peek() != EOF && !(bytes << in.rdbuf())) ||
      in.bad()) {
    std::fprintf(stderr, "fonix: não foi possível ler o arquivo %s\n", file.c_str());
    return Interp::kExitUsage;
  }
  std::vector<std::string> lines;
  std::string error;
  if (!Interp::SplitProgram(bytes.str(), lines, error)) {
    std::fprintf(stderr, "fonix: %s: %s\n", file.c_str(), error.c_str());
    return Interp::kExitUsage;
  }
  std::vector<std::string> commandLine;
  for (int i = 1; i < argc; ++i) commandLine.push_back(Cp1252::FromUtf8(argv[i]));
  const std::filesystem::path path = std::filesystem::absolute(file);
  const std::string name = path.filename().string();
  const std::string folder = Paths::ToWindows(path.parent_path().string());
  return Interp::RunMain(Cp1252::FromUtf8(name), folder, lines, std::move(commandLine));
}
