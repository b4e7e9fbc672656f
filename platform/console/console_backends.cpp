// Chooses the console device at start from FONIX_CONSOLE and what the process is attached to.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/headless/console_headless.h"
#include "platform/terminal/console_terminal.h"
#include "platform/terminal/terminal_clipboard.h"
#include "platform/window/console_window.h"

namespace ConsoleDevice {
namespace {

// A terminal that cannot place a cursor gets the line mode.
bool DumbTerminal() {
  const char* term = std::getenv("TERM");
  return !term || !*term || std::string(term) == "dumb";
}

}  // namespace

std::unique_ptr<Backend> OpenBackend(AcceptsKeys acceptsKeys, std::string& error) {
  const char* chosen = std::getenv("FONIX_CONSOLE");
  std::string kind = chosen ? chosen : "";
  const char* script = std::getenv("FONIX_KEYS");
  // A key script drives the headless device; otherwise a display that opens gets the window.
  if (kind.empty() && !script) {
    std::string ignored;
    if (auto window = OpenWindow(ignored)) return window;
  }
  if (kind == "window") {
    auto window = OpenWindow(error);
    if (!window) error = "FONIX_CONSOLE=window: " + error;
    return window;
  }
  if (kind.empty()) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) kind = "headless";
    else kind = DumbTerminal() ? "lines" : "terminal";
  }
  if (kind == "terminal" || kind == "lines") TerminalClipboard::Attach(STDOUT_FILENO);
  if (kind == "terminal") return OpenTerminal(acceptsKeys);
  if (kind == "lines") return OpenLineMode(acceptsKeys);
  if (kind != "headless") {
    error = "FONIX_CONSOLE desconhecido: " + kind + " (use window, terminal, lines ou headless)";
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
