// The spoken name of each Windows-1252 character, used to read out symbols and spell words.
#pragma once

#include <string_view>

namespace Sonora {

// Name of the character with this code; empty for codes that have none.
std::string_view CharacterName(unsigned char code);

}  // namespace Sonora
