// Numbers read out as Portuguese cardinal and ordinal words.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace Sonora {

// The words a cardinal is made of: units 0..9, 10..19, tens (0 and 1 unused), hundreds
// (0 unused), and the group names trillion, billion, million, thousand with their blank.
struct NumberTables {
  std::array<std::string_view, 10> units, teens, tens, hundreds;
  std::array<std::string_view, 4> groupSingular, groupPlural;
};
// The engine's own words ("três", "cinqüenta" ...).
const NumberTables& CardinalTables();

// "vinte e um", "mil " (group names keep their trailing blank), "dois milhões ".
std::string CardinalWords(uint64_t value, const NumberTables& tables = CardinalTables());
// gender 'm' or 'f': "primeiro", "vigésima primeira"; 2000 and above are read as cardinals.
std::string OrdinalWords(char gender, uint64_t value);
// "zero" .. "nove".
std::string_view DigitWord(int digit);

}  // namespace Sonora
