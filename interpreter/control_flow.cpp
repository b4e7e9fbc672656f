// Labels, jumps, calls, the end command, and the SE / ENQUANTO / REPETE blocks, all found
// by scanning the stored lines at the moment they are needed.
#include <string>

#include "interpreter/commands.h"
#include "interpreter/conditions.h"
#include "interpreter/run.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/cp1252.h"
#include "speech/speech.h"

namespace {

using Interp::St;

// The stored line trimmed, folded, with every run of spaces reduced to one.
std::string Normalised(std::string_view line) {
  line = Text::Trim(line);
  std::string out;
  out.reserve(line.size());
  for (char c : line) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out.push_back(Text::FoldChar(c));
  }
  return out;
}

// The trimmed, folded line up to its first space; empty when it has no space.
std::string FirstWord(std::string_view line) {
  line = Text::Trim(line);
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos) return {};
  return Text::Fold(line.substr(0, space));
}

bool FindLabel(std::string_view name) {
  const std::string folded = Text::Fold(name);
  Interp::State& s = St();
  for (int n = 1; n <= s.lineCount; ++n) {
    const std::string& line = s.lines[n];
    if (!line.empty() && line[0] == '@' && Text::EqualsFolded(std::string_view(line).substr(1), folded)) {
      s.currentLine = n;
      return true;
    }
  }
  return false;
}

// Moves to the next line that reads "FIM " + word; past the last line when there is none.
void SkipToEnd(std::string_view word) {
  Interp::State& s = St();
  const std::string target = "FIM " + std::string(word);
  for (int n = s.currentLine + 1; n <= s.lineCount; ++n) {
    if (Normalised(s.lines[n]) == target) {
      s.currentLine = n;
      return;
    }
  }
  s.currentLine = s.lineCount + 1;
}

// The label of DESVIA and CHAMA: "@name" without blanks, or a value holding the name.
bool ReadLabelName(std::string_view args, std::string& name) {
  if (!args.empty() && args[0] == '@') {
    name.assign(args.substr(1));
    return name.find(' ') == std::string::npos;
  }
  if (!Values::ReadValue(args, name)) return false;
  return args.empty();
}

// Skips a false block SE: to its SENAO (at the same depth) or past its FIM SE.
void SkipFalseBlock() {
  Interp::State& s = St();
  int depth = 1;
  for (int n = s.currentLine + 1; n <= s.lineCount; ++n) {
    const std::string line = Normalised(s.lines[n]);
    if (line.starts_with("SE ")) {
      std::string_view rest = std::string_view(line).substr(3);
      bool truth;
      if (Conditions::EvaluateCondition(rest, truth) && rest.empty()) ++depth;
    } else if (line == "FIM SE") {
      if (--depth == 0) {
        s.currentLine = n;
        return;
      }
    } else if ((line == "SENAO" || line == "SENÃO"_cp) && depth == 1) {
      s.currentLine = n;
      return;
    }
  }
  s.currentLine = s.lineCount + 1;
}

// The pass step of REPETE, from FIM REPETE, with the text of the REPETE line after its word.
bool RepeatStep(std::string_view args) {
  int code;
  if (!Values::ReadVariableRef(args, code) || args.empty()) return false;
  const auto old = Values::NumericValue(Variables::GetVariable(code));
  if (!old) return false;
  std::string limitText;
  if (!Values::ReadValue(args, limitText)) return false;
  const auto limit = Values::NumericValue(limitText);
  if (!limit) return false;
  const int64_t next = static_cast<int64_t>(*old) + 1;
  Variables::SetVariable(code, std::to_string(next));
  if (*limit < next) SkipToEnd("REPETE");
  return true;
}

}  // namespace

namespace Commands {

bool Desvia(std::string_view args) {
  std::string name;
  return ReadLabelName(args, name) && FindLabel(name);
}

bool Chama(std::string_view args) {
  std::string name;
  if (!ReadLabelName(args, name)) return false;
  Interp::State& s = St();
  if (s.callDepth >= Interp::kMaxCallDepth) {
    Speech::WriteLineAndSpeak("Muitas chamadas sem retorno");
    return false;
  }
  s.callStack[++s.callDepth] = s.currentLine;
  return FindLabel(name);
}

bool Retorna(std::string_view args) {
  if (!args.empty()) return false;
  Interp::State& s = St();
  if (s.callDepth == 0) {
    Speech::WriteLineAndSpeak("Retorno sem chamada");
    return false;
  }
  s.currentLine = s.callStack[s.callDepth--];
  return true;
}

bool Termina(std::string_view args) {
  Interp::State& s = St();
  s.stopFlag = true;
  s.quietEnd = Text::EqualsFolded(args, "MUDO");
  return true;
}

bool Se(std::string_view args) {
  bool truth;
  if (!Conditions::EvaluateCondition(args, truth)) return false;
  if (truth) return args.empty() || Interp::ExecuteLine(args, true);
  if (args.empty()) SkipFalseBlock();
  return true;
}

bool Senao(std::string_view args) {
  if (!args.empty()) return false;
  SkipToEnd("SE");
  return true;
}

bool Enquanto(std::string_view args) {
  bool truth;
  if (!Conditions::EvaluateCondition(args, truth)) return false;
  if (!truth) SkipToEnd("ENQUANTO");
  return true;
}

bool Repete(std::string_view args) {
  int code;
  if (!Values::ReadVariableRef(args, code) || args.empty()) return false;
  std::string limitText;
  if (!Values::ReadValue(args, limitText)) return false;
  const auto limit = Values::NumericValue(limitText);
  if (!limit) return false;
  Variables::SetVariable(code, "1");
  if (*limit < 1) SkipToEnd("REPETE");
  return true;
}

bool Fim(std::string_view args) {
  const std::string word = Text::Fold(args);
  if (word.empty()) return false;
  if (word != "ENQUANTO" && word != "REPETE") return true;
  Interp::State& s = St();
  for (int n = s.currentLine - 1; n >= 1; --n) {
    if (FirstWord(s.lines[n]) != word) continue;
    if (word == "ENQUANTO") {
      s.currentLine = n - 1;
      return true;
    }
    s.currentLine = n;
    std::string_view head = Text::Trim(s.lines[n]);
    head = Text::Trim(head.substr(head.find(' ') + 1));
    const std::string copy(head);  // the step may not keep a view into the store
    return RepeatStep(copy);
  }
  return false;
}

}  // namespace Commands
