// The command dispatcher: the table of every FONIX keyword and its handler.
#pragma once

#include <string_view>

namespace Dispatcher {

// Traces the command when debugging, folds the word and calls its handler; an unknown
// word is reported with "Comando inválido: " and fails.
bool Dispatch(std::string_view word, std::string_view args);

}  // namespace Dispatcher
