// Where a desktop window is and which window holds the keyboard focus: the outer frame of
// a window (its client area plus the window manager's frame, from _NET_FRAME_EXTENTS) and
// the name of the focused window. Without a display both answer nothing.
#pragma once

#include <cstddef>
#include <string>

#include "platform/desktop/desktop.h"

namespace DesktopFocus {

struct Frame {
  long left = 0, top = 0, width = 0, height = 0;  // the outer frame in screen pixels
  long borderLeft = 0;                            // width of the frame's left side
};

// False when there is no display or the window is gone.
bool OuterFrame(Desktop::WindowId id, Frame& frame);
// The name of the window holding the keyboard focus, or of the nearest window above it
// that has one (Windows-1252, cut at `limit`); empty when none holds it.
std::string FocusedWindowName(std::size_t limit);

void ResetDesktopFocus();

}  // namespace DesktopFocus
