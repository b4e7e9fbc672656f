// The abbreviation table: keys (upper-cased) and the words that replace them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Sonora {

struct Abbreviation {
  std::string key;        // upper-cased; may hold ". " for abbreviations of several words
  std::string expansion;  // at most kMaxExpansion characters
};

struct AbbreviationState {
  std::vector<Abbreviation> entries;  // file order; the first of equal keys wins
  std::vector<std::size_t> phraseKeys;  // entries whose key holds a full stop ("P. EX")
};

inline constexpr std::size_t kMaxAbbreviations = 2000;
inline constexpr std::size_t kMaxExpansion = 999;

AbbreviationState& Abbreviations();
void ResetAbbreviations();

// Replaces the table with the file's pairs; false when the file cannot be read.
// Entries past kMaxAbbreviations are ignored.
bool LoadAbbreviations(const std::string& path);

// The expansion of an upper-cased key, or nullptr.
const std::string* FindAbbreviation(std::string_view upperKey);

}  // namespace Sonora
