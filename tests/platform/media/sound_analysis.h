// Test support: reading what a capture file holds as sound: the two channels, levels,
// the frequency of a tone, the power at a frequency, and the runs of sound between silences.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/audio/audio_fixture.h"

struct Sound {
  int rate = 0;
  std::vector<int16_t> left, right;
  double Seconds() const { return rate ? double(left.size()) / rate : 0; }
};

// A 16-bit stereo (or mono) capture as its channels.
inline Sound Channels(const Capture& c) {
  Sound s;
  s.rate = c.rate;
  if (c.bits != 16 || c.channels < 1) return s;
  const std::size_t frame = 2 * static_cast<std::size_t>(c.channels);
  for (std::size_t at = 0; at + frame <= c.data.size(); at += frame) {
    s.left.push_back(static_cast<int16_t>(c.data[at] | (c.data[at + 1] << 8)));
    const std::size_t r = c.channels > 1 ? at + 2 : at;
    s.right.push_back(static_cast<int16_t>(c.data[r] | (c.data[r + 1] << 8)));
  }
  return s;
}

// Root mean square of the samples [from, from + count) (seconds), 0 outside the sound.
inline double Rms(const Sound& s, const std::vector<int16_t>& ch, double from, double seconds) {
  const std::size_t a = static_cast<std::size_t>(std::max(0.0, from) * s.rate);
  const std::size_t b = std::min(ch.size(), static_cast<std::size_t>((from + seconds) * s.rate));
  if (b <= a) return 0;
  double sum = 0;
  for (std::size_t i = a; i < b; ++i) sum += double(ch[i]) * ch[i];
  return std::sqrt(sum / double(b - a));
}

// The frequency of a pure tone from its zero crossings over [from, from + seconds).
inline double ToneFrequency(const Sound& s, const std::vector<int16_t>& ch, double from, double seconds) {
  const std::size_t a = static_cast<std::size_t>(std::max(0.0, from) * s.rate);
  const std::size_t b = std::min(ch.size(), static_cast<std::size_t>((from + seconds) * s.rate));
  int crossings = 0;
  std::size_t first = 0, last = 0;
  for (std::size_t i = a + 1; i < b; ++i) {
    if ((ch[i - 1] < 0) != (ch[i] < 0)) {
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 3) return 0;
  return double(crossings - 1) / 2.0 / (double(last - first) / s.rate);
}

// Relative power of `hz` in [from, from + seconds) (Goertzel), as an RMS-like level.
inline double LevelAt(const Sound& s, const std::vector<int16_t>& ch, double hz, double from, double seconds) {
  const std::size_t a = static_cast<std::size_t>(std::max(0.0, from) * s.rate);
  const std::size_t b = std::min(ch.size(), static_cast<std::size_t>((from + seconds) * s.rate));
  if (b <= a) return 0;
  const double w = 2 * M_PI * hz / s.rate;
  const double k = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (std::size_t i = a; i < b; ++i) {
    const double s0 = ch[i] + k * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
  return std::sqrt(power) * std::sqrt(2.0) / double(b - a);
}

struct SoundRun {
  double start = 0, end = 0;  // seconds
  double Length() const { return end - start; }
};

// The runs of sound: 10 ms windows louder than `threshold` RMS, joined across gaps shorter
// than `gap` seconds.
inline std::vector<SoundRun> LoudRuns(const Sound& s, const std::vector<int16_t>& ch, double threshold = 300,
                                      double gap = 0.06) {
  std::vector<SoundRun> runs;
  const double window = 0.01;
  const double total = double(ch.size()) / s.rate;
  for (double t = 0; t + window <= total + 1e-9; t += window) {
    if (Rms(s, ch, t, window) < threshold) continue;
    if (!runs.empty() && t - runs.back().end <= gap) runs.back().end = t + window;
    else runs.push_back({t, t + window});
  }
  return runs;
}
