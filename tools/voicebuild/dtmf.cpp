// The standard keypad grid: rows 697/770/852/941 Hz, columns 1209/1336/1477/1633 Hz.
#include "tools/voicebuild/dtmf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

namespace Dtmf {
namespace {

constexpr std::array<int, 4> kRows = {697, 770, 852, 941};
constexpr std::array<int, 4> kColumns = {1209, 1336, 1477, 1633};
constexpr std::string_view kKeypad = "123A456B789C*0#D";  // row by row
constexpr double kFadeMs = 5.0;

}  // namespace

std::pair<int, int> Frequencies(char key) {
  const std::size_t at = kKeypad.find(key);
  if (key == '\0' || at == std::string_view::npos) return {0, 0};
  return {kRows[at / 4], kColumns[at % 4]};
}

std::vector<float> Tone(char key, int ms, int rate) {
  const auto [row, column] = Frequencies(key);
  if (row == 0 || ms <= 0 || rate <= 0) return {};
  const auto count = static_cast<std::size_t>(static_cast<long>(ms) * rate / 1000);
  const double fade = kFadeMs * rate / 1000.0;
  std::vector<float> out(count);
  for (std::size_t n = 0; n < count; ++n) {
    const double t = static_cast<double>(n) / rate;
    const double edge = std::min({1.0, n / fade, (count - 1 - n) / fade});
    // Two equal halves: the sum stays below full scale.
    const double v = 0.45 * std::sin(2 * std::numbers::pi * row * t) + 0.45 * std::sin(2 * std::numbers::pi * column * t);
    out[n] = static_cast<float>(v * edge);
  }
  return out;
}

}  // namespace Dtmf
