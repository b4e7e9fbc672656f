// What to start for a Windows command line: the Linux file, its argv and the names the
// child will be known by. The command interpreter becomes /bin/sh (see cmd_shell.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace CommandLine {

struct Start {
  std::string host;               // the file to execute
  std::vector<std::string> argv;  // UTF-8
  std::vector<std::string> keys;  // ChildRegistry keys
  std::string windowsPath;        // folded, without ".EXE"
};

// A program and its parameters (Windows-1252). Returns 0, or the Windows error number of
// the search (ProgramNames).
int FromProgram(std::string_view program, std::string_view parameters, Start& out);

// A whole command line, as the process-creation call of Windows takes it: a quoted program
// name, or else the shortest run of words up to a blank that names a program (so that an
// unquoted "c:\dir with space\p.exe -x" is found), then the parameters.
int FromCommandLine(std::string_view line, Start& out);

}  // namespace CommandLine
