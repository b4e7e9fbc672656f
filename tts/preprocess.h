// First stage of the engine: numbers, symbols and abbreviations become words, so that the
// later stages only see Portuguese words and a few punctuation marks.
#pragma once

#include <string>
#include <string_view>

namespace Sonora {

std::string PreprocessText(std::string_view text);

}  // namespace Sonora
