// Character classes and case folding of Windows-1252 text, shared by the Sonora stages.
#pragma once

#include <string>
#include <string_view>

namespace Sonora {

// Upper-cases one byte the way a Portuguese locale does: a..z, the accented block
// (but not the division sign) and the few letters of 0x9A..0xFF that have capitals.
char UpperChar(char c);
char LowerChar(char c);
std::string UpperText(std::string_view s);
std::string LowerText(std::string_view s);

// Letters of the preprocessing stage (ASCII letters and the accented letters Portuguese uses).
bool IsLetter(char c);
// B-D, F-H, J-N, P-T, V-Z, Ç, Ñ in either case.
bool IsConsonant(char c);
// A E I O U and their accented forms, in either case.
bool IsVowel(char c);
bool IsBackVowel(char c);   // A O Á Â Ó Ô
bool IsFrontVowel(char c);  // E I É Í

// Blanks at both ends removed (space, tab, carriage return, line feed).
std::string_view Trim(std::string_view s);

// Whole text is an optionally signed decimal integer that fits an int.
bool ParseInt(std::string_view s, int& value);

}  // namespace Sonora
