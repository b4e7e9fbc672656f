// G.711 companding of 16-bit samples, and 8-bit unsigned linear.
#include "tts/mbrola/sample_types.h"

namespace Mbr {

uint8_t ToLin8(int16_t s) { return static_cast<uint8_t>((s >> 8) + 128); }

uint8_t ToUlaw(int16_t sample) {
  constexpr int kBias = 0x84, kClip = 32635;
  int s = sample;
  const int sign = s < 0 ? 0x80 : 0;
  if (s < 0) s = -s;
  if (s > kClip) s = kClip;
  s += kBias;
  int exponent = 7;
  for (int mask = 0x4000; (s & mask) == 0 && exponent > 0; mask >>= 1) --exponent;
  const int mantissa = (s >> (exponent + 3)) & 0x0F;
  return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

uint8_t ToAlaw(int16_t sample) {
  int s = sample;
  const int sign = s >= 0 ? 0x80 : 0;
  if (s < 0) s = -s - 1;
  if (s > 32767) s = 32767;
  int exponent = 7;
  for (int mask = 0x4000; (s & mask) == 0 && exponent > 0; mask >>= 1) --exponent;
  const int mantissa = exponent == 0 ? (s >> 4) & 0x0F : (s >> (exponent + 3)) & 0x0F;
  return static_cast<uint8_t>((sign | (exponent << 4) | mantissa) ^ 0x55);
}

}  // namespace Mbr
