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
// around it. Without /c or /k the shell reads its commands from standard input.
std::vector<std::string> ShellArguments(std::string_view parameters);

// One cmd line as sh text (UTF-8): words single-quoted, so sh expands nothing cmd would
// not; programs found the Windows way; redirection targets and drive paths translated.
std::string ToShell(std::string_view line);

}  // namespace CmdShell
