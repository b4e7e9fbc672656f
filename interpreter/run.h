// Running a stored program: the line executor, the run loop, the closing report and the
// DEBUG command with its trace.
#pragma once

#include <string_view>

#include "interpreter/line_scan.h"

namespace Interp {

enum class Outcome { Normal, Error };

struct RunResult {
  Outcome outcome;
  int line;
};

// Executes one line. Top-level lines come from the run loop; nested lines follow an SE
// condition and may not be loop heads, SENAO or FIM.
bool ExecuteLine(std::string_view line, bool nested);
// The same for a text whose scanned form is at hand (`text` the text it was scanned from).
bool ExecuteForm(const LineScan::Scanned& form, std::string_view text, bool nested);
RunResult RunProgram();
// "Fim do script", or the error report followed by a wait for Enter.
void ReportEnd(const RunResult& result);

}  // namespace Interp
