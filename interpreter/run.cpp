// The line executor, the run loop and the closing report.
#include "interpreter/run.h"

#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/dispatcher.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "platform/cp1252.h"
#include "speech/speech.h"

namespace Interp {

bool ExecuteLine(std::string_view line, bool nested) {
  line = Text::Trim(line);
  if (line.empty() || line[0] == '*' || line[0] == '@') return true;
  const std::size_t space = line.find(' ');
  const std::string_view written = line.substr(0, space);
  // Command words are short: upper-cased in place, without building a text.
  char buffer[32];
  std::string longWord;
  char* out = buffer;
  if (written.size() > sizeof buffer) {
    longWord.assign(written);
    out = longWord.data();
  }
  for (std::size_t i = 0; i < written.size(); ++i) {
    const char c = written[i];
    out[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  }
  const std::string_view word(out, written.size());
  const std::string_view args = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  if (nested && (word == "REPETE" || word == "ENQUANTO" || word == "SENAO" || word == "SENÃO"_cp || word == "FIM"))
    return false;
  const bool ok = Dispatcher::Dispatch(word, args);
  St().errorFlag = !ok;
  return ok;
}

RunResult RunProgram() {
  State& s = St();
  s.currentLine = 1;
  s.errorFlag = false;
  s.stopFlag = false;
  s.commandWord.clear();
  s.callDepth = 0;
  s.statusCode = 0;
  while (s.currentLine <= s.lineCount && !s.stopFlag && !s.errorFlag) {
    ExecuteLine(s.lines[s.currentLine], false);
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
