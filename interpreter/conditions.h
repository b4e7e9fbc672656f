// Conditions of SE and ENQUANTO: comparison keys (digit texts compare by value), the
// operators, negation and the EM list test.
#pragma once

#include <string>
#include <string_view>

namespace Conditions {

// The folded value; a text of digits only becomes 21 characters with leading zeros.
std::string ComparisonKey(std::string_view value);
// Parses and decides a condition, leaving the text after it in `args`.
// Returns false when the condition does not parse.
bool EvaluateCondition(std::string_view& args, bool& truth);

}  // namespace Conditions
