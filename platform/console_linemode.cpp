// The line-mode console device: what the program writes goes to standard output as UTF-8,
// keys are read from standard input (UTF-8 or single bytes). On a terminal, echo and line
// buffering are switched off for the run and restored on every way out.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <deque>

#include "platform/console_headless.h"
#include "platform/cp1252.h"
#include "platform/messages.h"

namespace ConsoleDevice {
namespace {

struct TtyState {
  bool saved = false;
  termios original{};
};
TtyState tty;

void RestoreTty() {
  if (tty.saved) tcsetattr(STDIN_FILENO, TCSANOW, &tty.original);
}

void OnSignal(int sig) {
  RestoreTty();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void TakeTty() {
  if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &tty.original) != 0) return;
  tty.saved = true;
  termios raw = tty.original;
  raw.c_lflag &= static_cast<tcflag_t>(~(ECHO | ICANON));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  std::atexit(RestoreTty);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGABRT}) std::signal(sig, OnSignal);
}

class LineMode final : public Backend {
 public:
  explicit LineMode(AcceptsKeys accepts) : accepts_(accepts) {
    TakeTty();
    Messages::Source src;
    src.fd = [this] { return eof_ ? -1 : STDIN_FILENO; };
    src.dueInMs = [this] { return !pending_.empty() && (!accepts_ || accepts_()) ? 0 : -1; };
    src.drain = [this] { Drain(); };
    source_ = Messages::AddSource(std::move(src));
  }
  ~LineMode() override {
    Messages::RemoveSource(source_);
    RestoreTty();
  }

  const char* Name() const override { return "terminal"; }
  void DrawSpan(const ScreenView&, int, int, int) override {}
  void Redraw(const ScreenView&) override {}
  void MoveCursor(const ScreenView&) override {}
  void SetTitle(std::string_view) override {}
  void WriteStream(std::string_view bytes) override {
    std::string out;
    for (char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      if (b == 10 || b == 8 || b >= 32) out.push_back(c);
      else if (b == 7) out.push_back('\a');
    }
    const std::string utf8 = Cp1252::ToUtf8(out);
    [[maybe_unused]] ssize_t n = write(STDOUT_FILENO, utf8.data(), utf8.size());
  }
  void Beep() override {}
  uint8_t Modifiers() const override { return mods_; }
  bool InputExhausted() const override { return eof_ && pending_.empty(); }
  void Shutdown() override { RestoreTty(); }

 private:
  void Drain() {
    pollfd_read();
    if (pending_.empty() || (accepts_ && !accepts_())) return;
    const KeyScript::Item item = pending_.front();
    pending_.pop_front();
    mods_ = item.mods;
    for (const Messages::Message& m : KeyScript::ToMessages(item)) Messages::Post(m);
  }

  void pollfd_read() {
    if (eof_) return;
    pollfd p{STDIN_FILENO, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return;
    char buf[256];
    const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
      eof_ = true;
      return;
    }
    partial_.append(buf, static_cast<std::size_t>(n));
    std::size_t i = 0;
    while (i < partial_.size()) {
      char32_t cp = 0;
      std::size_t len = Cp1252::DecodeUtf8(partial_, i, cp);
      const auto b0 = static_cast<unsigned char>(partial_[i]);
      if (len == 0 && b0 >= 0xC0 && partial_.size() - i < 4) break;  // sequence not complete yet
      std::string one = len == 0 ? std::string(1, partial_[i]) : Cp1252::FromUtf8(partial_.substr(i, len));
      if (len == 0) len = 1;
      i += len;
      uint8_t ch = static_cast<uint8_t>(one[0]);
      if (ch == 10) ch = 13;
      if (ch == 127) ch = 8;
      pending_.push_back(KeyScript::CharacterItem(ch));
    }
    partial_.erase(0, i);
  }

  AcceptsKeys accepts_;
  std::deque<KeyScript::Item> pending_;
  std::string partial_;
  bool eof_ = false;
  uint8_t mods_ = 0;
  int source_ = 0;
};

}  // namespace

std::unique_ptr<Backend> OpenLineMode(AcceptsKeys accepts) { return std::make_unique<LineMode>(accepts); }

}  // namespace ConsoleDevice
