// Word exceptions: whole words respelled before the letter-to-sound rules run.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Sonora {

struct ExceptionState {
  std::vector<std::pair<std::string, std::string>> words;  // (word, replacement), sorted by word
};

inline constexpr std::size_t kMaxExceptions = 15000;
inline constexpr std::size_t kMaxExceptionLine = 255;

ExceptionState& Exceptions();
void ResetExceptions();

// Replaces the table with the file's entries; false only when the file cannot be read.
bool LoadExceptions(const std::string& path);
// The same into another table; without upperCase the lines keep their case (the
// diphone voice writes its words lower-case).
bool LoadExceptionsInto(ExceptionState& state, const std::string& path, bool upperCase);

// The upper-case word with its exception applied: a word not in the table loses its
// final S and M letters one at a time until a shorter form is found, and the letters
// come back behind the replacement (CASAS with an entry for CASA).
std::string ApplyExceptions(const std::string& word);
// The same over another table, with the final letters that are stripped given.
std::string ApplyExceptionsIn(const ExceptionState& state, const std::string& word, char s, char m);

}  // namespace Sonora
