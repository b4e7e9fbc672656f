// Text to the notation of the diphone voice: the accented letters normalised, each word
// through the exceptions, this voice's stress finder and the rules of regras.rgr.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tts/exceptions.h"
#include "tts/rules.h"

namespace DiphoneNotation {

struct State {
  Sonora::RuleState rules;            // regras.rgr: outputs of 11 characters, lists for codes 32..95
  Sonora::ExceptionState exceptions;  // portug.exc, words kept lower-case
};
State& Files();
void ResetFiles();

// Loads both files (Linux paths): 0, or 2 when one cannot be read (the start-up's code).
int LoadFiles(const std::string& rulesPath, const std::string& exceptionsPath);

// Character by character: w and y beside a letter become u and i, an apostrophe after d
// goes, codes 128..255 become a base letter and an accent mark ("e'" for é, "ss" for ç),
// control characters and codes with nothing to say become blank, NUL, blank.
std::string Normalise(std::string_view text);

// Position (1-based) of the stressed vowel of a lower-cased, normalised word; 0 for none:
// a word with an accent mark carries its own stress, and a word of at most one vowel has
// none unless it ends in l.
std::size_t FindStress(std::string_view word);

// One word (no blanks) as "[" rule outputs separated by "/" "]"; a letter no rule takes
// gives " /_" + the letter; a word of consonants only is spelled "[ /_c]" per letter.
// Empty for a word of nothing but NUL characters.
std::string WordNotation(std::string_view word);

// A whole text: normalised, then its words' notations separated by blanks.
std::string TextNotation(std::string_view text);

}  // namespace DiphoneNotation
