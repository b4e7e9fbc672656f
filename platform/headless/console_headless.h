// The headless and line-mode console devices (see console_backend.h).
#pragma once

#include <vector>

#include "platform/console/console_backend.h"
#include "platform/headless/keyscript.h"

namespace ConsoleDevice {

std::unique_ptr<Backend> OpenHeadless(std::vector<KeyScript::Item> items, AcceptsKeys accepts);
// Text to standard output as UTF-8, keys from standard input (a line-mode terminal).
std::unique_ptr<Backend> OpenLineMode(AcceptsKeys accepts);

}  // namespace ConsoleDevice
