// The line executor, the run loop and the closing report.
#include "interpreter/run.h"

#include <new>
#include <optional>
#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/dispatcher.h"
#include "interpreter/line_scan.h"
#include "interpreter/startup.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "interpreter/variables.h"
#include "platform/cp1252.h"
#include "platform/termination.h"
#include "speech/speech.h"

namespace Interp {
namespace {

// Lines nested inside one line (each SE runs the rest of its line nested). Deeper nesting
// fails the line instead of exhausting the stack, as deep expressions do.
constexpr int kMaxNestedLines = 100;
int nestedLines = 0;

}  // namespace

bool ExecuteLine(std::string_view line, bool nested) {
  // A stored line (or the part of it after a condition) is read as it was read the first
  // time; any other text is scanned now, the same way.
  std::optional<LineScan::Scanned> scanned;
  const LineScan::Scanned* form = LineScan::Find(line);
  if (!form) {
    LineScan::Scan(line, scanned.emplace());
    form = &*scanned;
  }
  if (form->nothing) return true;
  if (nested && nestedLines >= kMaxNestedLines) {
    Speech::WriteLineAndSpeak("Comandos aninhados demais na linha (máximo 100)"_cp);
    return false;
  }
  struct Nesting {
    bool counted;
    explicit Nesting(bool n) : counted(n) { nestedLines += n; }
    ~Nesting() { nestedLines -= counted; }
  } nesting(nested);
  if (nested && form->loopWord) return false;
  Variables::TakeTextRefused();
  // A text that did not fit fails the command, whatever its handler made of it.
  bool ok = Dispatcher::Dispatch(*form, line.substr(form->argsStart, form->argsLength));
  if (Variables::TakeTextRefused()) ok = false;
  St().errorFlag = !ok;
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
      ExecuteLine(s.lines[s.currentLine], false);
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
