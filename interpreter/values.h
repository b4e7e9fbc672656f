// The argument readers every command uses: each takes one piece from the front of the
// argument text, leaves the rest trimmed, and reports whether it succeeded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Values {

// A value: number literal, quoted text, $name, letter variable or (expression).
bool ReadValue(std::string_view& args, std::string& value);
// The same value without copying it where it can: `value` views the argument text (a number,
// a quoted text without doubled quotes), the variable's own text, or else `scratch`. A view
// of a variable holds until a variable is set.
bool ReadValueView(std::string_view& args, std::string_view& value, std::string& scratch);
// Values read and joined into `text` until a read fails (ESCREVE, FALA). False when the
// joined text would not fit (Variables::TextFits): the command fails then.
bool ReadJoinedValues(std::string_view& args, std::string& text);
// A variable to be set: $name or a single letter not followed by a letter or digit.
bool ReadVariableRef(std::string_view& args, int& code);
// "#0".."#9"; `digit` is ' ' when the text does not begin with "#".
bool ReadChannelRef(std::string_view& args, char& digit);
// A list name in square brackets (case kept).
bool ReadListRef(std::string_view& args, std::string& name);
// The text as a 32-bit number: decimal with optional sign, or hexadecimal after "$", "x",
// "X", "0x", "0X"; leading spaces allowed, nothing after the digits.
std::optional<int32_t> NumericValue(std::string_view text);
// A value read as ReadValue does, taken as a number (NumericValue of its trimmed text).
std::optional<int32_t> ReadNumber(std::string_view& args);
// Integer expression after "("; leaves the text at the token that ended it.
bool EvaluateExpression(std::string_view& args, int64_t& result);
// Removes a trailing "&" (and the blanks before it); true when there was one.
bool TakeTrailingAmpersand(std::string_view& args);

}  // namespace Values
