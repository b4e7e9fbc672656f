// The variable table: 256 text slots, letter variables at the codes of A..Z and named
// variables at codes given by their order of first mention (91 upwards, wrapping to 0..64).
#pragma once

#include <string>
#include <string_view>

namespace Variables {

inline constexpr int kMaxNames = 230;
// Longest text a command may build: a variable's text, values joined into one text, the
// items of one list together.
inline constexpr std::size_t kMaxTextLength = std::size_t{1} << 26;
// Everything a program holds together: all its variables and all its lists.
inline constexpr std::size_t kMaxDataLength = std::size_t{1} << 28;

// The one limit on the texts a program builds, for every command: may a text of `size`
// bytes be made in place of `replaced` bytes the program holds now (the variable's old
// text, a list's old contents; 0 for a text of its own)? When not, the user hears "Texto
// longo demais para a memória" (once per command), the command fails (ExecuteLine fails
// it even when its handler goes on) and this returns false: build nothing then.
bool TextFits(std::size_t size, std::size_t replaced = 0);
// Whether a TextFits refusal happened since the last call; clears it.
bool TakeTextRefused();

// Code of a folded name; a new name is appended to the name list. Returns -1 (after telling
// the user) when the program already mentioned as many names as the table holds.
int VariableCodeForName(std::string_view foldedName);
// Code of a letter variable (either case).
inline int LetterCode(char letter) { return (letter >= 'a' && letter <= 'z') ? letter - 32 : letter; }
const std::string& GetVariable(int code);
// Sets the variable when the text fits (TextFits); otherwise leaves it as it was.
void SetVariable(int code, std::string text);
// The variable's text to change in place: check TextFits before it grows.
std::string& VariableSlot(int code);
void ClearVariables();
int NameCount();

}  // namespace Variables
