// Video of MCI media drawn into a window of the display (the console window, whose handle
// scripts get from HANDLE): whether a handle names a window that can show it, and the sink
// that draws into it, scaled to the window.
#pragma once

#include <gst/gst.h>

#include <cstdint>

namespace MciVideo {

// True when a display can be opened and `handle` is one of its windows.
bool UsableWindow(uint64_t handle);
// A floating video sink drawing into the window; null when the display's sink is missing.
GstElement* MakeSink(uint64_t handle);

}  // namespace MciVideo
