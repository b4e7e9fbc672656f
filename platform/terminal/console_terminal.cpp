// The full-screen terminal console device: the 80x25 screen on the alternate screen of the
// terminal in the console's own colours, keys and mouse decoded from raw input, a redraw
// after every resize, and the terminal given back as it was on every way out.
#include "platform/terminal/console_terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <string>

#include "platform/events/messages.h"
#include "platform/terminal/terminal_draw.h"
#include "platform/terminal/terminal_keys.h"
#include "platform/terminal/terminal_modes.h"

namespace ConsoleDevice {
namespace {

// Written by the SIGWINCH handler (and after a continue) to wake the event loop.
volatile sig_atomic_t redrawPipeWrite = -1;

void OnWindowChange(int) {
  const int savedErrno = errno;
  if (redrawPipeWrite >= 0) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = write(redrawPipeWrite, &c, 1);
  }
  errno = savedErrno;
}

TerminalDraw::Size QuerySize() {
  winsize ws{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0 || ws.ws_col == 0 || ws.ws_row == 0) return {};
  return {ws.ws_col, ws.ws_row};
}

// The terminal's erase character as the user had it: what its Backspace key sends.
int ReadEraseByte() {
  termios t{};
  return tcgetattr(STDIN_FILENO, &t) == 0 ? t.c_cc[VERASE] : -1;
}

uint8_t EraseByte(int erase) { return erase == 8 || erase == 127 ? static_cast<uint8_t>(erase) : 0; }

class Terminal final : public Backend, public TerminalDevice {
 public:
  explicit Terminal(AcceptsKeys accepts) {
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
      redrawRead_ = fds[0];
      redrawWrite_ = fds[1];
      redrawPipeWrite = redrawWrite_;
    }
    struct sigaction sa {};
    sa.sa_handler = OnWindowChange;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGWINCH, &sa, &previousWinch_);
    TerminalModes::SetResumeNotice(redrawWrite_);
    savedErase_ = ReadEraseByte();
    TerminalModes::Take(STDIN_FILENO, STDOUT_FILENO, TerminalModes::Input::Raw, TerminalDraw::EnterSequence(),
                        TerminalDraw::LeaveSequence());
    size_ = QuerySize();

    keys_.fd = STDIN_FILENO;
    keys_.accepts = accepts;
    keys_.decoder.eraseByte = EraseByte(savedErase_);
    keysSource_ = TerminalKeys::AddSource(keys_);
    Messages::Source resize;
    resize.fd = [this] { return redrawRead_; };
    resize.dueInMs = [] { return -1; };
    resize.drain = [this] { OnRedrawNotice(); };
    resizeSource_ = Messages::AddSource(std::move(resize));
  }

  ~Terminal() override {
    Shutdown();
    Messages::RemoveSource(keysSource_);
    Messages::RemoveSource(resizeSource_);
  }

  const char* Name() const override { return "terminal"; }
  TerminalDevice* AsTerminal() override { return this; }

  void DrawSpan(const ScreenView& view, int row, int colBegin, int colEnd) override {
    last_ = view;
    std::string out;
    // The rows under the band keep showing the band until it is hidden.
    if (!UnderBand(row)) TerminalDraw::AppendSpan(out, view, row, colBegin, colEnd, size_);
    TerminalDraw::AppendCursor(out, view, size_);
    Write(out);
  }

  void Redraw(const ScreenView& view) override {
    last_ = view;
    std::string out;
    TerminalDraw::AppendScreen(out, view, size_);
    AppendBandAgain(out);
    TerminalDraw::AppendCursor(out, view, size_);
    Write(out);
  }

  void ShowBand(const ScreenView& view, const Band& band) override {
    last_ = view;
    std::string out;
    const int rows = TerminalDraw::BandRows(band, enlarged_);
    const int first = std::clamp(band.row, 1, kRows) - 1;
    if (bandShown_ && (first != bandFirst_ || rows != bandCount_))
      TerminalDraw::AppendUnband(out, view, bandFirst_, bandCount_, size_);
    band_ = band;
    bandShown_ = true;
    bandFirst_ = first;
    bandCount_ = rows;
    TerminalDraw::AppendBand(out, view, band_, enlarged_, size_);
    TerminalDraw::AppendCursor(out, view, size_);
    Write(out);
  }

  void HideBand(const ScreenView& view) override {
    last_ = view;
    if (!bandShown_) return;
    bandShown_ = false;
    std::string out;
    TerminalDraw::AppendUnband(out, view, bandFirst_, bandCount_, size_);
    TerminalDraw::AppendCursor(out, view, size_);
    Write(out);
  }

  void MoveCursor(const ScreenView& view) override {
    last_ = view;
    std::string out;
    TerminalDraw::AppendCursor(out, view, size_);
    Write(out);
  }

  void SetTitle(std::string_view title) override {
    std::string out;
    TerminalDraw::AppendTitle(out, title);
    Write(out);
  }

  bool LendTerminal() override {
    if (closed_ || !TerminalModes::CanLend()) return false;
    Messages::RemoveSource(keysSource_);
    TerminalModes::Lend();
    return true;
  }

  void ReclaimTerminal() override {
    if (!TerminalModes::Reclaim(STDIN_FILENO, STDOUT_FILENO, TerminalModes::Input::Raw, TerminalDraw::EnterSequence(),
                                TerminalDraw::LeaveSequence()))
      return;
    keysSource_ = TerminalKeys::AddSource(keys_);
    OnRedrawNotice();
  }

  void Beep() override { Write("\a"); }
  void DiscardTypedKeys() override { TerminalKeys::DiscardKeys(keys_); }
  uint8_t Modifiers() const override { return keys_.mods; }
  bool InputExhausted() const override { return TerminalKeys::Exhausted(keys_); }

  void Shutdown() override {
    if (closed_) return;
    closed_ = true;
    TerminalModes::Release();
    TerminalModes::SetResumeNotice(-1);
    sigaction(SIGWINCH, &previousWinch_, nullptr);
    redrawPipeWrite = -1;
    if (redrawRead_ >= 0) close(redrawRead_);
    if (redrawWrite_ >= 0) close(redrawWrite_);
    redrawRead_ = redrawWrite_ = -1;
  }

 private:
  // One write per draw call, so that the terminal shows each change whole.
  void Write(std::string_view bytes) {
    if (closed_ || !TerminalModes::Taken()) return;
    while (!bytes.empty()) {
      const ssize_t n = write(STDOUT_FILENO, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  // A resize, or the terminal taken again after a stop: everything is drawn anew.
  void OnRedrawNotice() {
    char buf[64];
    while (redrawRead_ >= 0 && read(redrawRead_, buf, sizeof buf) > 0) {
    }
    size_ = QuerySize();
    std::string out = "\x1b[0m\x1b[2J";
    TerminalDraw::AppendScreen(out, last_, size_);
    AppendBandAgain(out);
    TerminalDraw::AppendCursor(out, last_, size_);
    Write(out);
  }

  bool UnderBand(int row) const { return bandShown_ && row >= bandFirst_ && row < bandFirst_ + bandCount_; }
  void AppendBandAgain(std::string& out) {
    if (bandShown_) TerminalDraw::AppendBand(out, last_, band_, enlarged_, size_);
  }

  TerminalKeys::Feed keys_;
  TerminalDraw::Size size_;
  const bool enlarged_ = TerminalDraw::EnlargesText();
  Band band_;
  bool bandShown_ = false;
  int bandFirst_ = 0;
  int bandCount_ = 0;
  ScreenView last_;
  struct sigaction previousWinch_ {};
  int savedErase_ = -1;
  int redrawRead_ = -1;
  int redrawWrite_ = -1;
  int keysSource_ = 0;
  int resizeSource_ = 0;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<Backend> OpenTerminal(AcceptsKeys accepts) { return std::make_unique<Terminal>(accepts); }

}  // namespace ConsoleDevice
