// The variable table: 256 text slots, letter variables at the codes of A..Z and named
// variables at codes given by their order of first mention (91 upwards, wrapping to 0..64).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/text/text_kit.h"

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

// Code of a folded name; a new name is appended to the name list. Returns -1 (after telling
// the user) when the program already mentioned as many names as the table holds.
int VariableCodeForName(std::string_view foldedName);
// Code of a letter variable (either case).
inline int LetterCode(char letter) { return TextKit::AsciiUpper(letter); }
// Sets the variable when the text fits (TextFits); otherwise leaves it as it was.
void SetVariable(int code, std::string text);
// The same for a text held elsewhere (it may be the variable's own text, or part of it):
// copied into the variable's own storage, which is kept when it is large enough.
bool AssignVariable(int code, std::string_view text);
// In-place changes that check TextFits before the variable grows; false (the variable as it
// was) when the text does not fit. `text` may be part of any variable, this one too.
bool AppendToVariable(int code, std::string_view text);
bool ReplaceVariableTail(int code, std::size_t from, std::string_view text);
void EraseFromVariable(int code, std::size_t position, std::size_t count);
// The variable's text to change in place: check TextFits before it grows. (The in-place
// operations above are cheaper: after this the bytes held are counted again.)
std::string& VariableSlot(int code);
void ClearVariables();
int NameCount();

// The table itself, reached inline from the readers, which every line executed goes through.
struct State {
  std::array<std::string, 256> slots;
  std::map<std::string, int, std::less<>> codes;
  // Bytes of every slot's text together, kept by every change; `heldStale` when a slot was
  // handed out to be changed in place, and the bytes must be counted again.
  std::size_t held = 0;
  bool heldStale = false;
  bool refused = false;  // a text did not fit during the current command
  // Changes whenever the name list is emptied: a code kept for a name stands while it does.
  unsigned namesGeneration = 1;
  // Names met again are found in a small table by a hash of the name before the name list
  // is searched: a line that reads $total does so on every pass. Emptied with the variables.
  std::array<std::string, 64> memoNames;
  std::array<int, 64> memoCodes{};
};
inline State theState;

inline const std::string& GetVariable(int code) { return theState.slots[static_cast<uint8_t>(code)]; }

inline unsigned NamesGeneration() { return theState.namesGeneration; }

// Whether a TextFits refusal happened since the last call; clears it.
inline bool TakeTextRefused() {
  const bool refused = theState.refused;
  theState.refused = false;
  return refused;
}

}  // namespace Variables
