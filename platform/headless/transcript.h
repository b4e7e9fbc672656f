// The event transcript of a headless run (FONIX_TRANSCRIPT): one UTF-8 line per event,
// written as it happens so that even a run that dies leaves what it did.
#pragma once

#include <string>
#include <string_view>

namespace Transcript {

// Starts writing to the file (replacing it); an empty path turns the transcript off.
bool Open(const std::string& path);
bool IsOpen();
// "kind: text" with the Windows-1252 text converted to UTF-8; line breaks inside the text
// are written as "\r" and "\n" so that one event stays one line.
void Event(std::string_view kind, std::string_view text);
// "kind" alone (beep, click, stop).
void Event(std::string_view kind);
// Watches the events from now on for one whose text holds `utf8` (the key script's
// {UNTIL …}); Seen() tells whether one has come since. It works with the transcript off too.
void Watch(std::string_view utf8);
bool Seen();
// False when some event could not be written (a full disk) since Open.
bool Close();

}  // namespace Transcript
