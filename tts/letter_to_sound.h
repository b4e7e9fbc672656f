// Letter-to-sound stage: pattern lines (pattern "|" token) become phoneme lines.
#pragma once

#include <string>
#include <vector>

namespace Sonora {

// For each token: a comment line ";" + pattern line, then its pause or its phoneme lines
// (stressed phoneme marked ">") and an empty line; "__" closes the text. Word-final
// "r2" and "s2" before a vowel-initial word become "r" and "z".
std::vector<std::string> TokensToPhonemes(const std::vector<std::string>& patternLines);

// The liaison pass alone, over a whole phoneme list.
void ApplyLiaison(std::vector<std::string>& lines);

}  // namespace Sonora
