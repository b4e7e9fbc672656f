// The window console device: the 80x25 screen in an SDL window of the desktop.
#pragma once

#include <memory>
#include <string>

#include "platform/console/console_backend.h"

namespace ConsoleDevice {

// True when a display is named in the environment and SDL's video opens on it.
bool DisplayOpens();
// The window device; null with a message when no display opens.
std::unique_ptr<Backend> OpenWindow(std::string& error);

}  // namespace ConsoleDevice
