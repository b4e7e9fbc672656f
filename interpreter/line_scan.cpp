// The scanned forms of the stored lines.
#include "interpreter/line_scan.h"

#include <cstdint>
#include <vector>

#include "interpreter/compiled_line.h"
#include "interpreter/dispatcher.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"

namespace LineScan {
namespace {

// A part of a line that a condition ran, by its place in the line.
struct Part {
  std::size_t offset;
  std::size_t length;
  Scanned form;
};

// Parts kept per line: one for each condition of a line of nested SE commands. The room is
// taken at once, so that a part never moves while it runs (a nested part is added then).
constexpr std::size_t kMaxParts = 4;

struct LineForms {
  // The stored text the forms were made of: a line changed by other means is scanned again.
  const char* data = nullptr;
  std::size_t size = 0;
  Scanned whole;
  std::vector<Part> parts;
};

struct State {
  std::vector<LineForms> forms;  // by line number
};

State& S() {
  static State state;
  return state;
}

std::vector<LineForms>& Forms() { return S().forms; }

bool IsLoopWord(std::string_view word) {
  return word == "REPETE" || word == "ENQUANTO" || word == "SENAO" || word == "SENÃO"_cp || word == "FIM";
}

}  // namespace

void Scan(std::string_view text, Scanned& out) {
  const std::string_view line = Text::Trim(text);
  out = Scanned{};
  if (line.empty() || line[0] == '*' || line[0] == '@') return;
  out.nothing = false;
  // The word ends at the first space (a tab does not end it).
  const std::size_t space = line.find(' ');
  const std::string_view written = line.substr(0, space);
  out.word.resize(written.size());
  out.folded.resize(written.size());
  for (std::size_t i = 0; i < written.size(); ++i) {
    const char c = written[i];
    out.word[i] = TextKit::AsciiUpper(c);
    out.folded[i] = Text::FoldChar(c);
  }
  out.loopWord = IsLoopWord(out.word);
  out.handler = Dispatcher::FindHandler(out.folded);
  if (space != std::string_view::npos) {
    const std::string_view args = Text::Trim(line.substr(space + 1));
    out.argsStart = static_cast<std::size_t>(args.data() - text.data());
    out.argsLength = args.size();
  } else {
    out.argsStart = text.size();
  }
}

const Scanned* Find(std::string_view text) {
  const Interp::State& s = Interp::St();
  const int n = s.currentLine;
  std::vector<LineForms>& forms = Forms();
  if (n < 1 || static_cast<std::size_t>(n) >= forms.size()) return nullptr;
  LineForms& f = forms[static_cast<std::size_t>(n)];
  const std::string& line = s.lines[static_cast<std::size_t>(n)];
  if (f.data != line.data() || f.size != line.size()) return nullptr;
  const auto base = reinterpret_cast<uintptr_t>(line.data()), at = reinterpret_cast<uintptr_t>(text.data());
  if (at < base || at - base > line.size() || text.size() > line.size() - (at - base)) return nullptr;
  const std::size_t offset = at - base;
  if (offset == 0 && text.size() == line.size()) return &f.whole;
  for (Part& p : f.parts)
    if (p.offset == offset && p.length == text.size()) return &p.form;
  if (f.parts.size() == kMaxParts) return nullptr;
  if (f.parts.capacity() < kMaxParts) f.parts.reserve(kMaxParts);
  f.parts.push_back({offset, text.size(), {}});
  Scan(text, f.parts.back().form);
  return &f.parts.back().form;
}

void Stored(int n) {
  std::vector<LineForms>& forms = Forms();
  // Room for every line at once: a form never moves once it is made.
  if (forms.capacity() < static_cast<std::size_t>(Interp::kMaxLines) + 1)
    forms.reserve(static_cast<std::size_t>(Interp::kMaxLines) + 1);
  if (static_cast<std::size_t>(n) >= forms.size()) forms.resize(static_cast<std::size_t>(n) + 1);
  LineForms& f = forms[static_cast<std::size_t>(n)];
  const std::string& line = Interp::St().lines[static_cast<std::size_t>(n)];
  f.data = line.data();
  f.size = line.size();
  f.parts.clear();
  Scan(line, f.whole);
  f.whole.compiled = CompiledLine::Compile(f.whole, line);
}

const Scanned* StoredForm(int n) {
  const std::vector<LineForms>& forms = Forms();
  if (n < 1 || static_cast<std::size_t>(n) >= forms.size()) return nullptr;
  const LineForms& f = forms[static_cast<std::size_t>(n)];
  const std::string& line = Interp::St().lines[static_cast<std::size_t>(n)];
  return f.data == line.data() && f.size == line.size() ? &f.whole : nullptr;
}

void ForgetAll() { S() = State{}; }

}  // namespace LineScan
