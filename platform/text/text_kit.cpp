// The text toolkit's pieces that are not inline: whole-text case folding, hex bytes and
// percent-encoding, numbers.
#include "platform/text/text_kit.h"

namespace TextKit {
namespace {

template <char (*Fold)(char)>
std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Fold(c);
  return out;
}

}  // namespace

std::string AsciiUpperText(std::string_view s) { return Folded<AsciiUpper>(s); }
std::string AsciiLowerText(std::string_view s) { return Folded<AsciiLower>(s); }
std::string Cp1252UpperText(std::string_view s) { return Folded<Cp1252Upper>(s); }
std::string Cp1252LowerText(std::string_view s) { return Folded<Cp1252Lower>(s); }

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

void AppendHexByte(std::string& out, uint8_t b) {
  out += kHexDigits[b >> 4];
  out += kHexDigits[b & 15];
}

std::string PercentEncode(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (const char c : text) {
    const auto b = static_cast<uint8_t>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
        b == '_' || b == '~') {
      out += c;
    } else {
      out += '%';
      AppendHexByte(out, b);
    }
  }
  return out;
}

std::optional<uint64_t> ReadDigits(std::string_view s, std::size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

std::optional<int64_t> ReadDecimal(std::string_view s, int64_t max) {
  if (s.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > max) return std::nullopt;
  }
  return value;
}

}  // namespace TextKit
