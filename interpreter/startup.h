// Program entry shared by the executables: start-up, storing the program's lines, the run
// and its closing report, and the exit status of the process.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Interp {

// Exit statuses of the executables.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitClosed = 3;

// Splits program text (UTF-8 or Windows-1252) into its lines, line ends removed, converted
// to Windows-1252. Fails with a message when it has more lines than the store holds.
bool SplitProgram(std::string_view bytes, std::vector<std::string>& lines, std::string& error);

// Runs a program: `commandLine` holds the program itself first and then its arguments;
// `programFolder` (a Windows path) is the folder the settings macros call the program's.
// `beforeRun`, when given, runs once the console and the speech are up, before the program.
int RunMain(std::string_view programName, std::string_view programFolder, const std::vector<std::string>& lines,
            std::vector<std::string> commandLine, const std::function<void()>& beforeRun = {});

}  // namespace Interp
