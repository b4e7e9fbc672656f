// Conversion and keeping of a child's output.
#include "services/child_output.h"

#include <algorithm>
#include <cstdint>

#include "platform/text/cp1252.h"

namespace ChildOutput {
namespace {

// Length of the UTF-8 sequence a lead byte starts (0: not a lead byte).
std::size_t SequenceLength(uint8_t b) {
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

void PutConverted(Stream& s, char c) {
  if (c == '\n' && !s.lastWasCr) s.kept.push_back('\r');
  s.kept.push_back(c);
  s.lastWasCr = c == '\r';
}

void Bound(Stream& s) {
  // Dropped in large steps, so that a child printing without end costs no more than a
  // copy of the kept text per kKeptBytes of output.
  if (s.kept.size() > 2 * kKeptBytes) {
    const std::size_t drop = s.kept.size() - kKeptBytes;
    s.kept.erase(0, drop);
    s.dropped += drop;
  }
}

}  // namespace

void Append(Stream& s, std::string_view bytes) {
  std::string text = s.heldUtf8;
  text.append(bytes);
  s.heldUtf8.clear();
  std::size_t i = 0;
  while (i < text.size()) {
    // Runs of plain text without a line end are copied whole.
    std::size_t plain = i;
    while (plain < text.size() && static_cast<uint8_t>(text[plain]) < 0x80 && text[plain] != '\n') ++plain;
    if (plain > i) {
      s.kept.append(text, i, plain - i);
      s.lastWasCr = text[plain - 1] == '\r';
      i = plain;
      continue;
    }
    const auto b = static_cast<uint8_t>(text[i]);
    if (b < 0x80) {
      PutConverted(s, text[i++]);
      continue;
    }
    const std::size_t length = SequenceLength(b);
    if (length != 0 && i + length > text.size()) {
      // Possibly a sequence split between two reads: wait for its rest, unless what
      // came already cannot belong to one.
      bool continuation = true;
      for (std::size_t k = i + 1; k < text.size(); ++k)
        continuation = continuation && (static_cast<uint8_t>(text[k]) >> 6) == 2;
      if (continuation) {
        s.heldUtf8 = text.substr(i);
        break;
      }
    }
    char32_t cp = 0;
    const std::size_t used = length == 0 ? 0 : Cp1252::DecodeUtf8(text, i, cp);
    if (used == 0) {
      PutConverted(s, text[i++]);  // not UTF-8: a Windows-1252 byte as it is
      continue;
    }
    const int byte = Cp1252::FromUnicode(cp);
    PutConverted(s, byte < 0 ? '?' : static_cast<char>(byte));
    i += used;
  }
  Bound(s);
}

void Finish(Stream& s) {
  const std::string held = std::move(s.heldUtf8);
  s.heldUtf8.clear();
  for (char c : held) PutConverted(s, c);
  Bound(s);
}

std::string Take(Stream& s) {
  const std::size_t n = std::min(kReadPiece, s.kept.size());
  std::string piece = s.kept.substr(0, n);
  s.kept.erase(0, n);
  const std::size_t zero = piece.find('\0');
  if (zero != std::string::npos) piece.resize(zero);
  return piece;
}

std::string Combine(const std::string& output, const std::string& error) {
  std::string result = output.empty() ? error : output + "\r\n" + error;
  if (!result.empty()) result += "\r\n";
  return result;
}

}  // namespace ChildOutput
