// Copies from a terminal console: to the X CLIPBOARD selection, else to the terminal itself.
#include "platform/terminal/terminal_clipboard.h"

#include <unistd.h>

#include "platform/desktop/clipboard.h"
#include "platform/text/cp1252.h"
#include "platform/desktop/x_clipboard.h"

namespace TerminalClipboard {
namespace {

int& TerminalFd() {
  static int fd = -1;
  return fd;
}

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= static_cast<uint8_t>(bytes[i + 2]);
    out.push_back(kDigits[v >> 18 & 63]);
    out.push_back(kDigits[v >> 12 & 63]);
    out.push_back(i + 1 < bytes.size() ? kDigits[v >> 6 & 63] : '=');
    out.push_back(i + 2 < bytes.size() ? kDigits[v & 63] : '=');
  }
  return out;
}

void Copy(std::string_view text) {
  if (XClipboard::Own(text)) return;
  const int fd = TerminalFd();
  if (fd < 0 || !isatty(fd)) return;
  const std::string sequence = Osc52(text);
  std::size_t done = 0;
  while (done < sequence.size()) {
    const ssize_t n = write(fd, sequence.data() + done, sequence.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
}

bool Paste(std::string& text) { return XClipboard::Read(text); }

constexpr Clipboard::Outside kOutside{Copy, Paste};

}  // namespace

std::string Osc52(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain.push_back(text[i]);
  return "\x1b]52;c;" + Base64(Cp1252::ToUtf8(plain)) + "\x07";
}

void Attach(int terminalFd) {
  TerminalFd() = terminalFd;
  Clipboard::SetOutside(&kOutside);
}

void Detach() {
  Clipboard::SetOutside(nullptr);
  TerminalFd() = -1;
}

}  // namespace TerminalClipboard
