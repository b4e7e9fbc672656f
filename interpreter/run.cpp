// The line executor, the run loop and the closing report.
#include "interpreter/run.h"

#include <new>
#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/compiled_line.h"
#include "interpreter/dispatcher.h"
#include "interpreter/line_scan.h"
#include "interpreter/startup.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"
#include "platform/events/termination.h"
#include "speech/speech.h"

namespace Interp {
namespace {

// Lines nested inside one line (each SE runs the rest of its line nested). Deeper nesting
// fails the line instead of exhausting the stack, as deep expressions do.
constexpr int kMaxNestedLines = 100;

}  // namespace

bool ExecuteLine(std::string_view line, bool nested) {
  // A stored line (or the part of it after a condition) is read as it was read the first
  // time; any other text is scanned now, the same way.
  if (const LineScan::Scanned* form = LineScan::Find(line)) return ExecuteForm(*form, line, nested);
  LineScan::Scanned scanned;
  LineScan::Scan(line, scanned);
  return ExecuteForm(scanned, line, nested);
}

bool ExecuteForm(const LineScan::Scanned& form, std::string_view text, bool nested) {
  if (form.nothing) return true;
  if (nested && St().nestedLines >= kMaxNestedLines) {
    Speech::WriteLineAndSpeak("Comandos aninhados demais na linha (máximo 100)"_cp);
    return false;
  }
  struct Nesting {
    bool counted;
    explicit Nesting(bool n) : counted(n) { St().nestedLines += n; }
    ~Nesting() { St().nestedLines -= counted; }
  } nesting(nested);
  if (nested && form.loopWord) return false;
  Variables::TakeTextRefused();
  State& s = St();
  // A text that did not fit fails the command, whatever its handler made of it. A line read
  // once runs from its compiled arguments, unless the trace must show them.
  bool ok;
  if (form.compiled && !s.debug) {
    s.commandWord = form.folded;
    ok = CompiledLine::Run(*form.compiled, text);
  } else {
    ok = Dispatcher::Dispatch(form, text.substr(form.argsStart, form.argsLength));
  }
  if (Variables::TakeTextRefused()) ok = false;
  s.errorFlag = !ok;
  return ok;
}

RunResult RunProgram() {
  State& s = St();
  s.currentLine = 1;
  s.errorFlag = false;
  s.stopFlag = false;
  s.commandWord = {};
  s.callDepth = 0;
  s.statusCode = 0;
  while (s.currentLine <= s.lineCount && !s.stopFlag && !s.errorFlag) {
    // A stop signal ends even a program that never waits, as closing its window would.
    if (Termination::Requested()) Console::ConsoleDone(kExitClosed);
    try {
      const std::string& line = s.lines[static_cast<std::size_t>(s.currentLine)];
      if (const LineScan::Scanned* form = LineScan::StoredForm(s.currentLine)) ExecuteForm(*form, line, false);
      else ExecuteLine(line, false);
    } catch (const std::bad_alloc&) {
      // Out of memory in any command: what it built is gone with the unwinding, and the
      // run ends at its line with the error report.
      Speech::WriteLineAndSpeak("Memória insuficiente"_cp);
      s.errorFlag = true;
    }
    if (!s.stopFlag && !s.errorFlag) ++s.currentLine;
  }
  const RunResult result{s.errorFlag ? Outcome::Error : Outcome::Normal, s.currentLine};
  s.lineCount = 0;
  return result;
}

void ReportEnd(const RunResult& result) {
  if (result.outcome == Outcome::Normal) {
    if (!St().quietEnd) Speech::Speak("Fim do script");
    return;
  }
  Console::ConsoleShow(ConsoleDevice::Visibility::Restored);
  Speech::Speak("Erro de execução na linha "_cp);
  Speech::WriteNumberAndSpeak(result.line);
  Console::StdoutWrite("\r\n");
  Keyboard::ConsoleReadLine(256);
}

}  // namespace Interp

namespace Commands {

bool Debug(std::string_view args) {
  Interp::State& s = Interp::St();
  // The test is on the capital N only: "n" switches the trace on.
  if (args == "-" || (!args.empty() && args[0] == 'N')) {
    s.debug = false;
    Speech::WriteLineAndSpeak("Debug desligado");
  } else {
    s.debug = true;
    Speech::WriteLineAndSpeak("Debug ligado");
  }
  return true;
}

}  // namespace Commands
