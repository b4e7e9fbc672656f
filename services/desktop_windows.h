// The windows the window commands see: the desktop's top-level windows when there is a
// display; with none, the console alone, known by its title and always in front.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/desktop/desktop.h"

namespace DesktopWindows {

// The id that stands for the console itself when there is no display.
inline constexpr Desktop::WindowId kConsole = ~0UL;

// Top-level windows from the top of the stack; titles cut at `titleLimit`.
std::vector<Desktop::Window> TopLevel(std::size_t titleLimit);
// The foreground window's title, cut at `limit`.
std::string ForegroundTitle(std::size_t limit);
// Closes, restores, maximizes or minimizes one of them. Closing the console ends the
// program as the user's closing of its window does.
void Act(Desktop::WindowId id, Desktop::Action action);

}  // namespace DesktopWindows
