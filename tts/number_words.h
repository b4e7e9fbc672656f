// Numbers read out as Portuguese cardinal and ordinal words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Sonora {

// "vinte e um", "mil " (group names keep their trailing blank), "dois milhões ".
std::string CardinalWords(uint64_t value);
// gender 'm' or 'f': "primeiro", "vigésima primeira"; 2000 and above are read as cardinals.
std::string OrdinalWords(char gender, uint64_t value);
// "zero" .. "nove".
std::string_view DigitWord(int digit);

}  // namespace Sonora
