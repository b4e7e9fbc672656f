// Conditions of SE and ENQUANTO.
#include "interpreter/conditions.h"

#include <algorithm>
#include <cstring>

#include "interpreter/lists.h"
#include "interpreter/text.h"
#include "interpreter/text_search.h"
#include "interpreter/values.h"
#include "platform/text/cp1252.h"

namespace Conditions {
namespace {

bool AllDigits(std::string_view s) {
  for (char c : s)
    if (!Text::IsDigit(c)) return false;
  return true;
}

// The order of the comparison keys of two digit texts, without building them: the keys
// are the texts' last 21 digits with zeros in front, so they order as numbers do, except
// the empty text, whose twenty zeros sort before every other key.
int CompareDigitKeys(std::string_view left, std::string_view right) {
  if (left.empty() || right.empty()) return left.empty() ? (right.empty() ? 0 : -1) : 1;
  if (left.size() > 21) left.remove_prefix(left.size() - 21);
  if (right.size() > 21) right.remove_prefix(right.size() - 21);
  while (!left.empty() && left[0] == '0') left.remove_prefix(1);
  while (!right.empty() && right[0] == '0') right.remove_prefix(1);
  if (left.size() != right.size()) return left.size() < right.size() ? -1 : 1;
  return left.empty() ? 0 : std::memcmp(left.data(), right.data(), left.size());
}

// The order of two keys given as texts whose keys are already made (`left`) or are the
// folded text (`right`): byte by byte as unsigned codes, a proper prefix first.
int CompareWithFolded(std::string_view left, std::string_view right, bool foldLeft) {
  const std::size_t n = std::min(left.size(), right.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto a = static_cast<uint8_t>(foldLeft ? Text::FoldChar(left[i]) : left[i]);
    const auto b = static_cast<uint8_t>(Text::FoldChar(right[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
}

// The comparison key of a digit text, made in `buffer`: its last 21 digits with zeros in
// front, or twenty zeros for the empty text.
std::string_view DigitKey(std::string_view digits, char (&buffer)[21]) {
  if (digits.empty()) {
    std::memset(buffer, '0', 20);
    return {buffer, 20};
  }
  if (digits.size() > 21) digits.remove_prefix(digits.size() - 21);
  const std::size_t zeros = 21 - digits.size();
  std::memset(buffer, '0', zeros);
  std::memcpy(buffer + zeros, digits.data(), digits.size());
  return {buffer, 21};
}

// The order of two comparison keys, without building them in memory of their own: every
// condition and every EM item compares through here.
int CompareKeys(std::string_view left, std::string_view right) {
  const bool leftDigits = AllDigits(left), rightDigits = AllDigits(right);
  if (leftDigits && rightDigits) return CompareDigitKeys(left, right);
  char buffer[21];
  if (leftDigits) return CompareWithFolded(DigitKey(left, buffer), right, false);
  if (rightDigits) return -CompareWithFolded(DigitKey(right, buffer), left, false);
  return CompareWithFolded(left, right, true);
}

// Whether two comparison keys are equal. A digit text's key is made of digits and a word's
// key (its folded text) holds a character that is no digit, so those two never are.
bool KeysEqual(std::string_view left, bool leftDigits, std::string_view right) {
  const bool rightDigits = AllDigits(right);
  if (leftDigits != rightDigits) return false;
  if (leftDigits) return CompareDigitKeys(left, right) == 0;
  return left.size() == right.size() && CompareWithFolded(left, right, true) == 0;
}

}  // namespace

// The operators are tried in the order ">=", "<=", "==", "<>", "*=*", "=*", "*=", "EM",
// "=", "<", ">": the first one the text begins with is taken.
bool TakeOperator(std::string_view& args, Op& op) {
  if (args.empty()) return false;
  const char next = args.size() > 1 ? args[1] : '\0';
  std::size_t length = 1;
  switch (args[0]) {
    case '>':
      if (next == '=') op = Op::Ge, length = 2;
      else op = Op::Gt;
      break;
    case '<':
      if (next == '=') op = Op::Le, length = 2;
      else if (next == '>') op = Op::Ne, length = 2;
      else op = Op::Lt;
      break;
    case '=':
      if (next == '=') op = Op::Identical, length = 2;
      else if (next == '*') op = Op::StartsWith, length = 2;
      else op = Op::Eq;
      break;
    case '*':
      if (next != '=') return false;
      if (args.size() > 2 && args[2] == '*') op = Op::Contains, length = 3;
      else op = Op::EndsWith, length = 2;
      break;
    case 'E':
    case 'e':
      if (next != 'M' && next != 'm') return false;
      op = Op::In, length = 2;
      break;
    default:
      return false;
  }
  args.remove_prefix(length);
  return true;
}

bool Decide(Op op, std::string_view left, std::string_view right) {
  switch (op) {
    case Op::Identical: return left == right;
    case Op::Contains: return !right.empty() && TextSearch::Find(left, right) != std::string_view::npos;
    case Op::StartsWith: return !right.empty() && left.starts_with(right);
    case Op::EndsWith: return !right.empty() && left.ends_with(right);
    default: break;
  }
  if (op == Op::Eq || op == Op::Ne) return KeysEqual(left, AllDigits(left), right) == (op == Op::Eq);
  const int c = CompareKeys(left, right);
  switch (op) {
    case Op::Lt: return c < 0;
    case Op::Gt: return c > 0;
    case Op::Le: return c <= 0;
    case Op::Ge: return c >= 0;
    default: return false;
  }
}

bool InList(std::string_view left, const std::vector<std::string>& items) {
  const bool leftDigits = AllDigits(left);
  for (const std::string& item : items)
    if (KeysEqual(left, leftDigits, item)) return true;
  return false;
}

std::string ComparisonKey(std::string_view value) {
  std::string key = Text::Fold(value);
  for (char c : key)
    if (!Text::IsDigit(c)) return key;
  key.insert(0, 20, '0');
  return key.substr(key.size() >= 21 ? key.size() - 21 : 0);
}

bool EvaluateCondition(std::string_view& args, bool& truth) {
  args = Text::Trim(args);
  if (args.empty()) return false;
  bool negate = false;
  if (Text::StartsWithFolded(args, "NÃO"_cp) || Text::StartsWithFolded(args, "NAO")) {
    args.remove_prefix(3);
    args = Text::Trim(args);
    negate = true;
    if (args.empty()) return false;
  }
  // The values are viewed where they stand (the line, a variable): nothing sets a variable
  // before the comparison is made.
  std::string_view left, right;
  std::string leftScratch, rightScratch;
  if (!Values::ReadValueView(args, left, leftScratch) || args.empty()) return false;
  Op op;
  if (!TakeOperator(args, op)) return false;
  args = Text::Trim(args);
  if (args.empty()) return false;
  bool result;
  if (op == Op::In) {
    std::string name;
    if (!Values::ReadListRef(args, name)) return false;
    const auto* list = Lists::FindList(name);
    if (!list) return false;
    result = InList(left, *list);
  } else {
    if (!Values::ReadValueView(args, right, rightScratch)) return false;
    result = Decide(op, left, right);
  }
  truth = negate ? !result : result;
  args = Text::Trim(args);
  return true;
}

}  // namespace Conditions
