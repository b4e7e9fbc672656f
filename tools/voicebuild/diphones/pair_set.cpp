// Any rule's output may follow any other's, so the pairs across rules are the last phones
// of all outputs against the first phones of all outputs: more than words will use, but
// nothing a word can need is left out.
#include "tools/voicebuild/diphones/pair_set.h"

#include <set>

#include "speech/diphone_phones.h"
#include "tts/rules.h"

namespace PairSet {

bool FromRules(const std::string& rulesPath, Wanted& wanted) {
  Sonora::RuleState rules;
  if (!Sonora::LoadRulesInto(rules, rulesPath, Sonora::RuleFormat{11, 32, 95})) return false;
  std::set<std::pair<int, int>> pairs;
  std::set<int> firsts, lasts, all;
  for (const auto& list : rules.byFirstLetter)
    for (const Sonora::Rule& rule : list) {
      const auto tokens = DiphonePhones::Read(rule.output);
      if (tokens.empty()) continue;
      firsts.insert(tokens.front().phone);
      lasts.insert(tokens.back().phone);
      for (std::size_t i = 0; i < tokens.size(); ++i) {
        all.insert(tokens[i].phone);
        if (i + 1 < tokens.size()) pairs.insert({tokens[i].phone, tokens[i + 1].phone});
      }
    }
  for (int a : lasts) {
    pairs.insert({a, DiphonePhones::kSilence});
    for (int b : firsts) pairs.insert({a, b});
  }
  for (int b : firsts) pairs.insert({DiphonePhones::kSilence, b});
  // A reduced vowel goes wherever its full vowel can end a word.
  const int s = DiphonePhones::Read("s").front().phone;
  for (const auto& [x, y] : std::set<std::pair<int, int>>(pairs)) {
    if (const int r = DiphonePhones::ReducedOf(y); r >= 0) pairs.insert({x, r});
    if (const int r = DiphonePhones::ReducedOf(x); r >= 0 && (y == DiphonePhones::kSilence || firsts.contains(y) || y == s))
      pairs.insert({r, y});
  }
  wanted.pairs.assign(pairs.begin(), pairs.end());
  // Alone are played only the units of one letter (a word "a", or the halves a missing
  // pair falls back to), so only phones of a one-letter code; the others' names would
  // be those of pairs ("$AN" is a before n).
  for (int p : all)
    if (DiphonePhones::Table()[static_cast<std::size_t>(p)].code.size() == 1) wanted.solos.push_back(p);
  return true;
}

}  // namespace PairSet
