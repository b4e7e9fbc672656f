// ALARME: a tone of a given frequency and length on the audio device, played to its end
// (a key does not cut it short, as the system's simple tone does not stop for one).
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "interpreter/commands.h"
#include "interpreter/values.h"
#include "platform/events/messages.h"
#include "platform/headless/transcript.h"
#include "audio/sound_queue.h"

namespace {

constexpr int kRate = 44100;      // high enough for every frequency up to 20 000 Hz
constexpr int kMaxValue = 20000;
constexpr double kAmplitude = 0.5 * 32767;
constexpr int kFadeFrames = kRate / 200;  // 5 ms in and out: no click at either end

std::vector<uint8_t> ToneSamples(int frequency, int milliseconds) {
  const std::size_t frames = static_cast<std::size_t>(int64_t{kRate} * milliseconds / 1000);
  std::vector<uint8_t> samples(frames * 2);
  const double step = 2 * M_PI * frequency / kRate;
  for (std::size_t i = 0; i < frames; ++i) {
    double gain = 1.0;
    if (i < static_cast<std::size_t>(kFadeFrames)) gain = static_cast<double>(i) / kFadeFrames;
    if (frames - i < static_cast<std::size_t>(kFadeFrames)) gain = std::min(gain, static_cast<double>(frames - i) / kFadeFrames);
    const auto v = static_cast<int16_t>(std::lround(kAmplitude * gain * std::sin(step * static_cast<double>(i))));
    samples[2 * i] = static_cast<uint8_t>(v & 0xFF);
    samples[2 * i + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }
  return samples;
}

bool ReadInRange(std::string_view& args, int& out) {
  std::string value;
  if (!Values::ReadValue(args, value)) return false;
  const auto n = Values::NumericValue(value);
  if (!n || *n < 0 || *n > kMaxValue) return false;
  out = *n;
  return true;
}

}  // namespace

namespace Commands {

bool Alarme(std::string_view args) {
  int frequency = 0, duration = 0;
  if (!ReadInRange(args, frequency) || !ReadInRange(args, duration)) return false;
  Transcript::Event("tone", std::to_string(frequency) + " " + std::to_string(duration));
  if (duration == 0) return true;
  const std::vector<uint8_t> samples = ToneSamples(frequency, duration);
  SoundQueue::Flags& flags = SoundQueue::WaveFlags();
  const SoundQueue::Flags saved = flags;
  flags = SoundQueue::Flags{};
  flags.interrupt = false;
  SoundQueue::PlaySamples(samples.data(), samples.size(), kRate, 1, 16);
  while (SoundQueue::WaveIsPlaying()) Messages::WaitMessage(20);
  flags = saved;
  return true;
}

}  // namespace Commands
