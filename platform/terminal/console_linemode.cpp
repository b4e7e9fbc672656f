// The line-mode console device (FONIX_CONSOLE=lines), for pipes and dumb terminals: what
// the program writes goes to standard output as UTF-8, keys are read from standard input
// through the terminal decoder. On a terminal, echo and line buffering are off for the run.
#include <termios.h>
#include <unistd.h>

#include "platform/headless/console_headless.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/terminal/terminal_keys.h"
#include "platform/terminal/terminal_modes.h"

namespace ConsoleDevice {
namespace {

class LineMode final : public Backend, public TerminalDevice {
 public:
  explicit LineMode(AcceptsKeys accepts) {
    TerminalModes::Take(STDIN_FILENO, STDOUT_FILENO, TerminalModes::Input::NoEcho, "", "");
    keys_.fd = STDIN_FILENO;
    keys_.accepts = accepts;
    // A pipe, and a terminal that still maps Enter to 10, end each line with 10.
    keys_.decoder.lineFeedIsEnter = true;
    source_ = TerminalKeys::AddSource(keys_);
  }
  ~LineMode() override {
    Messages::RemoveSource(source_);
    TerminalModes::Release();
  }

  const char* Name() const override { return "lines"; }
  TerminalDevice* AsTerminal() override { return this; }
  void DrawSpan(const ScreenView&, int, int, int) override {}
  void Redraw(const ScreenView&) override {}
  void MoveCursor(const ScreenView&) override {}
  void SetTitle(std::string_view) override {}
  void WriteStream(std::string_view bytes) override {
    std::string out;
    for (char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      if (b == 10 || b == 8 || b == 7 || b >= 32) out.push_back(c);
    }
    const std::string utf8 = Cp1252::ToUtf8(out);
    [[maybe_unused]] ssize_t n = write(STDOUT_FILENO, utf8.data(), utf8.size());
  }
  void DiscardTypedKeys() override { TerminalKeys::DiscardKeys(keys_); }
  uint8_t Modifiers() const override { return keys_.mods; }
  bool InputExhausted() const override { return TerminalKeys::Exhausted(keys_); }
  void Shutdown() override { TerminalModes::Release(); }
  bool LendTerminal() override {
    if (!TerminalModes::CanLend()) return false;
    Messages::RemoveSource(source_);
    TerminalModes::Lend();
    return true;
  }
  void ReclaimTerminal() override {
    if (!TerminalModes::Reclaim(STDIN_FILENO, STDOUT_FILENO, TerminalModes::Input::NoEcho, "", "")) return;
    source_ = TerminalKeys::AddSource(keys_);
  }

 private:
  TerminalKeys::Feed keys_;
  int source_ = 0;
};

}  // namespace

std::unique_ptr<Backend> OpenLineMode(AcceptsKeys accepts) { return std::make_unique<LineMode>(accepts); }

}  // namespace ConsoleDevice
