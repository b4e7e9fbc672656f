// Programs named the Windows way: drive paths or bare names with ".exe" optional both ways,
// command-line parameters split as a Windows program's C runtime splits them, and drive
// paths among the arguments turned into the Linux paths a Linux program can open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ProgramNames {

// Windows error numbers of a failed search.
inline constexpr int kFound = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kAccessDenied = 5;  // a folder, or a file that is not a program we may run

struct Program {
  std::string host;                  // the file to execute (Linux path, UTF-8)
  std::vector<std::string> leading;  // argv before the arguments: argv[0], and the script when
                                     // a "#!" file is run by its interpreter
  std::string windowsPath;           // the file's full Windows path, folded, without ".EXE"
  std::vector<std::string> keys;     // the names it answers to (ChildRegistry::ProgramKey)
};

// Finds a program (Windows-1252 name): a path (drive, relative or rooted) is looked up with
// and without ".exe"; a bare name in the current folder, then along PATH (without its
// ".exe"). A file on drive C that lacks the execute bit but is an ELF program or begins with
// "#!" (a downloaded program) is made executable, or else run by its interpreter.
// Returns kFound or the Windows error number.
int Find(std::string_view name, Program& out);

// True when the text begins with a drive path of a mapped drive ("c:\", "Z:/").
bool IsDrivePath(std::string_view text);

// Parameters split into arguments by the Windows C runtime's rules (blanks separate,
// double quotes group, backslashes escape a quote only when they precede one, "" inside
// quotes is a quote).
std::vector<std::string> SplitArguments(std::string_view text);

// One argument for a Linux program, in UTF-8: a drive path (also after "=" in an option,
// "--saida=c:\x") becomes its Linux path; other text is converted as it is.
std::string HostArgument(std::string_view argument);

}  // namespace ProgramNames
