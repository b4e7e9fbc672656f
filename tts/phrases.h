// Phrase stage: the preprocessed text cut into classed tokens, each given a three-digit
// intonation pattern from its own class and its neighbours'.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Sonora {

// "[" + class + "]" + token per token; "[--]" opens the text and follows "!", "." and "?".
std::vector<std::string> Tokenize(std::string_view text);
// pattern + "|" + token per token line.
std::vector<std::string> ChoosePatterns(const std::vector<std::string>& tokenLines);

}  // namespace Sonora
