// Compiled argument forms of the commands loops run most (SOMA, SE, ENQUANTO, DESVIA, CHAMA,
// SEJA, CONCATENA, COPIA): a stored line's arguments read once, when it is stored, into resolved
// pieces (literal texts with their numbers, variable slots, label caches), so that running
// the line again does what its handler does on the text without reading the text again.
#pragma once

#include <memory>
#include <string_view>

#include "interpreter/line_scan.h"

namespace CompiledLine {

struct Form;

// The compiled form of a scanned line (`text` the text it was scanned from), or null when
// its command is not one of these or its arguments are read differently on each run (an
// expression, a label held in a variable) or are malformed: the handler reads those.
// Compiling has no effect on the program (no name is entered in the name list).
std::shared_ptr<const Form> Compile(const LineScan::Scanned& scanned, std::string_view text);

// Runs the command as its handler would run it on the line; `text` is the text compiled.
bool Run(const Form& form, std::string_view text);

}  // namespace CompiledLine
