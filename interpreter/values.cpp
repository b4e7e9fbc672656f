// The argument readers: values, variable, channel and list references, numeric text.
#include "interpreter/values.h"

#include "interpreter/text.h"
#include "interpreter/variables.h"
#include "platform/text/text_kit.h"

namespace Values {
namespace {

bool IsNameChar(char c) { return Text::IsAsciiLetter(c) || Text::IsDigit(c) || c == '_'; }

// The code of the name after "$" (args at the "$"), the name taken from the text; -1 when
// there is no name or no code for it. Names are short: folded without building a text.
int TakeNameCode(std::string_view& args) {
  std::size_t n = 1;
  while (n < args.size() && IsNameChar(args[n])) ++n;
  const std::string_view written = args.substr(1, n - 1);
  args.remove_prefix(n);
  if (written.empty()) return -1;
  char buffer[64];
  std::string longName;
  char* out = buffer;
  if (written.size() > sizeof buffer) {
    longName.resize(written.size());
    out = longName.data();
  }
  for (std::size_t i = 0; i < written.size(); ++i) out[i] = Text::FoldChar(written[i]);
  return Variables::VariableCodeForName(std::string_view(out, written.size()));
}

}  // namespace

bool ReadValueView(std::string_view& args, std::string_view& value, std::string& scratch) {
  args = Text::Trim(args);
  if (args.empty()) return false;
  const char c = args[0];
  if (c == '-' || Text::IsDigit(c)) {
    std::size_t n = 1;
    while (n < args.size() && Text::IsDigit(args[n])) ++n;
    value = args.substr(0, n);
    args.remove_prefix(n);
  } else if (c == '"') {
    args.remove_prefix(1);
    std::size_t close = args.find('"');
    if (close == std::string_view::npos) {
      value = args;  // unterminated: to the end of the text
      args = {};
    } else if (close + 1 >= args.size() || args[close + 1] != '"') {
      value = args.substr(0, close);
      args.remove_prefix(close + 1);
    } else {
      // Doubled quotes stand for one quote each: the text is built.
      scratch.clear();
      for (;;) {
        scratch.append(args.substr(0, close));
        args.remove_prefix(close + 1);
        if (args.empty() || args[0] != '"') break;
        scratch.push_back('"');
        args.remove_prefix(1);  // the second of the doubled quote
        close = args.find('"');
        if (close == std::string_view::npos) {
          scratch.append(args);
          args = {};
          break;
        }
      }
      value = scratch;
    }
  } else if (c == '$') {
    const int code = TakeNameCode(args);
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
    scratch = std::to_string(result);
    value = scratch;
  } else {
    return false;
  }
  args = Text::Trim(args);
  return true;
}

bool ReadValue(std::string_view& args, std::string& value) {
  std::string_view view;
  std::string scratch;
  if (!ReadValueView(args, view, scratch)) return false;
  if (view.data() == scratch.data()) value = std::move(scratch);
  else value.assign(view);
  return true;
}

bool ReadJoinedValues(std::string_view& args, std::string& text) {
  text.clear();
  // Viewed where they stand: reading values sets no variable, and `text` is the caller's own.
  std::string_view value;
  std::string scratch;
  while (ReadValueView(args, value, scratch)) {
    if (!Variables::TextFits(text.size() + value.size())) return false;
    text += value;
  }
  return true;
}

bool ReadVariableRef(std::string_view& args, int& code) {
  args = Text::Trim(args);
  if (args.empty()) return false;
  if (args[0] == '$') {
    code = TakeNameCode(args);
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
  std::string_view value;
  std::string scratch;
  if (!ReadValueView(args, value, scratch)) return std::nullopt;
  return NumericValue(Text::Trim(value));
}

std::optional<int32_t> NumericValue(std::string_view text) {
  // Short plain digits (most numbers a program reads) need none of the other forms.
  if (!text.empty() && text.size() <= 9 && Text::IsDigit(text[0]) && !(text.size() > 1 && text[1] == 'x') &&
      !(text.size() > 1 && text[1] == 'X')) {
    const std::optional<uint64_t> v = TextKit::ReadDigits(text, 9);
    if (!v) return std::nullopt;
    return static_cast<int32_t>(*v);
  }
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
      const int d = TextKit::HexDigitValue(c);
      if (d < 0) return std::nullopt;
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
  const std::optional<int64_t> digits = TextKit::ReadDecimal(text, 2147483648LL);
  if (!digits) return std::nullopt;
  int64_t v = *digits;
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
