// The Sonora phonemes the voice is recorded for, each with the eSpeak NG phoneme it is
// recorded from.
#pragma once

#include <string_view>

namespace MbrolaVoice {

enum class Kind { Silence, Vowel, Glide, Consonant };

struct Phoneme {
  std::string_view name;    // as the rules and portug.dfn write it
  std::string_view espeak;  // eSpeak NG mnemonic, as its phoneme events name it
  Kind kind;
};

// nullptr when the name is not a Sonora phoneme.
const Phoneme* Find(std::string_view name);

}  // namespace MbrolaVoice
