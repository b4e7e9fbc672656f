// The desktop around the console: the top-level windows with their titles, the active
// window, and closing, restoring, maximizing and minimizing a window. On Linux this is the
// X display (EWMH when a window manager offers it, the window tree when none runs); with
// no display there is no desktop and every query answers empty.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Desktop {

using WindowId = unsigned long;  // 0: none

struct Window {
  WindowId id = 0;
  std::string title;  // Windows-1252
  bool minimized = false;
};

// True when an X display can be opened (DISPLAY set and the server answering).
bool HasDisplay();
// The top-level windows in stacking order from the top, as a user sees them: those shown or
// minimized, with a title; titles cut at `titleLimit` characters.
std::vector<Window> TopLevelWindows(std::size_t titleLimit);
// The window that has the focus (0: none, or no display).
WindowId ActiveWindow();
// A window's title (Windows-1252), cut at `limit` characters.
std::string WindowTitle(WindowId id, std::size_t limit);

enum class Action { Close, Normal, Maximize, Minimize };
// Acts on a window: Close asks it to close and waits (up to two seconds, the event loop
// running) until it is gone; Normal and Maximize also activate it. False without a display.
bool Act(WindowId id, Action action);

// The console's own window on the display, when the console device has one (0: none).
void SetConsoleWindow(WindowId id);
WindowId ConsoleWindow();

// Closes the display connection and forgets the console window (tests).
void ResetDesktop();

}  // namespace Desktop
