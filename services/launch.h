// Starting programs the way the desktop does (the shell's "open"): a program in a window of
// its own, a document or an address with the program the desktop has for it (xdg-open),
// hidden or shown; and waiting for the user to come back to the console.
#pragma once

#include <string_view>

namespace Launch {

// Results as the shell gives them: above 31 the start succeeded.
inline constexpr int kStarted = 42;
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kAccessDenied = 5;
inline constexpr int kNoAssociation = 31;

enum class Show {
  Normal,    // a window of its own, not waited for
  Waited,    // a window of its own, and the console waits for it (WaitForReturn follows)
  Hidden,    // no window
};

// The shell's "open" (Windows-1252 texts): a program runs with the parameters in the folder
// (empty: the current one); a document, a folder or an address ("http:", "www."...) goes to
// xdg-open. A program started Waited on the terminal device gets the terminal until it ends.
int ShellOpen(std::string_view file, std::string_view parameters, std::string_view folder, Show show);

// The start of a program in a normal window: a quoted program name's trailing text goes in
// front of the parameters; then ShellOpen.
int LaunchProgram(std::string_view program, std::string_view folder, std::string_view parameters,
                  Show show = Show::Normal);

// Waits until the user is back at the console: up to 5 s for the program to take the
// foreground, then as long as it has it, then the settle delay of TEMPOESPERAPROGVOLTAR.
void WaitForReturn();

// Whether the console is the foreground window now: with a console window on the display
// (Desktop::ConsoleWindow), when it is the active window; otherwise when the program last
// started Waited has ended (the terminal is taken back at that moment).
bool ConsoleInFront();

// The settle delay in milliseconds (TEMPOESPERAPROGVOLTAR of AURIS: 0..1000, else 1000).
int SettleDelayMs();

// Forgets the program waited for, giving a lent terminal back (tests).
void ResetLaunch();

}  // namespace Launch
