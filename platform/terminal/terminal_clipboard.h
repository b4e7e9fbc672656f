// The clipboard of the terminal devices beyond the process: the X CLIPBOARD selection when
// a display answers; otherwise copies also go to the user's own terminal as an OSC 52
// sequence (xterm, kitty, tmux with set-clipboard), which reaches their desktop over SSH.
#pragma once

#include <string>
#include <string_view>

namespace TerminalClipboard {

// Joins the process clipboard to these; `terminalFd` is the terminal the console draws on.
void Attach(int terminalFd);
void Detach();
// The OSC 52 sequence that puts `text` (Windows-1252) on the terminal's clipboard.
std::string Osc52(std::string_view text);

}  // namespace TerminalClipboard
