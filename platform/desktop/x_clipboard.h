// The X CLIPBOARD selection: owning it with a text (served to other programs from the
// event loop for as long as no other program takes it over) and reading it. Texts are
// Windows-1252 here and UTF-8 with "\n" line ends on the display.
#pragma once

#include <string>
#include <string_view>

namespace XClipboard {

// Takes the selection with `text`; false without a display.
bool Own(std::string_view text);
// The selection's text, into `text`; false without a display, without an owner, or when
// the owner does not answer within `timeoutMs`.
bool Read(std::string& text, int timeoutMs = 1000);
// True while this process owns the selection.
bool Owned();

void ResetXClipboard();

}  // namespace XClipboard
