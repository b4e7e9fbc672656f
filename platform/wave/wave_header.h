// Writing the canonical 44-byte header of a PCM WAVE file or in-memory image, the one header
// every sound the runtime and its voice builders make starts with.
#pragma once

#include <cstddef>
#include <cstdint>

namespace WaveHeader {

inline constexpr std::size_t kSize = 44;

// "RIFF" and its size (36 + dataBytes), "WAVE", the 16-byte PCM format block of `rate`,
// `channels` and `bits`, then the "data" chunk header of dataBytes; all little-endian.
void Write(uint8_t* out, int rate, int channels, int bits, uint32_t dataBytes);
// One size field (4 bytes, little-endian), for a writer that grows the file afterwards: the
// RIFF size at 4 is 36 + the data size, the data size is at 40.
void PutSize(uint8_t* at, uint32_t size);

}  // namespace WaveHeader
