// Windows-1252 <-> UTF-8 conversion used wherever text crosses into Linux.
#include "platform/text/cp1252.h"

namespace Cp1252 {

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const std::size_t len = DecodeUtf8(s, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string FromUtf8(std::string_view utf8, char missing) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    std::size_t len = DecodeUtf8(utf8, i, cp);
    if (len == 0) {  // a stray byte stands for itself
      out.push_back(utf8[i]);
      ++i;
      continue;
    }
    const int b = FromUnicode(cp);
    out.push_back(b < 0 ? missing : static_cast<char>(b));
    i += len;
  }
  return out;
}

std::string ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (unsigned char c : text) {
    const char32_t cp = ToUnicode(c);
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

// Files are often mixed (a UTF-8 file edited by a Windows-1252 program): each well-formed
// UTF-8 sequence is decoded and every other byte is taken as Windows-1252.
std::string FromFileText(std::string_view bytes) { return FromUtf8(bytes); }

}  // namespace Cp1252
