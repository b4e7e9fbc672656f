// Where the stress of a Portuguese word falls, from its spelling.
#pragma once

#include <cstddef>
#include <string_view>

namespace Sonora {

// 1-based position of the stressed letter, 0 when the word has no vowel to stress.
std::size_t FindStress(std::string_view word);

}  // namespace Sonora
