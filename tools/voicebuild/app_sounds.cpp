// The application's sound table and the bell-like cue synthesis.
#include "tools/voicebuild/app_sounds.h"

#include <algorithm>
#include <cmath>

namespace AppSounds {

const std::vector<Sound>& Table() {
  // C5 523, E5 659, G5 784, A5 880, C6 1047, E6 1319 Hz.
  static const std::vector<Sound> table = {
      {"clinic.wav", {{523, 90}, {659, 90}, {784, 160}}, "Clipora-light, versão"},
      {"04.wav", {}, "Aguarde", 250},
      {"22.wav", {}, "Até logo."},
      {"clnumlid.wav", {}, "Registros lidos", 250},
      {"blimblimblom.wav", {{1319, 50}, {1319, 50}, {880, 100}}, ""},
      {"clpag.wav", {}, "Página", 250},
      {"CLQBUSCA.wav", {}, "Qual sua busca?"},
      {"cldigp.wav", {}, "Digite o que procura"},
      {"hotkey.wav", {{784, 60}, {1047, 90}}, ""},
      {"removeuser.wav", {{1047, 80}, {784, 80}, {523, 160}}, ""},
      {"DoDoop9.wav", {{523, 70}, {0, 30}, {784, 120}}, ""},
  };
  return table;
}

std::vector<float> Cue(const std::vector<Note>& notes, int rate) {
  constexpr double kPi = 3.14159265358979323846;
  std::vector<float> out;
  for (const Note& note : notes) {
    const std::size_t count = static_cast<std::size_t>(rate) * static_cast<std::size_t>(std::max(note.ms, 0)) / 1000;
    const std::size_t attack = std::max<std::size_t>(1, static_cast<std::size_t>(rate) / 500);  // 2 ms
    const std::size_t release = std::min(count, std::max<std::size_t>(1, static_cast<std::size_t>(rate) / 100));
    for (std::size_t i = 0; i < count; ++i) {
      double v = 0;
      if (note.hz > 0) {
        const double t = static_cast<double>(i) / rate;
        const double decay = std::exp(-t * 9.0);
        const double w = 2 * kPi * note.hz * t;
        v = (0.6 * std::sin(w) + 0.25 * std::sin(2 * w) + 0.1 * std::sin(3 * w)) * decay;
        if (i < attack) v *= static_cast<double>(i) / attack;
        if (i + release > count) v *= static_cast<double>(count - i) / release;
      }
      out.push_back(static_cast<float>(v));
    }
  }
  return out;
}

}  // namespace AppSounds
