// The text encodings of mail and web data: Base64, quoted-printable, and UTF-8 to and from
// the Windows-1252 code page. Pure conversions; the commands that use them are elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Encodings {

// Base64 (RFC 4648) in one line, filled with "=" to a multiple of four characters.
std::string Base64Encode(std::string_view bytes);

// A Base64 decoder fed in pieces: characters outside the alphabet are skipped, the first
// "=" ends the decoding, and a final partial group gives the whole bytes it holds.
struct Base64Decoder {
  uint32_t bits = 0;
  int count = 0;  // alphabet characters in the current group
  bool ended = false;
};
void Base64Feed(Base64Decoder& decoder, std::string_view text, std::string& out);
void Base64Finish(Base64Decoder& decoder, std::string& out);
std::string Base64Decode(std::string_view text);

// Quoted-printable: one "=" at the very end is removed, then every "=" followed by two
// hexadecimal digits becomes the byte they denote; anything else is copied.
std::string QuotedDecode(std::string_view text);
// Bytes 0..31, "=" and 127..255 become "=" and two upper-case hexadecimal digits.
std::string QuotedEncode(std::string_view bytes);

// UTF-8 to Windows-1252; characters the code page lacks become "?". False (out empty) when
// the text is not well-formed UTF-8.
bool Utf8ToAnsi(std::string_view utf8, std::string& out);
// Windows-1252 to UTF-8.
std::string AnsiToUtf8(std::string_view text);

}  // namespace Encodings
