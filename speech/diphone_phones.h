// The phones of the diphone voice's notation: how the rules write them, the code each has
// in diphone names, and the eSpeak NG phoneme the database builder records it from.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace DiphonePhones {

enum class Kind { Silence, Vowel, Nasal, Glide, NasalGlide, Consonant };

struct Phone {
  std::string_view notation;  // as the rules write it, lower case ("" for silence and nasal glides)
  std::string_view code;      // its part of a diphone name, lower case
  Kind kind;
  std::string_view espeak;    // eSpeak NG phoneme mnemonic the builder records
  std::string_view meaning;   // for people: an example word
};

// Every phone, silence ("$") first.
std::span<const Phone> Table();
inline constexpr int kSilence = 0;
// The reduced vowel of a, i or u (-1 for the other phones): the vowel of an unstressed last
// syllable ("casa", "pode", "gato"), recorded as eSpeak NG's reduced vowels.
int ReducedOf(int phone);
bool IsReduced(int phone);

struct Token {
  int phone = kSilence;
  bool stressed = false;  // written with an upper-case vowel
};

// The phones of a piece of notation, read longest first ("tch" before "t"). A vowel
// followed by "~" is nasal and makes the glide after it nasal; characters that belong to
// no phone are passed over.
std::vector<Token> Read(std::string_view notation);

// The unit that the unit player turns into the diphone name of the pair a → b (silence
// is "$"): the two codes, the vowel upper-cased when stressed; a nasal vowel before its
// nasal glide is written vowel, glide, "~", as the player's "TIL" names want.
std::string PairUnit(Token a, Token b);
// The diphone names the unit player gathers from a unit, in order, upper-cased, and
// whether an upper-case vowel in it turned the stress on.
struct Gathered {
  std::vector<std::string> names;
  bool stress = false;
};
Gathered GatherNames(std::string_view unit);
// Name of the pair's diphone in the database; of a phone alone ("$" + code) when b is
// silence and a is alone in its word, see SoloName.
std::string PairName(int a, int b);
std::string SoloName(int a);

bool IsVowelLike(Kind k);  // vowels, nasal vowels and glides (the syllable's voiced core)

}  // namespace DiphonePhones
