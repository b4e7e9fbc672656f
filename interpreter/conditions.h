// Conditions of SE and ENQUANTO: comparison keys (digit texts compare by value), the
// operators, negation and the EM list test.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Conditions {

enum class Op { Ge, Le, Identical, Contains, StartsWith, EndsWith, In, Eq, Lt, Gt, Ne };

// The folded value; a text of digits only becomes 21 characters with leading zeros.
std::string ComparisonKey(std::string_view value);
// Parses and decides a condition, leaving the text after it in `args`.
// Returns false when the condition does not parse.
bool EvaluateCondition(std::string_view& args, bool& truth);

// The pieces of a condition, for lines whose conditions were read once (compiled_line):
// the operator at the front of the text (the text moves past it); the comparison of two
// values by any operator but EM; the EM test of a value against a list's items.
bool TakeOperator(std::string_view& args, Op& op);
bool Decide(Op op, std::string_view left, std::string_view right);
bool InList(std::string_view left, const std::vector<std::string>& items);

}  // namespace Conditions
