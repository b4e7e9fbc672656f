// Which windows a video is being drawn into now (MCI video into the console window): the
// console window leaves its frame alone while one is, and is drawn again when it ends.
#pragma once

#include <cstdint>

namespace VideoWindows {

// A video sink starts or stops drawing into `handle` (thread-safe; the end wakes the
// event loop so the window can be drawn again).
void Started(uint64_t handle);
void Stopped(uint64_t handle);
// True while at least one video draws into `handle`.
bool Showing(uint64_t handle);
void ResetVideoWindows();

}  // namespace VideoWindows
