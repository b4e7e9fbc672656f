// Numbers turned into the Portuguese words the recorded number files say.
#pragma once

#include <cstdint>
#include <string>

namespace Speech {

// Blank-separated words without accents: 1234 gives "mil duzentos e trinta e quatro",
// 1200 "mil e duzentos", 2000100 "dois milhoes e cem"; numbers of 16 digits or more are
// read digit by digit.
std::string CardinalNumberWords(uint64_t value);

}  // namespace Speech
