// SEJA with its built-in forms, and the text and arithmetic commands on variables.
#include <charconv>
#include <ctime>
#include <string>

#include "interpreter/command_steps.h"
#include "interpreter/commands.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "interpreter/text_search.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/system/wall_clock.h"
#include "platform/text/cp1252.h"
#include "speech/speech.h"

namespace {

using Values::NumericValue;
using Values::ReadValue;
using Values::ReadVariableRef;

std::string TwoDigits(int n) {
  std::string s = std::to_string(n);
  return n < 10 ? "0" + s : s;
}

std::string Params() {
  const auto& line = Interp::St().commandLine;
  if (line.size() < 2) return "0";
  std::string text = std::to_string(line.size() - 1);
  for (std::size_t i = 1; i < line.size(); ++i) text += " " + line[i];
  return text;
}

// The whole-text forms of SEJA; false when the word is not one of them.
bool WholeTextForm(std::string_view word, std::string& value) {
  if (word == "PARAMS") {
    value = Params();
    return true;
  }
  if (word == "CRLF") {
    value = "\r\n";
    return true;
  }
  if (word != "DATA" && word != "HORA" && word != "DIA" && word != "TEMPO") return false;
  long hundredths = 0;
  const tm now = WallClock::LocalNow(hundredths);
  if (word == "DATA")
    value = TwoDigits(now.tm_mday) + "/" + TwoDigits(now.tm_mon + 1) + "/" + std::to_string(now.tm_year + 1900);
  else if (word == "HORA") value = TwoDigits(now.tm_hour) + ":" + TwoDigits(now.tm_min) + ":" + TwoDigits(now.tm_sec);
  else if (word == "DIA") {
    static constexpr std::string_view kDays[] = {"Domingo", "Segunda", "Terça"_cp, "Quarta",
                                                  "Quinta", "Sexta", "Sábado"_cp};
    value.assign(kDays[now.tm_wday]);
  } else if (word == "TEMPO") {
    const Interp::State& s = Interp::St();
    int days = now.tm_wday - s.startWeekday;
    if (days < 0) days += 7;
    const int64_t t = ((now.tm_hour + 24LL * days) * 3600 + now.tm_min * 60 + now.tm_sec) * 100 + hundredths;
    value = std::to_string(t - s.startHundredths);
  }
  return true;
}

uint32_t Draw(uint32_t range) {
  uint32_t& seed = Interp::St().randomSeed;
  seed = seed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(seed) * range) >> 32);
}

std::string Palavra(int32_t n, std::string_view text) {
  for (int32_t i = 1; i < n; ++i) {
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) {
      text = {};
      break;
    }
    text = Text::Trim(text.substr(space + 1));
  }
  const std::size_t space = text.find(' ');
  if (space != std::string_view::npos) text = text.substr(0, space);
  return std::string(text);
}

// A key text ("#65", "100#65") back to its character; empty for extended keys and bad texts.
std::string Chr(std::string_view key) {
  if (key.size() > 4 && key[3] == '#') {
    for (int i = 0; i < 3; ++i)
      if (key[i] != '0' && key[i] != '1') return {};
    key.remove_prefix(3);
  }
  if (key.empty() || key[0] != '#') return {};
  key.remove_prefix(1);
  if (key.empty() || key[0] == '0') return {};
  const auto code = NumericValue(key);
  if (!code) return {};
  return std::string(1, static_cast<char>(*code & 0xFF));
}

// The function forms of SEJA: returns 1 when assigned, 0 when not a function form, -1 on failure.
int FunctionForm(std::string_view& args, std::string& value) {
  static constexpr std::string_view kForms[] = {"TAMANHO ", "MAIUSC ", "TRIM ", "POS ",
                                                "RAND ", "PALAVRA ", "CHR ", "ASC "};
  int form = -1;
  for (int i = 0; i < 8; ++i)
    if (Text::StartsWithFolded(args, kForms[i])) {
      form = i;
      args = Text::Trim(args.substr(kForms[i].size()));
      break;
    }
  if (form < 0) return 0;
  // Viewed where they stand: nothing is set before the result is made.
  std::string_view a, b;
  std::string scratchA, scratchB;
  if ((form == 3 || form == 5) && !Values::ReadValueView(args, a, scratchA)) return -1;
  if (!Values::ReadValueView(args, b, scratchB) || !args.empty()) return -1;
  switch (form) {
    case 0: value = std::to_string(b.size()); break;
    case 1: value = Text::Fold(b); break;
    case 2: value = std::string(Text::Trim(b)); break;
    case 3: {
      const std::size_t p = a.empty() ? std::string_view::npos : TextSearch::Find(b, a);
      value = p == std::string_view::npos ? "0" : std::to_string(p + 1);
      break;
    }
    case 4: {
      const auto range = NumericValue(b);
      if (!range || *range < 0) return -1;
      value = std::to_string(Draw(static_cast<uint32_t>(*range)));
      break;
    }
    case 5: {
      const auto n = NumericValue(a);
      if (!n || *n < 1) return -1;
      value = Palavra(*n, b);
      break;
    }
    case 6: value = Chr(b); break;
    case 7:
      value.clear();
      if (b.size() == 1) value.append("#").append(std::to_string(static_cast<uint8_t>(b[0])));
      break;
  }
  return 1;
}

// Reads "variable number" for the commands that need both numeric; the number must follow.
bool ReadNumberArgument(std::string_view& args, int32_t& number) {
  std::string_view text;
  std::string scratch;
  if (!Values::ReadValueView(args, text, scratch)) return false;
  const auto n = NumericValue(text);
  if (!n) return false;
  number = *n;
  return true;
}

enum class Arith { Subtract, Multiply, Divide };

bool Arithmetic(std::string_view args, Arith op) {
  int code;
  if (!ReadVariableRef(args, code) || args.empty()) return false;
  const auto current = NumericValue(Variables::GetVariable(code));
  int32_t operand;
  if (!current || !ReadNumberArgument(args, operand)) return false;
  const auto a = static_cast<uint32_t>(*current), b = static_cast<uint32_t>(operand);
  int32_t result;
  if (op == Arith::Subtract) {
    result = static_cast<int32_t>(a - b);
  } else if (op == Arith::Multiply) {
    result = static_cast<int32_t>(a * b);
  } else {
    if (operand == 0) {
      Speech::WriteLineAndSpeak("Divisão por zero"_cp);
      return false;
    }
    // The one quotient that does not fit wraps, as the other operations do.
    result = (operand == -1) ? static_cast<int32_t>(0u - a) : *current / operand;
  }
  Variables::SetVariable(code, std::to_string(result));
  return args.empty();
}

// Two numeric values (positions and counts), each trimmed.
bool ReadTwoNumbers(std::string_view& args, int32_t& first, int32_t& second) {
  std::string_view a, b;
  std::string scratchA, scratchB;
  if (!Values::ReadValueView(args, a, scratchA) || !Values::ReadValueView(args, b, scratchB)) return false;
  const auto x = NumericValue(Text::Trim(a)), y = NumericValue(Text::Trim(b));
  if (!x || !y) return false;
  first = *x;
  second = *y;
  return true;
}

}  // namespace

namespace Commands {

bool Seja(std::string_view args) {
  int code;
  if (!ReadVariableRef(args, code) || args.empty()) return false;
  if (args[0] == '=') {
    args = Text::Trim(args.substr(1));
    if (args.empty()) return false;
  }
  std::string value;
  // The whole-text forms are single words of at most six letters.
  if (args.size() <= 6 && WholeTextForm(Text::Fold(args), value)) {
    Variables::SetVariable(code, std::move(value));
    return true;
  }
  const int form = FunctionForm(args, value);
  if (form < 0) return false;
  if (form == 0) {
    // A plain value goes into the variable's own storage: no text is built for it.
    std::string_view view;
    if (!Values::ReadValueView(args, view, value)) return false;
    Variables::AssignVariable(code, view);
    return args.empty();
  }
  Variables::SetVariable(code, std::move(value));
  return args.empty();
}

bool Soma(std::string_view args) {
  int code;
  int32_t number;
  if (!ReadVariableRef(args, code) || !ReadNumberArgument(args, number)) return false;
  return Steps::Soma(code, number);
}

bool Subtrai(std::string_view args) { return Arithmetic(args, Arith::Subtract); }
bool Multiplica(std::string_view args) { return Arithmetic(args, Arith::Multiply); }
bool Divide(std::string_view args) { return Arithmetic(args, Arith::Divide); }

bool Concatena(std::string_view args) {
  int code;
  std::string_view value;
  std::string scratch;
  if (!ReadVariableRef(args, code) || !Values::ReadValueView(args, value, scratch) || !args.empty()) return false;
  return Variables::AppendToVariable(code, value);
}

bool Copia(std::string_view args) {
  int target, source;
  int32_t first, last;
  if (!ReadVariableRef(args, target) || !ReadVariableRef(args, source) || !ReadTwoNumbers(args, first, last))
    return false;
  Steps::Copia(target, source, first, last);
  return true;
}

bool Deleta(std::string_view args) {
  int code;
  int32_t position, count;
  if (!ReadVariableRef(args, code) || !ReadTwoNumbers(args, position, count)) return false;
  const std::string& text = Variables::GetVariable(code);
  if (position < 1 || position > static_cast<int64_t>(text.size()) || count <= 0) return true;
  Variables::EraseFromVariable(code, static_cast<std::size_t>(position - 1), static_cast<std::size_t>(count));
  return true;
}

bool Substitui(std::string_view args) {
  int code;
  std::string_view from, to;
  std::string scratchFrom, scratchTo;
  if (!ReadVariableRef(args, code) || !Values::ReadValueView(args, from, scratchFrom) ||
      !Values::ReadValueView(args, to, scratchTo))
    return false;
  std::string result;
  if (!TextSearch::ReplaceFromEnd(Variables::GetVariable(code), from, to, Variables::kMaxTextLength, result))
    return Variables::TextFits(Variables::kMaxTextLength + 1);  // too long: TextFits says so
  Variables::SetVariable(code, std::move(result));
  return true;
}

bool Randomiza(std::string_view args) {
  if (!args.empty()) return false;
  long milliseconds = 0;
  const tm utc = WallClock::UtcNow(milliseconds);
  Interp::St().randomSeed =
      static_cast<uint32_t>(((utc.tm_hour * 60 + utc.tm_min) * 60 + utc.tm_sec) * 1000 + milliseconds);
  return true;
}

}  // namespace Commands

namespace Steps {

bool Soma(int code, int32_t number) {
  const std::string& text = Variables::GetVariable(code);
  std::size_t start = text.size();
  while (start > 0 && Text::IsDigit(text[start - 1])) --start;
  if (start > 0 && text[start - 1] == '-') --start;
  const std::string_view suffix = std::string_view(text).substr(start);
  // The suffix is read as a 32-bit number (a longer digit run keeps its low 32 bits) and the
  // sum wraps at 32 bits, as the other operations do.
  uint32_t value = 0;
  for (char c : suffix)
    if (Text::IsDigit(c)) value = value * 10u + static_cast<uint32_t>(c - '0');
  if (!suffix.empty() && suffix[0] == '-') value = 0u - value;
  char sum[16];
  const auto end = std::to_chars(sum, sum + sizeof sum, static_cast<int32_t>(value + static_cast<uint32_t>(number))).ptr;
  return Variables::ReplaceVariableTail(code, start, std::string_view(sum, static_cast<std::size_t>(end - sum)));
}

void Copia(int target, int source, int32_t first, int32_t last) {
  const std::string& text = Variables::GetVariable(source);
  // The first position is raised to 1 before the length is taken from it.
  const int64_t from = first < 1 ? 1 : first;
  const int64_t length = static_cast<int64_t>(last) - from + 1;
  std::string_view result;
  if (from <= static_cast<int64_t>(text.size()) && length > 0)
    result = std::string_view(text).substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(length));
  Variables::AssignVariable(target, result);
}

}  // namespace Steps
