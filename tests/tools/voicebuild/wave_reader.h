// Reads a file of the letters folder as the canonical 8-bit mono WAVE it must be, and the
// figures the checks need (duration, level, runs of extreme samples, tone energy).
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

struct Wave8 {
  bool canonical = false;     // the 44-byte header of 11025 Hz, 8-bit, mono PCM
  bool sizesAgree = false;    // RIFF and data sizes match the file's length
  std::vector<uint8_t> data;  // the samples

  double Seconds() const { return data.size() / 11025.0; }

  // Root mean square around 128, in full-scale units.
  double Rms() const {
    double sum = 0;
    for (uint8_t s : data) sum += (s - 128.0) * (s - 128.0);
    return data.empty() ? 0 : std::sqrt(sum / data.size()) / 128.0;
  }

  // The longest run of samples at 0 or at 255 (clipping flattens the tops into such runs).
  std::size_t LongestExtremeRun() const {
    std::size_t longest = 0, run = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
      const bool extreme = data[i] == 0 || data[i] == 255;
      run = extreme && i > 0 && data[i] == data[i - 1] ? run + 1 : extreme ? 1 : 0;
      if (run > longest) longest = run;
    }
    return longest;
  }

  // Relative power at one frequency (Goertzel), normalised by the signal's own power.
  double PowerAt(double hz) const {
    const double k = 2 * std::cos(2 * std::numbers::pi * hz / 11025.0);
    double s1 = 0, s2 = 0, energy = 0;
    for (uint8_t b : data) {
      const double x = b - 128.0;
      const double s0 = x + k * s1 - s2;
      s2 = s1;
      s1 = s0;
      energy += x * x;
    }
    const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
    return energy > 0 ? power / (energy * data.size() / 2) : 0;
  }
};

inline uint32_t Le32(const std::vector<uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
inline uint16_t Le16(const std::vector<uint8_t>& b, std::size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

inline Wave8 ReadWave8(const std::string& path) {
  Wave8 w;
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (b.size() < 44) return w;
  const std::string tags(b.begin(), b.begin() + 16);
  w.canonical = tags.substr(0, 4) == "RIFF" && tags.substr(8, 8) == "WAVEfmt " && Le32(b, 16) == 16 &&
                Le16(b, 20) == 1 && Le16(b, 22) == 1 && Le32(b, 24) == 11025 && Le32(b, 28) == 11025 &&
                Le16(b, 32) == 1 && Le16(b, 34) == 8 && std::string(b.begin() + 36, b.begin() + 40) == "data";
  w.sizesAgree = Le32(b, 4) == b.size() - 8 && Le32(b, 40) == b.size() - 44;
  w.data.assign(b.begin() + 44, b.end());
  return w;
}
