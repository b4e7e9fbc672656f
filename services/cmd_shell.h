// The command interpreter on Linux: "cmd /c LINE" runs LINE with /bin/sh after rewriting
// it from cmd's syntax (its quotes, "^" escapes, %NAME% variables, "&" between commands,
// redirections with NUL) into sh's, every drive path made a Linux path on the way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace CmdShell {

// True for the command interpreter's name ("cmd", "CMD.EXE", "c:\windows\system32\cmd.exe").
bool IsCommandInterpreter(std::string_view program);

// The argv (UTF-8) of /bin/sh for cmd's parameters: its switches, then after /c (or /k,
// which goes on reading commands afterwards) the line, with cmd's rule for the quotes
// around it: "sh", "-c", the program, "sh", then its words. Without /c or /k the shell
// reads its commands from standard input.
std::vector<std::string> ShellArguments(std::string_view parameters);

// One cmd line as an sh program whose text holds only operators and positional references
// ("${1}" "${2}" …), and the words those references stand for (UTF-8): sh expands nothing
// of what the line held. The line is read as cmd reads it (%NAME% variables, quotes that
// toggle, "^" escapes outside them, "&", "&&", "||", "|", redirections with NUL, groups),
// and each command's text is split into arguments by the C runtime's rule, as a program
// started by cmd splits it; programs found the Windows way, drive paths translated.
struct Script {
  std::string text;
  std::vector<std::string> words;
};
Script ToShell(std::string_view line);

}  // namespace CmdShell
