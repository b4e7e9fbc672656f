// Fuzz run of the UTF-8 conversion: any bytes give either the empty text (malformed) or one
// byte per character; Windows-1252 text survives the way there and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "interpreter/encodings.h"
#include "platform/text/cp1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string out;
  const bool ok = Encodings::Utf8ToAnsi(input, out);
  if (ok != Cp1252::IsUtf8(input)) std::abort();
  if (!ok && !out.empty()) std::abort();
  if (out.size() > size) std::abort();
  // Any single-byte text: to UTF-8 and back is the same text (the zero byte included).
  const std::string utf8 = Encodings::AnsiToUtf8(input);
  std::string back;
  if (!Encodings::Utf8ToAnsi(utf8, back) || back != input) std::abort();
  return 0;
}
