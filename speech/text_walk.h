// The built-in path's walk through a text: numbers, words, punctuation and characters,
// each said with the recorded sounds and the diphone voice.
#pragma once

#include <string_view>

namespace Speech {

void WalkText(std::string_view text);

}  // namespace Speech
