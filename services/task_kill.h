// The Windows program that ends programs, "taskkill" ("/im NAME", "/pid N", "/f", "/t"), done
// by the runtime itself on Linux: it ends only what this runtime started and what those
// started in turn, each found by the names EXISTEPROG knows it by.
#pragma once

#include <string_view>

namespace TaskKill {

// True for "taskkill", "TASKKILL.EXE", "c:\windows\system32\taskkill.exe".
bool IsTaskKill(std::string_view program);

// Ends what the parameters (Windows-1252, split as a program splits them) name: with /f at
// once (SIGKILL), else asked to end (SIGTERM); a child's whole process group goes with it.
// Returns how many processes were told to end.
int Run(std::string_view parameters);

}  // namespace TaskKill
