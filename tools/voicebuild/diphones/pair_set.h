// The diphones the rules can ask for: every pair of phones that can meet inside one rule's
// output or across two rules, silence before and after, and each phone alone.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace PairSet {

struct Wanted {
  std::vector<std::pair<int, int>> pairs;  // phone indexes of DiphonePhones::Table()
  std::vector<int> solos;                  // phones of one-letter codes, recorded alone
};

// From the rules file; false when it cannot be read.
bool FromRules(const std::string& rulesPath, Wanted& wanted);

}  // namespace PairSet
