// The variable table: 256 text slots, letter variables at the codes of A..Z and named
// variables at codes given by their order of first mention (91 upwards, wrapping to 0..64).
#pragma once

#include <string>
#include <string_view>

namespace Variables {

inline constexpr int kMaxNames = 230;
// Longest text a command may build; beyond it the command fails instead of exhausting memory.
inline constexpr std::size_t kMaxTextLength = std::size_t{1} << 26;

// Code of a folded name; a new name is appended to the name list. Returns -1 (after telling
// the user) when the program already mentioned as many names as the table holds.
int VariableCodeForName(std::string_view foldedName);
// Code of a letter variable (either case).
inline int LetterCode(char letter) { return (letter >= 'a' && letter <= 'z') ? letter - 32 : letter; }
const std::string& GetVariable(int code);
void SetVariable(int code, std::string text);
std::string& VariableSlot(int code);
void ClearVariables();
int NameCount();

}  // namespace Variables
