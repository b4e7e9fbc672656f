// The command dispatcher: the table of every FONIX keyword and its handler.
#pragma once

#include <string_view>

#include "interpreter/commands.h"
#include "interpreter/line_scan.h"

namespace Dispatcher {

// Traces the command when debugging, folds the word and calls its handler; an unknown
// word is reported with "Comando inválido: " and fails.
bool Dispatch(std::string_view word, std::string_view args);
// The same for a line already scanned; `args` is its trimmed argument text.
bool Dispatch(const LineScan::Scanned& line, std::string_view args);

// The handler of a folded command word; null when it is no command.
Commands::Handler FindHandler(std::string_view folded);

}  // namespace Dispatcher
