// Letter-to-sound rules: loading the rules file and converting one word into phoneme lines.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace Sonora {

struct Rule {
  std::string left;    // context before the focus, read right to left (up to 5 characters)
  std::string focus;   // the letters the rule consumes (1 to 5 characters, upper-case)
  std::string right;   // context after the focus (up to 5 characters)
  std::string output;  // phoneme names separated by "&" (up to 20 characters)
};

struct RuleState {
  std::array<std::vector<Rule>, 256> byFirstLetter;  // file order within each list
};

inline constexpr std::size_t kMaxContext = 5;
inline constexpr std::size_t kMaxFocus = 5;
inline constexpr std::size_t kMaxOutput = 20;

RuleState& Rules();
void ResetRules();

// How a rules file is read: the widest output kept and the codes of the first focus
// character that get a rule list (other rules are dropped). The diphone voice keeps
// outputs of 11 characters and lists for codes 32..95 only.
struct RuleFormat {
  std::size_t maxOutput = kMaxOutput;
  unsigned firstFocusCode = 32;
  unsigned lastFocusCode = 255;
};

// Fills `state` with the file's rules; false only when the file cannot be read.
bool LoadRulesInto(RuleState& state, const std::string& path, const RuleFormat& format);

// The first rule of its letter's list that matches the word at 0-based position p;
// nullptr when none does (word characters are compared ASCII upper-cased).
const Rule* FindRule(const RuleState& state, const std::string& word, std::size_t p);

// Replaces the rule lists with the file's rules; false only when the file cannot be read.
// Lines that do not parse into a focus are ignored.
bool LoadRules(const std::string& path);

// Appends the phoneme lines of an upper-case word, the first phoneme of the rule that
// starts at or after the stressed letter (1-based; 0 for none) marked with ">", and then
// the empty line that ends the word.
void ConvertWord(const std::string& word, std::size_t stress, std::vector<std::string>& lines);

}  // namespace Sonora
