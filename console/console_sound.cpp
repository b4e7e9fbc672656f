// The console's tone: a square wave built in memory as a one-second WAVE image at 11025 Hz
// and looped by the sound queue until it is stopped.
#include <algorithm>
#include <cstring>

#include "console/console.h"
#include "platform/audio/waveout.h"
#include "platform/wave/wave_header.h"

namespace Console {
namespace {

constexpr int kRate = 11025;
constexpr std::size_t kToneBuffer = 11071;  // the 44-byte header and room for the samples

struct Tone {
  uint8_t image[kToneBuffer];
  std::size_t size = 0;  // 0: no tone
};

Tone& T() {
  static Tone tone;
  return tone;
}

// Fills the image for `frequency` Hz; returns its size (header included).
std::size_t BuildTone(uint8_t* image, int frequency) {
  const int period = kRate / frequency;
  std::size_t position = 44;
  for (int k = 0; 44 + static_cast<int64_t>(k) * kRate / frequency <= kRate - period; ++k) {
    position = 44 + static_cast<std::size_t>(static_cast<int64_t>(k) * kRate / frequency);
    // Each half starts where the previous half's nominal length ends.
    const std::size_t low = static_cast<std::size_t>(period / 2 + 1);
    const std::size_t high = static_cast<std::size_t>(period - period / 2 + 1);
    std::memset(image + position, 96, low);
    std::memset(image + position + period / 2, 160, high);
    position += static_cast<std::size_t>(period / 2) + high;
  }
  // The last sample before the end is silence (a tone of no period has no samples).
  if (position > 44) image[position - 1] = 128;
  const uint32_t data = static_cast<uint32_t>(position - 44);
  WaveHeader::Write(image, kRate, 1, 8, data);
  return position;
}

}  // namespace

void ConsoleSound(int frequency) {
  ConsoleNoSound();  // a previous tone is stopped first
  frequency &= 0xFFFF;
  if (frequency == 0) return;  // no period: nothing to play
  Tone& t = T();
  t.size = BuildTone(t.image, frequency);
  if (t.size > 44) WaveOut::PlayTone(t.image, t.size);
}

void ResetTone() { ConsoleNoSound(); }

void ConsoleNoSound() {
  Tone& t = T();
  if (t.size == 0) return;
  WaveOut::StopTone();
  t.size = 0;
}

}  // namespace Console
