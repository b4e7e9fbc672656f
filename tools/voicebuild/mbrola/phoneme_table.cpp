// One row per phoneme of data/sonora-phonemes.md; r2 and s2 (ends of syllables) take the
// eSpeak NG sounds of a final r and s.
#include "tools/voicebuild/mbrola/phoneme_table.h"

#include <array>

namespace MbrolaVoice {
namespace {

using K = Kind;
constexpr std::array<Phoneme, 41> kTable{{
    {"_", "_", K::Silence},  {"a", "a", K::Vowel},     {"@", "&", K::Vowel},      {"e", "e", K::Vowel},
    {"E", "E", K::Vowel},    {"i", "i", K::Vowel},     {"I", "I", K::Vowel},      {"o", "o", K::Vowel},
    {"O", "O", K::Vowel},    {"u", "u", K::Vowel},     {"U", "U", K::Vowel},      {"an", "&~", K::Vowel},
    {"en", "e~", K::Vowel},  {"in", "i~", K::Vowel},   {"on", "o~", K::Vowel},    {"un", "u~", K::Vowel},
    {"y", "j", K::Glide},    {"w", "w", K::Glide},     {"p", "p", K::Consonant},  {"b", "b", K::Consonant},
    {"t", "t", K::Consonant}, {"d", "d", K::Consonant}, {"k", "k", K::Consonant}, {"g", "g", K::Consonant},
    {"f", "f", K::Consonant}, {"v", "v", K::Consonant}, {"s", "s", K::Consonant}, {"z", "z", K::Consonant},
    {"S", "S", K::Consonant}, {"Z", "Z", K::Consonant}, {"tS", "tS", K::Consonant}, {"dZ", "dZ", K::Consonant},
    {"m", "m", K::Consonant}, {"n", "n", K::Consonant}, {"J", "n^", K::Consonant}, {"l", "l", K::Consonant},
    {"L", "l^", K::Consonant}, {"r", "*", K::Consonant}, {"R", "x", K::Consonant}, {"r2", "r", K::Consonant},
    {"s2", "s", K::Consonant},
}};

}  // namespace

const Phoneme* Find(std::string_view name) {
  for (const Phoneme& p : kTable)
    if (p.name == name) return &p;
  return nullptr;
}

}  // namespace MbrolaVoice
