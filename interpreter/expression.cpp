// Integer expressions in parentheses: + - * / with the usual precedence, unary minus,
// numbers and variables, in 64-bit arithmetic that wraps instead of overflowing.
#include <string>

#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"

namespace Values {
namespace {

// Deeper nesting than this fails the expression instead of exhausting the stack.
constexpr int kMaxNesting = 500;

enum class Tok { LParen, RParen, Mul, Div, Plus, Minus, Number, Invalid, End };

struct Parser {
  std::string_view text;
  std::size_t pos = 0;
  int depth = 0;
  bool divisionByZero = false;

  void SkipSpaces() {
    while (pos < text.size() && text[pos] == ' ') ++pos;
  }

  // The next token without consuming it; `value` holds a number's or variable's value and
  // `end` the position after it.
  Tok Peek(int64_t& value, std::size_t& end) {
    SkipSpaces();
    if (pos >= text.size()) {
      end = pos;
      return Tok::End;
    }
    const char c = text[pos];
    end = pos + 1;
    switch (c) {
      case '(': return Tok::LParen;
      case ')': return Tok::RParen;
      case '*': return Tok::Mul;
      case '/': return Tok::Div;
      case '+': return Tok::Plus;
      case '-': return Tok::Minus;
      default: break;
    }
    if (Text::IsDigit(c)) {
      uint32_t v = 0;
      std::size_t i = pos;
      while (i < text.size() && Text::IsDigit(text[i])) v = v * 10u + static_cast<uint32_t>(text[i++] - '0');
      end = i;
      value = static_cast<int32_t>(v);
      return Tok::Number;
    }
    int code = -1;
    if (Text::IsAsciiLetter(c)) {
      code = Variables::LetterCode(c);
    } else if (c == '$') {
      std::size_t i = pos + 1;
      while (i < text.size() && (Text::IsAsciiLetter(text[i]) || Text::IsDigit(text[i]))) ++i;
      if (i == pos + 1) return Tok::Invalid;
      end = i;
      code = Variables::VariableCodeForName(Text::Fold(text.substr(pos + 1, i - pos - 1)));
      if (code < 0) return Tok::Invalid;
    } else {
      return Tok::Invalid;
    }
    const auto number = NumericValue(Variables::GetVariable(code));
    if (!number) return Tok::Invalid;
    value = *number;
    return Tok::Number;
  }

  Tok PeekKind() {
    int64_t v;
    std::size_t e;
    return Peek(v, e);
  }

  bool Factor(int64_t& out) {
    if (++depth > kMaxNesting) return false;
    struct Leave { int& d; ~Leave() { --d; } } leave{depth};
    int64_t value = 0;
    std::size_t end = 0;
    const Tok t = Peek(value, end);
    if (t == Tok::Number) {
      pos = end;
      out = value;
      return true;
    }
    if (t == Tok::Minus) {
      pos = end;
      if (!Factor(value)) return false;
      out = static_cast<int64_t>(0ull - static_cast<uint64_t>(value));
      return true;
    }
    if (t == Tok::LParen) {
      pos = end;
      if (!Expression(value)) return false;
      if (Peek(out, end) != Tok::RParen) return false;
      pos = end;
      out = value;
      return true;
    }
    return false;
  }

  bool Term(int64_t& out) {
    if (!Factor(out)) return false;
    for (;;) {
      int64_t unused;
      std::size_t end;
      const Tok op = Peek(unused, end);
      if (op != Tok::Mul && op != Tok::Div) return true;
      pos = end;
      int64_t rhs = 0;
      if (!Factor(rhs)) {
        if (divisionByZero) return false;
        const Tok stop = PeekKind();
        return stop != Tok::Mul && stop != Tok::Div;  // "2*" stands as 2; "2*/3" fails
      }
      if (op == Tok::Mul) {
        out = static_cast<int64_t>(static_cast<uint64_t>(out) * static_cast<uint64_t>(rhs));
      } else {
        if (rhs == 0) {
          divisionByZero = true;
          return false;
        }
        out = (rhs == -1) ? static_cast<int64_t>(0ull - static_cast<uint64_t>(out)) : out / rhs;
      }
    }
  }

  bool Expression(int64_t& out) {
    if (!Term(out)) return false;
    for (;;) {
      int64_t unused;
      std::size_t end;
      const Tok op = Peek(unused, end);
      if (op != Tok::Plus && op != Tok::Minus) return true;
      pos = end;
      int64_t rhs = 0;
      if (!Term(rhs)) {
        if (divisionByZero) return false;
        const Tok stop = PeekKind();
        return stop != Tok::Plus && stop != Tok::Minus;
      }
      const auto a = static_cast<uint64_t>(out), b = static_cast<uint64_t>(rhs);
      out = static_cast<int64_t>(op == Tok::Plus ? a + b : a - b);
    }
  }
};

}  // namespace

bool EvaluateExpression(std::string_view& args, int64_t& result) {
  Parser p{args};
  if (!p.Expression(result)) return false;
  p.SkipSpaces();
  args.remove_prefix(p.pos);
  if (args.size() > 9999) args = args.substr(0, 9999);
  return true;
}

}  // namespace Values
