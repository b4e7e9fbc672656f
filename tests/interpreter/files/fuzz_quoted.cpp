// Fuzz run of the quoted-printable conversions: any text decodes without fault to at most
// its own length, and encoding any bytes decodes back to them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "interpreter/encodings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  if (Encodings::QuotedDecode(input).size() > size) std::abort();
  const std::string encoded = Encodings::QuotedEncode(input);
  for (char c : encoded)
    if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) std::abort();
  if (Encodings::QuotedDecode(encoded) != input) std::abort();
  return 0;
}
