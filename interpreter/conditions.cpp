// Conditions of SE and ENQUANTO.
#include "interpreter/conditions.h"

#include <algorithm>
#include <cstring>

#include "interpreter/lists.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "platform/cp1252.h"

namespace Conditions {
namespace {

enum class Op { Ge, Le, Identical, Contains, StartsWith, EndsWith, In, Eq, Lt, Gt, Ne };

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

bool AllDigits(std::string_view s) {
  for (char c : s)
    if (!Text::IsDigit(c)) return false;
  return true;
}

// The order of two comparison keys, without building them when both are digit texts
// (the common case of counters).
int CompareKeys(std::string_view left, std::string_view right) {
  if (AllDigits(left) && AllDigits(right)) {
    char a[21], b[21];
    auto pad = [](std::string_view digits, char (&out)[21]) {
      if (digits.size() > 21) digits = digits.substr(digits.size() - 21);
      std::fill(out, out + 21 - digits.size(), '0');
      std::copy(digits.begin(), digits.end(), out + 21 - digits.size());
    };
    // The empty text's key is twenty zeros, one shorter than every other digit key.
    if (left.empty() || right.empty()) return left.empty() ? (right.empty() ? 0 : -1) : 1;
    pad(left, a);
    pad(right, b);
    return std::memcmp(a, b, 21);
  }
  // std::string compares bytes as unsigned char and sorts a proper prefix first.
  return ComparisonKey(left).compare(ComparisonKey(right));
}

bool Compare(Op op, const std::string& left, const std::string& right) {
  switch (op) {
    case Op::Identical: return left == right;
    case Op::Contains: return !right.empty() && left.find(right) != std::string::npos;
    case Op::StartsWith: return !right.empty() && left.starts_with(right);
    case Op::EndsWith: return !right.empty() && left.ends_with(right);
    default: break;
  }
  const int c = CompareKeys(left, right);
  switch (op) {
    case Op::Eq: return c == 0;
    case Op::Ne: return c != 0;
    case Op::Lt: return c < 0;
    case Op::Gt: return c > 0;
    case Op::Le: return c <= 0;
    case Op::Ge: return c >= 0;
    default: return false;
  }
}

}  // namespace

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
  std::string left, right;
  if (!Values::ReadValue(args, left) || args.empty()) return false;
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
    const std::string key = ComparisonKey(left);
    result = false;
    for (const std::string& item : *list)
      if (ComparisonKey(item) == key) {
        result = true;
        break;
      }
  } else {
    if (!Values::ReadValue(args, right)) return false;
    result = Compare(op, left, right);
  }
  truth = negate ? !result : result;
  args = Text::Trim(args);
  return true;
}

}  // namespace Conditions
