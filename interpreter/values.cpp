// The argument readers: values, variable, channel and list references, numeric text.
#include "interpreter/values.h"

#include "interpreter/text.h"
#include "interpreter/variables.h"

namespace Values {
namespace {

bool IsNameChar(char c) { return Text::IsAsciiLetter(c) || Text::IsDigit(c) || c == '_'; }

// Reads the name after "$" (args at the "$"); returns the folded name, empty when none.
std::string TakeName(std::string_view& args) {
  std::size_t n = 1;
  while (n < args.size() && IsNameChar(args[n])) ++n;
  std::string name = Text::Fold(args.substr(1, n - 1));
  args.remove_prefix(n);
  return name;
}

}  // namespace

bool ReadValue(std::string_view& args, std::string& value) {
  args = Text::Trim(args);
  if (args.empty()) return false;
  const char c = args[0];
  if (c == '-' || Text::IsDigit(c)) {
    std::size_t n = 1;
    while (n < args.size() && Text::IsDigit(args[n])) ++n;
    value.assign(args.substr(0, n));
    args.remove_prefix(n);
  } else if (c == '"') {
    value.clear();
    for (;;) {
      args.remove_prefix(1);  // the opening quote (or the second of a doubled one)
      const std::size_t close = args.find('"');
      if (close == std::string_view::npos) {
        value.append(args);
        args = {};
        break;
      }
      value.append(args.substr(0, close));
      args.remove_prefix(close + 1);
      if (args.empty() || args[0] != '"') break;
      value.push_back('"');
    }
  } else if (c == '$') {
    const std::string name = TakeName(args);
    if (name.empty()) return false;
    const int code = Variables::VariableCodeForName(name);
    if (code < 0) return false;
    value = Variables::GetVariable(code);
  } else if (Text::IsAsciiLetter(c)) {
    value = Variables::GetVariable(Variables::LetterCode(c));
    args.remove_prefix(1);
  } else if (c == '(') {
    args.remove_prefix(1);
    int64_t result = 0;
    if (!EvaluateExpression(args, result)) return false;
    args = Text::TrimLeft(args);
    if (args.empty() || args[0] != ')') return false;
    args.remove_prefix(1);
    value = std::to_string(result);
  } else {
    return false;
  }
  args = Text::Trim(args);
  return true;
}

bool ReadJoinedValues(std::string_view& args, std::string& text) {
  text.clear();
  std::string value;
  while (ReadValue(args, value)) {
    if (!Variables::TextFits(text.size() + value.size())) return false;
    text += value;
  }
  return true;
}

bool ReadVariableRef(std::string_view& args, int& code) {
  args = Text::Trim(args);
  if (args.empty()) return false;
  if (args[0] == '$') {
    const std::string name = TakeName(args);
    if (name.empty()) return false;
    code = Variables::VariableCodeForName(name);
    if (code < 0) return false;
  } else {
    if (!Text::IsAsciiLetter(args[0])) return false;
    if (args.size() > 1 && (Text::IsAsciiLetter(args[1]) || Text::IsDigit(args[1]))) return false;
    code = Variables::LetterCode(args[0]);
    args.remove_prefix(1);
  }
  args = Text::Trim(args);
  return true;
}

bool ReadChannelRef(std::string_view& args, char& digit) {
  args = Text::Trim(args);
  digit = ' ';
  if (args.empty() || args[0] != '#') return false;
  if (args.size() < 2 || !Text::IsDigit(args[1])) return false;
  if (args.size() > 2 && args[2] != ' ') return false;
  digit = args[1];
  args.remove_prefix(2);
  while (!args.empty() && args[0] == ' ') args.remove_prefix(1);
  return true;
}

bool ReadListRef(std::string_view& args, std::string& name) {
  args = Text::Trim(args);
  if (args.size() < 2 || args[0] != '[') return false;
  // A "]" right after "[" belongs to the name.
  const std::size_t close = args.find(']', 2);
  if (close == std::string_view::npos) return false;
  name.assign(args.substr(1, close - 1));
  args.remove_prefix(close + 1);
  args = Text::Trim(args);
  return true;
}

std::optional<int32_t> ReadNumber(std::string_view& args) {
  std::string value;
  if (!ReadValue(args, value)) return std::nullopt;
  return NumericValue(Text::Trim(value));
}

std::optional<int32_t> NumericValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  text.remove_prefix(i);
  if (text.empty()) return std::nullopt;
  std::size_t hexStart = 0;
  if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') hexStart = 1;
  else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) hexStart = 2;
  if (hexStart > 0) {
    text.remove_prefix(hexStart);
    if (text.empty()) return std::nullopt;
    uint64_t v = 0;
    for (char c : text) {
      int d;
      if (Text::IsDigit(c)) d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return std::nullopt;
      v = v * 16 + static_cast<uint64_t>(d);
      if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(v));
  }
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t v = 0;
  for (char c : text) {
    if (!Text::IsDigit(c)) return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return std::nullopt;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return std::nullopt;
  return static_cast<int32_t>(v);
}

bool TakeTrailingAmpersand(std::string_view& args) {
  args = Text::Trim(args);
  if (args.empty() || args.back() != '&') return false;
  args.remove_suffix(1);
  args = Text::Trim(args);
  return true;
}

}  // namespace Values
