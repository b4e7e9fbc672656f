// The compiled argument forms: built from a stored line's text, run against the variables.
#include "interpreter/compiled_line.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "interpreter/command_steps.h"
#include "interpreter/commands.h"
#include "interpreter/conditions.h"
#include "interpreter/lists.h"
#include "interpreter/run.h"
#include "interpreter/text.h"
#include "interpreter/text_search.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"

namespace CompiledLine {
namespace {

// A value as the value reader reads it, or a variable to be set as the variable reader
// names it, with what can be known of it before the line runs.
struct Operand {
  enum class Kind : uint8_t { Literal, Letter, Name } kind = Kind::Literal;
  std::string text;  // Literal: the value; Name: the name folded
  std::optional<int32_t> number, trimmedNumber;  // Literal: the value as a number, untrimmed and trimmed
  // Letter: its code. Name: its code once the name has one, for the name list it came from
  // (a name gets its code when a line first mentions it, as the readers give it).
  mutable int code = 0;
  mutable unsigned names = 0;
};

enum class Kind : uint8_t { Soma, Se, Enquanto, Desvia, Chama, SejaValue, SejaPos, SejaTamanho, Concatena, Copia };

}  // namespace

struct Form {
  Kind kind;
  Operand a, b, c, d;  // in the order the handler reads them
  bool leftover = false;  // SEJA: text after the value (the command fails after assigning)
  // SE: the condition, and the command after it (its place in the text; null form when the
  // line nests too deep to keep one: it is then found as any part of a line is).
  bool negate = false;
  Conditions::Op op = Conditions::Op::Eq;
  std::string list;  // EM: the list's name
  std::size_t restOffset = 0, restLength = 0;
  std::shared_ptr<LineScan::Scanned> rest;
  // DESVIA, CHAMA: the label as written after "@".
  std::string label;
  mutable Steps::LabelCache labelCache;
};

namespace {

// SE commands nested in one line that are compiled with it; deeper ones run as read.
constexpr int kMaxDepth = 8;

bool IsNameChar(char c) { return Text::IsAsciiLetter(c) || Text::IsDigit(c) || c == '_'; }

// The folded name after "$" (args at the "$"); false when there is none.
bool TakeName(std::string_view& args, Operand& o) {
  std::size_t n = 1;
  while (n < args.size() && IsNameChar(args[n])) ++n;
  if (n == 1) return false;
  o.kind = Operand::Kind::Name;
  o.text = Text::Fold(args.substr(1, n - 1));
  args.remove_prefix(n);
  return true;
}

// A value from the front of the text, as the value reader takes it, when its reading does
// not depend on what variables hold; false for an expression or a text no value begins.
bool TakeValue(std::string_view& args, Operand& o) {
  args = Text::Trim(args);
  if (args.empty()) return false;
  const char c = args[0];
  if (c == '-' || c == '"' || Text::IsDigit(c)) {
    // Literals: the reader itself reads them, touching no variable.
    std::string_view view;
    std::string scratch;
    if (!Values::ReadValueView(args, view, scratch)) return false;
    o.kind = Operand::Kind::Literal;
    o.text.assign(view);
    o.number = Values::NumericValue(o.text);
    o.trimmedNumber = Values::NumericValue(Text::Trim(o.text));
    return true;
  }
  if (c == '$') {
    if (!TakeName(args, o)) return false;
  } else if (Text::IsAsciiLetter(c)) {
    o.kind = Operand::Kind::Letter;
    o.code = Variables::LetterCode(c);
    args.remove_prefix(1);
  } else {
    return false;
  }
  args = Text::Trim(args);
  return true;
}

// A variable to be set, as the variable reader names it.
bool TakeRef(std::string_view& args, Operand& o) {
  args = Text::Trim(args);
  if (args.empty()) return false;
  if (args[0] == '$') {
    if (!TakeName(args, o)) return false;
  } else {
    if (!Text::IsAsciiLetter(args[0])) return false;
    if (args.size() > 1 && (Text::IsAsciiLetter(args[1]) || Text::IsDigit(args[1]))) return false;
    o.kind = Operand::Kind::Letter;
    o.code = Variables::LetterCode(args[0]);
    args.remove_prefix(1);
  }
  args = Text::Trim(args);
  return true;
}

// The variable's code; false when the name list is full (the user has been told).
bool Code(const Operand& o, int& code) {
  if (o.kind == Operand::Kind::Name && o.names != Variables::NamesGeneration()) {
    const int c = Variables::VariableCodeForName(o.text);
    if (c < 0) return false;
    o.code = c;
    o.names = Variables::NamesGeneration();
  }
  code = o.code;
  return true;
}

// The value: the literal, or the variable's text (valid until a variable is set).
bool View(const Operand& o, std::string_view& value) {
  if (o.kind == Operand::Kind::Literal) {
    value = o.text;
    return true;
  }
  int code;
  if (!Code(o, code)) return false;
  value = Variables::GetVariable(code);
  return true;
}

// The value as a number, of the value itself or of its trimmed text.
bool Number(const Operand& o, bool trimmed, std::optional<int32_t>& number) {
  if (o.kind == Operand::Kind::Literal) {
    number = trimmed ? o.trimmedNumber : o.number;
    return true;
  }
  std::string_view value;
  if (!View(o, value)) return false;
  number = Values::NumericValue(trimmed ? Text::Trim(value) : value);
  return true;
}

bool IsWholeTextWord(std::string_view args) {
  if (args.size() > 6) return false;
  const std::string word = Text::Fold(args);
  return word == "PARAMS" || word == "CRLF" || word == "DATA" || word == "HORA" || word == "DIA" || word == "TEMPO";
}

std::shared_ptr<const Form> CompileAt(const LineScan::Scanned& scanned, std::string_view text, int depth);

// The condition of SE and ENQUANTO; `args` is left at the text after it.
bool CompileCondition(Form& f, std::string_view& args) {
  if (args.empty()) return false;
  if (Text::StartsWithFolded(args, "NÃO"_cp) || Text::StartsWithFolded(args, "NAO")) {
    args = Text::Trim(args.substr(3));
    f.negate = true;
    if (args.empty()) return false;
  }
  if (!TakeValue(args, f.a) || args.empty()) return false;
  if (!Conditions::TakeOperator(args, f.op)) return false;
  args = Text::Trim(args);
  if (args.empty()) return false;
  if (f.op == Conditions::Op::In) {
    if (!Values::ReadListRef(args, f.list)) return false;
  } else if (!TakeValue(args, f.b)) {
    return false;
  }
  args = Text::Trim(args);
  return true;
}

bool CompileSe(Form& f, std::string_view args, std::string_view text, int depth) {
  if (!CompileCondition(f, args)) return false;
  f.restOffset = static_cast<std::size_t>(args.data() - text.data());
  f.restLength = args.size();
  if (!args.empty() && depth < kMaxDepth) {
    f.rest = std::make_shared<LineScan::Scanned>();
    LineScan::Scan(args, *f.rest);
    f.rest->compiled = CompileAt(*f.rest, args, depth + 1);
  }
  return true;
}

bool CompileSeja(Form& f, std::string_view args) {
  if (!TakeRef(args, f.a) || args.empty()) return false;
  if (args[0] == '=') {
    args = Text::Trim(args.substr(1));
    if (args.empty()) return false;
  }
  if (IsWholeTextWord(args)) return false;
  static constexpr std::string_view kForms[] = {"TAMANHO ", "MAIUSC ", "TRIM ", "POS ",
                                                "RAND ", "PALAVRA ", "CHR ", "ASC "};
  for (std::size_t i = 0; i < std::size(kForms); ++i) {
    if (!Text::StartsWithFolded(args, kForms[i])) continue;
    args = Text::Trim(args.substr(kForms[i].size()));
    if (i == 0) f.kind = Kind::SejaTamanho;
    else if (i == 3) f.kind = Kind::SejaPos;
    else return false;
    if (f.kind == Kind::SejaPos && !TakeValue(args, f.b)) return false;
    return TakeValue(args, f.c) && args.empty();
  }
  f.kind = Kind::SejaValue;
  if (!TakeValue(args, f.b)) return false;
  f.leftover = !args.empty();
  return true;
}

std::shared_ptr<const Form> CompileAt(const LineScan::Scanned& scanned, std::string_view text, int depth) {
  if (scanned.nothing || !scanned.handler) return nullptr;
  std::string_view args = text.substr(scanned.argsStart, scanned.argsLength);
  auto f = std::make_shared<Form>();
  const Commands::Handler h = scanned.handler;
  bool ok = false;
  if (h == Commands::Soma) {
    f->kind = Kind::Soma;
    ok = TakeRef(args, f->a) && TakeValue(args, f->b);
  } else if (h == Commands::Se) {
    f->kind = Kind::Se;
    ok = CompileSe(*f, args, text, depth);
  } else if (h == Commands::Enquanto) {
    f->kind = Kind::Enquanto;
    ok = CompileCondition(*f, args);  // text after the condition is ignored
  } else if (h == Commands::Desvia || h == Commands::Chama) {
    f->kind = h == Commands::Desvia ? Kind::Desvia : Kind::Chama;
    ok = !args.empty() && args[0] == '@' && args.find(' ') == std::string_view::npos;
    if (ok) f->label.assign(args.substr(1));
  } else if (h == Commands::Seja) {
    ok = CompileSeja(*f, args);
  } else if (h == Commands::Concatena) {
    f->kind = Kind::Concatena;
    ok = TakeRef(args, f->a) && TakeValue(args, f->b) && args.empty();
  } else if (h == Commands::Copia) {
    f->kind = Kind::Copia;
    ok = TakeRef(args, f->a) && TakeRef(args, f->b) && TakeValue(args, f->c) && TakeValue(args, f->d);
  }
  if (!ok) return nullptr;
  return f;
}

// The condition's truth; false when it cannot be decided (a name too many, no such list).
bool Decide(const Form& f, bool& truth) {
  std::string_view left, right;
  if (!View(f.a, left)) return false;
  if (f.op == Conditions::Op::In) {
    const auto* items = Lists::FindList(f.list);
    if (!items) return false;
    truth = Conditions::InList(left, *items);
  } else {
    if (!View(f.b, right)) return false;
    truth = Conditions::Decide(f.op, left, right);
  }
  if (f.negate) truth = !truth;
  return true;
}

bool RunSe(const Form& f, std::string_view text) {
  bool truth;
  if (!Decide(f, truth)) return false;
  if (f.restLength == 0) {
    if (!truth) Steps::SkipFalseBlock();
    return true;
  }
  if (!truth) return true;
  const std::string_view rest = text.substr(f.restOffset, f.restLength);
  return f.rest ? Interp::ExecuteForm(*f.rest, rest, true) : Interp::ExecuteLine(rest, true);
}

// The decimal text of a number, assigned without building a string.
void AssignNumber(int code, int64_t n) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  Variables::AssignVariable(code, std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

}  // namespace

std::shared_ptr<const Form> Compile(const LineScan::Scanned& scanned, std::string_view text) {
  return CompileAt(scanned, text, 0);
}

bool Run(const Form& f, std::string_view text) {
  int code, source;
  std::string_view a, b;
  std::optional<int32_t> x, y;
  switch (f.kind) {
    case Kind::Soma:
      if (!Code(f.a, code) || !Number(f.b, false, x) || !x) return false;
      return Steps::Soma(code, *x);
    case Kind::Se:
      return RunSe(f, text);
    case Kind::Enquanto: {
      bool truth;
      if (!Decide(f, truth)) return false;
      if (!truth) Steps::SkipToEnd(LineIndex::EndWord::Enquanto);
      return true;
    }
    case Kind::Desvia:
      return Steps::JumpToLabel(f.label, f.labelCache);
    case Kind::Chama:
      return Steps::CallLabel(f.label, f.labelCache);
    case Kind::SejaValue:
      if (!Code(f.a, code) || !View(f.b, a)) return false;
      Variables::AssignVariable(code, a);
      return !f.leftover;
    case Kind::SejaPos: {
      if (!Code(f.a, code) || !View(f.b, a) || !View(f.c, b)) return false;
      const std::size_t p = a.empty() ? std::string_view::npos : TextSearch::Find(b, a);
      AssignNumber(code, p == std::string_view::npos ? 0 : static_cast<int64_t>(p) + 1);
      return true;
    }
    case Kind::SejaTamanho:
      if (!Code(f.a, code) || !View(f.c, b)) return false;
      AssignNumber(code, static_cast<int64_t>(b.size()));
      return true;
    case Kind::Concatena:
      if (!Code(f.a, code) || !View(f.b, a)) return false;
      return Variables::AppendToVariable(code, a);
    case Kind::Copia:
      if (!Code(f.a, code) || !Code(f.b, source) || !Number(f.c, true, x) || !Number(f.d, true, y) || !x || !y)
        return false;
      Steps::Copia(code, source, *x, *y);
      return true;
  }
  return false;
}

}  // namespace CompiledLine
