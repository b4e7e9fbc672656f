// Taking the user's terminal for a run and giving it back on every way out: normal end,
// exit(), terminating and fatal signals (async-signal-safe), a stop and a continue.
#pragma once

#include <string_view>

namespace TerminalModes {

enum class Input {
  Raw,       // every key as typed: no echo, no line editing, Ctrl+C and Ctrl+Backslash are keys too
  NoEcho,    // echo and line editing off, the rest as the user had it (line mode)
};

// Sets the input modes of `inFd` (when it is a terminal) and writes `enter` to `outFd`;
// `leave` is written when the terminal is given back. False when the modes cannot be set.
bool Take(int inFd, int outFd, Input input, std::string_view enter, std::string_view leave);
// Gives the terminal back now (writes `leave`, restores the modes); harmless when not taken.
void Release();
bool Taken();

// Lending the terminal to a program that runs in it: false (and nothing done) when it is not
// taken, stdin is not a terminal or it is lent already. The caller stops reading keys first.
bool CanLend();
// Gives the terminal back as Release does and keeps the modes the user had.
void Lend();
// After a Lend: the user's modes come back, whatever the program left behind, and the
// terminal is taken again. False when it was not lent.
bool Reclaim(int inFd, int outFd, Input input, std::string_view enter, std::string_view leave);
// After a stop (SIGTSTP) and continue, the terminal is taken again and a byte is written to
// `fd`, so that the screen can be redrawn from the event loop; -1 for none.
void SetResumeNotice(int fd);

}  // namespace TerminalModes
