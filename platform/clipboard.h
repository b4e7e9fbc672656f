// The clipboard: a process clipboard for the terminal and headless devices (the window
// device and an X display plug in their own later).
#pragma once

#include <string>
#include <string_view>

namespace Clipboard {

void SetText(std::string_view text);  // Windows-1252
std::string GetText();

}  // namespace Clipboard
