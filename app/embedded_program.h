// The text of the embedded Clipora-light program, compiled into the executable.
#pragma once

#include <string_view>

namespace EmbeddedProgram {

std::string_view Text();

}  // namespace EmbeddedProgram
