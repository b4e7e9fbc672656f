// Sounds of a word that depend on where its stress fell: the rules see letters only, so
// this pass over a word's phoneme lines nasalises, reduces and glides vowels afterwards.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Sonora {

// Adjusts the phoneme lines lines[first, end) of one word (">" marks its stress):
// - the stress never sits on a glide: before a glide it is the vowel i (caiu), after a
//   vowel it moves to that vowel (maio, praia);
// - a stressed "a" before m, n or nh and a vowel is nasal (ano, semana); an unstressed one
//   before the stress is reduced before m and n (janela) and nasal before nh (ganhar);
// - after the stress, "i" before a vowel is the glide "y" (vários, férias), and so is an
//   "e" before a final reduced vowel (vídeo, área).
void AdjustWordSounds(std::vector<std::string>& lines, std::size_t first, std::size_t end);

}  // namespace Sonora
