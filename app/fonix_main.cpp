// fonix FILE [ARGS...]: runs a FONIX program file; the arguments after FILE are the
// program's own (its PARAMS).
#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "interpreter/program_file.h"
#include "interpreter/startup.h"
#include "platform/text/cp1252.h"
#include "platform/files/paths.h"

namespace {

int Main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "uso: fonix ARQUIVO [ARGUMENTOS...]\n");
    return Interp::kExitUsage;
  }
  const std::string file = argv[1];
  std::string bytes, error;
  // An empty file is a program all the same; a folder or a read error is not.
  if (!ProgramFile::Read(file, bytes, error)) {
    std::fprintf(stderr, "fonix: %s: %s\n", file.c_str(), error.c_str());
    return Interp::kExitUsage;
  }
  std::vector<std::string> lines;
  if (!Interp::SplitProgram(bytes, lines, error)) {
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

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "fonix: memória insuficiente\n");
    return Interp::kExitError;
  }
}
