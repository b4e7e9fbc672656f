// The media control interface stand-in: MCI command strings ("open … alias x", "play x",
// "status x position" …) run over GStreamer, with the answers and error numbers scripts
// written for Windows expect. The commands understood are listed in the README.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Mci {

inline constexpr std::size_t kAnswerSize = 1024;  // answers hold at most 1023 characters

// Sends one command string (Windows-1252). `answer` receives the answer text, empty when the
// command gives none or fails. Returns 0 or an MCI error number (mci_command.h).
int SendString(std::string_view command, std::string& answer);
// The error of the last command that failed (0 when none has).
int LastError();

// Called while a command waits (an open, "play … wait"), after the event loop was pumped:
// returns true when a key waits, which ends a "wait" (never an open). The interpreter
// installs one that also silences speech when a key comes.
using IdleHook = bool (*)();
void SetIdleHook(IdleHook hook);

// The number of devices open.
int OpenCount();
// The time (Messages::NowMs) the first sample after the device's last play reached its
// audio sink; -1 when none has yet or there is no such device.
int64_t FirstSampleMs(std::string_view name);

// Closes every device (program end; also installed to run at exit).
void CloseAll();
// Tests: every device closed, the capture file complete, the next one made anew.
void ResetMci();

}  // namespace Mci
