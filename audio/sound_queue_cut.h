// Speech cutting: time compression of mono speech by dropping every other pitch period,
// done on 8-bit samples (16-bit speech is first narrowed to 8 bits).
#pragma once

#include <cstddef>
#include <cstdint>

namespace SoundQueue {

// 16-bit little-endian samples to 8-bit unsigned: the high byte with its sign bit flipped.
// Returns the number of samples written to `out` (bytes / 2).
std::size_t NarrowTo8Bits(const uint8_t* in, std::size_t bytes, uint8_t* out);
// Cuts `count` 8-bit samples in place (a piece of fewer than 1000 is left alone); `rate`
// picks the period constants. Returns the new count.
std::size_t CutSpeech(uint8_t* samples, std::size_t count, int rate);

}  // namespace SoundQueue
