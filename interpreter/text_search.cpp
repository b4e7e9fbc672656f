// Searches by memchr and comparison, with Knuth-Morris-Pratt matching where those would
// take more than linear time, and SUBSTITUI's right-to-left replacement done in
// one pass: the text is walked from its end and the result built reversed on a stack, with
// the matcher's state kept at checkpoints so that a replacement costs the length of the
// pattern and of its replacement, never the length of the text.
#include "interpreter/text_search.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace TextSearch {
namespace {

// fail[i]: length of the longest proper prefix of pattern[0..i] that is also its suffix.
std::vector<uint32_t> FailureTable(std::string_view pattern) {
  std::vector<uint32_t> fail(pattern.size(), 0);
  uint32_t k = 0;
  for (std::size_t i = 1; i < pattern.size(); ++i) {
    while (k > 0 && pattern[i] != pattern[k]) k = fail[k - 1];
    if (pattern[i] == pattern[k]) ++k;
    fail[i] = k;
  }
  return fail;
}

// The matcher: its state is how much of the pattern ends the text fed so far (the whole
// pattern's length when the text ends with it).
struct Matcher {
  std::string_view pattern;
  std::vector<uint32_t> fail;

  explicit Matcher(std::string_view p) : pattern(p), fail(FailureTable(p)) {}

  uint32_t Step(uint32_t state, char c) const {
    if (state == pattern.size()) state = fail[state - 1];
    while (state > 0 && pattern[state] != c) state = fail[state - 1];
    if (pattern[state] == c) ++state;
    return state;
  }
};

}  // namespace

std::size_t Find(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return 0;
  if (pattern.size() > text.size()) return std::string_view::npos;
  // The plain search (the first character found with memchr, the rest compared) is the
  // fastest on ordinary texts; it may compare more than the text's length only on texts
  // full of near matches, and then the matcher goes on from where it stood.
  const char first = pattern[0];
  const std::size_t last = text.size() - pattern.size();
  std::size_t budget = 4 * text.size() + 64;
  std::size_t i = 0;
  while (i <= last) {
    const void* hit = std::memchr(text.data() + i, first, last - i + 1);
    if (!hit) return std::string_view::npos;
    i = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    std::size_t k = 1;
    while (k < pattern.size() && text[i + k] == pattern[k]) ++k;
    if (k == pattern.size()) return i;
    if (budget < k) break;
    budget -= k;
    ++i;
  }
  if (i > last) return std::string_view::npos;
  const Matcher m(pattern);
  uint32_t state = 0;
  for (std::size_t j = i; j < text.size(); ++j) {
    state = m.Step(state, text[j]);
    if (state == pattern.size()) return j + 1 - pattern.size();
  }
  return std::string_view::npos;
}

bool ReplaceFromEnd(std::string_view text, std::string_view pattern, std::string_view with, std::size_t maxLength,
                    std::string& result) {
  // Reversed, the scan from the end becomes a walk from the start: each character of the
  // text is pushed on the stack, and when the stack then ends with the reversed pattern,
  // those characters are replaced by the reversed replacement. A window overlapping an
  // earlier replacement is the stack's end reaching into that replacement.
  const std::string reversedWith(with.rbegin(), with.rend());
  std::string stack;
  if (pattern.empty()) {
    stack += reversedWith;
    for (std::size_t i = text.size(); i-- > 0;) {
      stack.push_back(text[i]);
      stack += reversedWith;
      if (stack.size() > maxLength) return false;
    }
    result.assign(stack.rbegin(), stack.rend());
    return true;
  }
  if (pattern.size() == 1) {
    // A window of one character never reaches into a replacement: each character of the
    // text is replaced or kept on its own.
    const char c = pattern[0];
    result.clear();
    for (char t : text) {
      if (t == c) result += with;
      else result.push_back(t);
      if (result.size() > maxLength) return false;
    }
    return true;
  }
  const std::string reversedPattern(pattern.rbegin(), pattern.rend());
  const Matcher m(reversedPattern);
  const std::size_t length = pattern.size();
  // checkpoints[i]: the matcher's state after the first i × every characters of the stack.
  const std::size_t every = std::max<std::size_t>(length, 8);
  std::vector<uint32_t> checkpoints{0};
  uint32_t state = 0;
  auto push = [&](char c) {
    state = m.Step(state, c);
    stack.push_back(c);
    if (stack.size() % every == 0) checkpoints.push_back(state);
  };
  for (std::size_t i = text.size(); i-- > 0;) {
    push(text[i]);
    if (state != length) continue;
    stack.resize(stack.size() - length);
    checkpoints.resize(stack.size() / every + 1);
    state = checkpoints.back();
    for (std::size_t k = (stack.size() / every) * every; k < stack.size(); ++k) state = m.Step(state, stack[k]);
    for (char c : reversedWith) push(c);
    if (stack.size() > maxLength) return false;
  }
  result.assign(stack.rbegin(), stack.rend());
  return true;
}

}  // namespace TextSearch
