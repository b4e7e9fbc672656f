// Labels, jumps, calls, the end command, and the SE / ENQUANTO / REPETE blocks, found
// through the index of the stored lines where a scan of them would find them.
#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include "interpreter/command_steps.h"
#include "interpreter/commands.h"
#include "interpreter/conditions.h"
#include "interpreter/line_index.h"
#include "interpreter/run.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"
#include "speech/speech.h"

namespace {

using Interp::St;

// A loop jumps to the same few labels again and again: the answers stand while the index
// they came from does.
bool FindLabel(std::string_view name) {
  std::array<Interp::KnownLabel, 16>& known = St().knownLabels;
  std::size_t h = name.size();
  for (char c : name) h = h * 31 + static_cast<uint8_t>(c);
  Interp::KnownLabel& k = known[h & 15u];
  const unsigned generation = LineIndex::Generation();
  if (k.line == 0 || k.generation != generation || k.name != name) {
    k.line = LineIndex::FindLabel(Text::Fold(name));
    k.name.assign(name);
    k.generation = generation;
  }
  if (k.line == 0) return false;
  St().currentLine = k.line;
  return true;
}

using Steps::SkipToEnd;

// The label of DESVIA and CHAMA: "@name" without blanks, or a value holding the name. The
// name views the line or a variable, or else `scratch`.
bool ReadLabelName(std::string_view args, std::string_view& name, std::string& scratch) {
  if (!args.empty() && args[0] == '@') {
    name = args.substr(1);
    return name.find(' ') == std::string_view::npos;
  }
  if (!Values::ReadValueView(args, name, scratch)) return false;
  return args.empty();
}

// CHAMA: the call is counted and its line kept before the label is looked for.
template <typename Find>
bool Call(Find find) {
  Interp::State& s = St();
  if (s.callDepth >= Interp::kMaxCallDepth) {
    Speech::WriteLineAndSpeak("Muitas chamadas sem retorno");
    return false;
  }
  s.callStack[++s.callDepth] = s.currentLine;
  return find();
}

// A label's line through a cache of the caller's, looked up again when the index changed.
bool FindCachedLabel(std::string_view name, Steps::LabelCache& cache) {
  const unsigned generation = LineIndex::Generation();
  if (cache.generation != generation) {
    cache.line = LineIndex::FindLabel(Text::Fold(name));
    cache.generation = generation;
  }
  if (cache.line == 0) return false;
  St().currentLine = cache.line;
  return true;
}

// The pass step of REPETE, from FIM REPETE, with the text of the REPETE line after its word.
bool RepeatStep(std::string_view args) {
  int code;
  if (!Values::ReadVariableRef(args, code) || args.empty()) return false;
  const auto old = Values::NumericValue(Variables::GetVariable(code));
  if (!old) return false;
  std::string_view limitText;
  std::string scratch;
  if (!Values::ReadValueView(args, limitText, scratch)) return false;
  const auto limit = Values::NumericValue(limitText);
  if (!limit) return false;
  const int64_t next = static_cast<int64_t>(*old) + 1;
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, next).ptr;
  Variables::AssignVariable(code, std::string_view(digits, static_cast<std::size_t>(end - digits)));
  if (*limit < next) SkipToEnd(LineIndex::EndWord::Repete);
  return true;
}

}  // namespace

namespace Commands {

bool Desvia(std::string_view args) {
  std::string_view name;
  std::string scratch;
  return ReadLabelName(args, name, scratch) && FindLabel(name);
}

bool Chama(std::string_view args) {
  std::string_view name;
  std::string scratch;
  if (!ReadLabelName(args, name, scratch)) return false;
  return Call([&] { return FindLabel(name); });
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
  if (args.empty()) Steps::SkipFalseBlock();
  return true;
}

bool Senao(std::string_view args) {
  if (!args.empty()) return false;
  SkipToEnd(LineIndex::EndWord::Se);
  return true;
}

bool Enquanto(std::string_view args) {
  bool truth;
  if (!Conditions::EvaluateCondition(args, truth)) return false;
  if (!truth) SkipToEnd(LineIndex::EndWord::Enquanto);
  return true;
}

bool Repete(std::string_view args) {
  int code;
  if (!Values::ReadVariableRef(args, code) || args.empty()) return false;
  std::string_view limitText;
  std::string scratch;
  if (!Values::ReadValueView(args, limitText, scratch)) return false;
  const auto limit = Values::NumericValue(limitText);
  if (!limit) return false;
  Variables::AssignVariable(code, "1");
  if (*limit < 1) SkipToEnd(LineIndex::EndWord::Repete);
  return true;
}

bool Fim(std::string_view args) {
  const std::string word = Text::Fold(args);
  if (word.empty()) return false;
  if (word != "ENQUANTO" && word != "REPETE") return true;
  Interp::State& s = St();
  const int n = LineIndex::PreviousHead(word == "ENQUANTO" ? LineIndex::EndWord::Enquanto : LineIndex::EndWord::Repete,
                                        s.currentLine);
  if (n != 0) {
    if (word == "ENQUANTO") {
      s.currentLine = n - 1;
      return true;
    }
    s.currentLine = n;
    std::string_view head = Text::Trim(s.lines[static_cast<std::size_t>(n)]);
    return RepeatStep(Text::Trim(head.substr(head.find(' ') + 1)));
  }
  return false;
}

}  // namespace Commands

namespace Steps {

void SkipToEnd(LineIndex::EndWord word) {
  Interp::State& s = St();
  const int line = LineIndex::NextEnd(word, s.currentLine);
  s.currentLine = line != 0 ? line : s.lineCount + 1;
}

// Skips a false block SE: to its SENAO (at the same depth) or past its FIM SE. Only the
// lines that can stop or deepen the skip are visited, in order, as a scan would meet them.
void SkipFalseBlock() {
  Interp::State& s = St();
  int depth = 1;
  const std::vector<LineIndex::BlockLine>& lines = LineIndex::BlockLines();
  for (std::size_t i = LineIndex::FirstBlockLineAfter(s.currentLine); i < lines.size(); ++i) {
    const LineIndex::BlockLine& b = lines[i];
    if (b.kind == LineIndex::BlockLine::Kind::If) {
      std::string_view rest = b.condition;
      bool truth;
      if (Conditions::EvaluateCondition(rest, truth) && rest.empty()) ++depth;
    } else if (b.kind == LineIndex::BlockLine::Kind::EndIf) {
      if (--depth == 0) {
        s.currentLine = b.line;
        return;
      }
    } else if (depth == 1) {
      s.currentLine = b.line;
      return;
    }
  }
  s.currentLine = s.lineCount + 1;
}

bool JumpToLabel(std::string_view name, LabelCache& cache) { return FindCachedLabel(name, cache); }

bool CallLabel(std::string_view name, LabelCache& cache) {
  return Call([&] { return FindCachedLabel(name, cache); });
}

}  // namespace Steps
