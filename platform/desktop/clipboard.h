// The clipboard: a process clipboard for the terminal and headless devices (the window
// device and an X display plug in their own later), which a console device may join to a
// clipboard beyond the process (see SetOutside).
#pragma once

#include <string>
#include <string_view>

namespace Clipboard {

void SetText(std::string_view text);  // Windows-1252
std::string GetText();

// A clipboard beyond the process: copies go there too, and pastes come from there when it
// answers (else from the process clipboard). nullptr: the process clipboard alone.
struct Outside {
  void (*set)(std::string_view text);
  bool (*get)(std::string& text);
};
void SetOutside(const Outside* outside);

}  // namespace Clipboard
