// Searching and SUBSTITUI's replacement agree with the plain window-by-window algorithm on
// every small case, including replacements that are matched again by later windows.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "interpreter/text_search.h"

namespace {

// SUBSTITUI as the language defines it: windows from the end to the start, each tried on
// the text as the replacements to its right left it.
std::string WindowByWindow(std::string text, const std::string& from, const std::string& to) {
  for (int64_t p = static_cast<int64_t>(text.size()) - static_cast<int64_t>(from.size()) + 1; p >= 1; --p)
    if (text.compare(static_cast<std::size_t>(p - 1), from.size(), from) == 0)
      text.replace(static_cast<std::size_t>(p - 1), from.size(), to);
  return text;
}

std::string Replaced(const std::string& text, const std::string& from, const std::string& to) {
  std::string result;
  EXPECT_TRUE(TextSearch::ReplaceFromEnd(text, from, to, std::size_t{1} << 26, result));
  return result;
}

TEST(TextSearch, ReplacementsOfTheLanguage) {
  EXPECT_EQ(Replaced("um dois tres", " ", "+"), "um+dois+tres");
  EXPECT_EQ(Replaced("aaaa", "aa", "a"), "a");  // each replacement is seen again to its left
  EXPECT_EQ(Replaced("aaa", "aa", "b"), "ab");  // from the end: the last window wins
  EXPECT_EQ(Replaced("ab", "", "x"), "xaxbx");  // an empty pattern matches every window
  EXPECT_EQ(Replaced("", "", "x"), "x");
  EXPECT_EQ(Replaced("abc", "abcd", "x"), "abc");
  EXPECT_EQ(Replaced("abc", "b", ""), "ac");
}

TEST(TextSearch, AgreesWithTheWindowByWindowAlgorithm) {
  std::mt19937 random(20240611);
  auto word = [&](int maxLength, const char* letters) {
    std::string w(std::uniform_int_distribution<int>(0, maxLength)(random), ' ');
    for (char& c : w) c = letters[std::uniform_int_distribution<int>(0, static_cast<int>(std::strlen(letters)) - 1)(random)];
    return w;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::string text = word(24, "ab"), from = word(4, "ab"), to = word(5, "abc");
    ASSERT_EQ(Replaced(text, from, to), WindowByWindow(text, from, to))
        << "text \"" << text << "\" from \"" << from << "\" to \"" << to << "\"";
    EXPECT_EQ(TextSearch::Find(text, from), text.find(from)) << text << " / " << from;
  }
}

TEST(TextSearch, ResultsBeyondTheLimitAreRefused) {
  std::string result;
  EXPECT_FALSE(TextSearch::ReplaceFromEnd(std::string(1000, 'a'), "a", "bb", 1999, result));
  EXPECT_TRUE(TextSearch::ReplaceFromEnd(std::string(1000, 'a'), "a", "bb", 2000, result));
  EXPECT_EQ(result, std::string(2000, 'b'));
  EXPECT_FALSE(TextSearch::ReplaceFromEnd(std::string(1000, 'a'), "", "b", 2000, result));
}

TEST(TextSearch, LongPatternsOverLongTextsStayLinear) {
  // Patterns that almost match everywhere: a window-by-window search compares most of the
  // pattern at every position (about 10^12 steps here); this search does a few million.
  const std::string text(2000000, 'a');
  const std::string pattern = std::string(1000000, 'a') + "b";
  EXPECT_EQ(TextSearch::Find(text, pattern), std::string::npos);
  EXPECT_EQ(TextSearch::Find(text + "b", pattern), 1000000u);
  EXPECT_EQ(Replaced(text, pattern, "x"), text);
  EXPECT_EQ(Replaced(text + "b", pattern, "x"), std::string(1000000, 'a') + "x");
  // The replacement scans from the end: the same with the odd letter first.
  const std::string mirrored = "b" + std::string(1000000, 'a');
  EXPECT_EQ(Replaced(text, mirrored, "x"), text);
  EXPECT_EQ(Replaced("b" + text, mirrored, "x"), "x" + std::string(1000000, 'a'));
}

}  // namespace
