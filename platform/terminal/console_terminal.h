// The full-screen terminal console device and the line mode beside it (see console_backend.h).
#pragma once

#include <memory>

#include "platform/console/console_backend.h"

namespace ConsoleDevice {

// The console drawn on the terminal of standard output, keys and mouse from standard input.
std::unique_ptr<Backend> OpenTerminal(AcceptsKeys accepts);

}  // namespace ConsoleDevice
