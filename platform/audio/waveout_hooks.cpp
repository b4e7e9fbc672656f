// The hooks through which the console's bell and tones reach the sound queue, kept apart
// from the devices so that the console can ring without linking any audio library.
#include "platform/audio/waveout.h"

namespace WaveOut {
namespace {

struct Hooks {
  BellPlayer bell = nullptr;
  TonePlayer tone = nullptr;
};

Hooks& H() {
  static Hooks hooks;
  return hooks;
}

}  // namespace

void SetBellPlayer(BellPlayer player) { H().bell = player; }
void SetTonePlayer(TonePlayer player) { H().tone = player; }

bool RingBell() {
  if (!H().bell) return false;
  H().bell();
  return true;
}

bool PlayTone(const uint8_t* image, std::size_t size) {
  if (!H().tone) return false;
  H().tone(image, size);
  return true;
}

bool StopTone() { return PlayTone(nullptr, 0); }

}  // namespace WaveOut
