// The WAVE header written field by field, little-endian, so that it is the same on any host.
#include "platform/wave/wave_header.h"

#include <cstring>

namespace WaveHeader {
namespace {

void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}

}  // namespace

void PutSize(uint8_t* at, uint32_t size) { Put32(at, size); }

void Write(uint8_t* out, int rate, int channels, int bits, uint32_t dataBytes) {
  const auto blockAlign = static_cast<uint32_t>(channels * bits / 8);
  std::memcpy(out, "RIFF", 4);
  Put32(out + 4, 36 + dataBytes);
  std::memcpy(out + 8, "WAVEfmt ", 8);
  Put32(out + 16, 16);
  Put16(out + 20, 1);  // PCM
  Put16(out + 22, static_cast<uint32_t>(channels));
  Put32(out + 24, static_cast<uint32_t>(rate));
  Put32(out + 28, static_cast<uint32_t>(rate) * blockAlign);
  Put16(out + 32, blockAlign);
  Put16(out + 34, static_cast<uint32_t>(bits));
  std::memcpy(out + 36, "data", 4);
  Put32(out + 40, dataBytes);
}

}  // namespace WaveHeader
