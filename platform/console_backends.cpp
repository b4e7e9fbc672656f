// Chooses the console device at start from FONIX_CONSOLE and what the process is attached to.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/console_headless.h"

namespace ConsoleDevice {

std::unique_ptr<Backend> OpenBackend(AcceptsKeys acceptsKeys, std::string& error) {
  const char* chosen = std::getenv("FONIX_CONSOLE");
  std::string kind = chosen ? chosen : "";
  if (kind.empty()) kind = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) ? "terminal" : "headless";
  if (kind == "terminal") return OpenLineMode(acceptsKeys);
  if (kind != "headless") {
    error = "FONIX_CONSOLE desconhecido: " + kind + " (use headless ou terminal)";
    return nullptr;
  }
  std::vector<KeyScript::Item> items;
  const char* keys = std::getenv("FONIX_KEYS");
  if (keys && !KeyScript::Parse(keys, items, error)) {
    error = "FONIX_KEYS: " + error;
    return nullptr;
  }
  return OpenHeadless(std::move(items), acceptsKeys);
}

}  // namespace ConsoleDevice
