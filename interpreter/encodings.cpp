// Base64, quoted-printable and UTF-8 conversions.
#include "interpreter/encodings.h"

#include <array>

#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"

namespace Encodings {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> MakeValues() {
  std::array<int8_t, 256> v{};
  for (auto& x : v) x = -1;
  for (int i = 0; i < 64; ++i) v[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
  return v;
}
constexpr std::array<int8_t, 256> kValues = MakeValues();

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t v = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16 |
                       static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8 |
                       static_cast<uint8_t>(bytes[i + 2]);
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t v = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16;
    if (rest == 2) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(rest == 2 ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

void Base64Feed(Base64Decoder& d, std::string_view text, std::string& out) {
  for (const char c : text) {
    if (d.ended) return;
    if (c == '=') {
      d.ended = true;
      return;
    }
    const int v = kValues[static_cast<uint8_t>(c)];
    if (v < 0) continue;  // spaces, line ends and anything else outside the alphabet
    d.bits = d.bits << 6 | static_cast<uint32_t>(v);
    if (++d.count == 4) {
      out.push_back(static_cast<char>(d.bits >> 16));
      out.push_back(static_cast<char>(d.bits >> 8));
      out.push_back(static_cast<char>(d.bits));
      d.bits = 0;
      d.count = 0;
    }
  }
}

void Base64Finish(Base64Decoder& d, std::string& out) {
  if (d.count >= 2) {
    const uint32_t bits = d.bits << (6 * (4 - d.count));
    out.push_back(static_cast<char>(bits >> 16));
    if (d.count == 3) out.push_back(static_cast<char>(bits >> 8));
  }
  d.bits = 0;
  d.count = 0;
  d.ended = true;
}

std::string Base64Decode(std::string_view text) {
  Base64Decoder d;
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  Base64Feed(d, text, out);
  Base64Finish(d, out);
  return out;
}

std::string QuotedDecode(std::string_view text) {
  if (!text.empty() && text.back() == '=') text.remove_suffix(1);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && i + 2 < text.size()) {
      const int hi = TextKit::HexDigitValue(text[i + 1]), lo = TextKit::HexDigitValue(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi << 4 | lo));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

std::string QuotedEncode(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 32 || b == '=' || b >= 127) {
      out.push_back('=');
      TextKit::AppendHexByte(out, b);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool Utf8ToAnsi(std::string_view utf8, std::string& out) {
  out.clear();
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t len = Cp1252::DecodeUtf8(utf8, i, cp);
    if (len == 0) {
      out.clear();
      return false;
    }
    const int b = Cp1252::FromUnicode(cp);
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
    i += len;
  }
  return true;
}

std::string AnsiToUtf8(std::string_view text) { return Cp1252::ToUtf8(text); }

}  // namespace Encodings
