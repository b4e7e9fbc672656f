// The period-dropping speech cutter.
#include "audio/sound_queue_cut.h"

#include <algorithm>
#include <cstdlib>

namespace SoundQueue {
namespace {

// Index of the first largest sample among s[from .. from + width], kept inside the piece.
std::size_t FirstMaximum(const uint8_t* s, std::size_t count, std::size_t from, std::size_t width) {
  const std::size_t last = std::min(from + width, count - 1);
  std::size_t best = from;
  for (std::size_t i = from + 1; i <= last; ++i)
    if (s[i] > s[best]) best = i;
  return best;
}

}  // namespace

std::size_t NarrowTo8Bits(const uint8_t* in, std::size_t bytes, uint8_t* out) {
  const std::size_t count = bytes / 2;
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(in[2 * i + 1] ^ 0x80);
  return count;
}

std::size_t CutSpeech(uint8_t* s, std::size_t count, int rate) {
  if (count < 1000) return count;
  // Pitch periods of 8 kHz-band speech; the search width lets a period's peak wander.
  const bool low = rate == 11025;
  const std::size_t start = low ? 200 : 800;
  const std::size_t minPeriod = low ? 80 : 320;
  const std::size_t width = low ? 50 : 200;
  const std::size_t f = minPeriod + width;
  // At 16000 Hz the first search reaches sample 1320, past the end of a piece of 1000 to
  // 1320 samples: the searches stop at the piece's last sample.
  std::size_t p = FirstMaximum(s, count, start, f);
  std::size_t w = p;
  while (count > 2 * f && p < count - 2 * f) {
    const std::size_t o = FirstMaximum(s, count, p + minPeriod, width);
    const std::size_t q = FirstMaximum(s, count, o + minPeriod, width);
    std::copy(s + o, s + q + 1, s + w);  // w <= o: a forward copy never overruns its source
    w += q - o + 1;
    p = q;
  }
  // End on a quiet sample, so that the cut tail does not click.
  while (p < count && std::abs(static_cast<int>(s[w]) - 128) > 20) s[w++] = s[p++];
  return w;
}

}  // namespace SoundQueue
