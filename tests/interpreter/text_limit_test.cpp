// One limit bounds every text a program builds: a variable's text, values joined by ESCREVE
// and FALA, a list's contents, and everything held together. The command that would pass it
// fails with "Texto longo demais para a memória" and the run ends at its line.
#include <algorithm>

#include "tests/support/interp_fixture.h"
#include "interpreter/lists.h"

namespace {

using Interp::Outcome;

constexpr const char* kTooLong = "line: Texto longo demais para a memória";

class TextLimitTest : public InterpTest {
 protected:
  bool Said(const std::string& event) {
    const auto events = Events();
    return std::find(events.begin(), events.end(), event) != events.end();
  }
  // Lines that leave `variable` holding 2^doublings letters a.
  static std::vector<std::string> Doubled(const std::string& variable, int doublings) {
    return {"seja " + variable + " \"a\"", "repete i " + std::to_string(doublings), "concatena " + variable + " " + variable,
            "fim repete"};
  }
  static std::vector<std::string> Then(std::vector<std::string> lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
  }
};

TEST_F(TextLimitTest, AListGrowsNoFurtherThanOneText) {
  // 32 MiB added again and again: the third addition would pass 64 MiB.
  auto r = Run(Then(Doubled("x", 25), {"lista [l] cria", "@mais", "lista [l] adiciona x", "desvia @mais"}));
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_EQ(r.line, 7);
  EXPECT_TRUE(Said(kTooLong));
  const auto* list = Lists::FindList("l");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->size(), 1u);
  // Empty items count too: a list of nothing cannot grow without bound either.
  EXPECT_LT(Lists::TotalBytes(), Variables::kMaxTextLength);
}

TEST_F(TextLimitTest, JoinedValuesFailBeforeAnythingIsWrittenOrSaid) {
  auto r = Run(Then(Doubled("x", 25), {"escreve mudo x x x"}));
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_EQ(r.line, 5);
  EXPECT_TRUE(Said(kTooLong));
  EXPECT_EQ(Console::RowText(2), "");  // only the message was written

  Start("");
  r = Run(Then(Doubled("x", 25), {"fala x x x &"}));
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_TRUE(Said(kTooLong));
  const auto events = Events();
  EXPECT_TRUE(std::none_of(events.begin(), events.end(), [](const std::string& e) { return e.size() > 1000; }));
}

TEST_F(TextLimitTest, VariablesAndEverythingTogether) {
  auto r = Run(Doubled("x", 27));  // the 27th doubling would make 128 MiB
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_EQ(r.line, 3);
  EXPECT_EQ(Var("X").size(), std::size_t{1} << 26);
  EXPECT_TRUE(Said(kTooLong));

  // Four texts of 64 MiB are nearly all a program may hold (the counter i holds a little
  // more); a fourth copy does not fit, and SEJA, which does not check for itself, fails all
  // the same.
  Start("");
  r = Run(Then(Doubled("x", 26), {"seja a x", "seja b x", "seja c x"}));
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_EQ(r.line, 7);
  EXPECT_EQ(Var("B").size(), std::size_t{1} << 26);
  EXPECT_EQ(Var("C"), "");
  // Making room lets the program go on: a variable set to less always fits.
  r = Run({"seja a \"\"", "seja c x", "soma a 1"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_EQ(Var("C").size(), std::size_t{1} << 26);
}

TEST_F(TextLimitTest, SubstituiStopsAtTheLimit) {
  auto r = Run(Then(Doubled("x", 24), {"substitui x \"a\" \"aaaaa\""}));
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_EQ(Var("X").size(), std::size_t{1} << 24);  // unchanged
  EXPECT_TRUE(Said(kTooLong));
}

TEST_F(TextLimitTest, SomaWrapsAt32BitsAsTheOtherOperations) {
  ASSERT_TRUE(Line("seja x 2147483647"));
  ASSERT_TRUE(Line("soma x 1"));
  EXPECT_EQ(Var("X"), "-2147483648");
  ASSERT_TRUE(Line("seja x \"item-2147483648\""));
  ASSERT_TRUE(Line("soma x -1"));
  EXPECT_EQ(Var("X"), "item2147483647");
  ASSERT_TRUE(Line("seja x \"n99999999999\""));  // beyond 32 bits: its low 32 bits
  ASSERT_TRUE(Line("soma x 1"));
  EXPECT_EQ(Var("X"), "n1215752192");
  ASSERT_TRUE(Line("seja x \"abc\""));
  ASSERT_TRUE(Line("soma x 1"));
  EXPECT_EQ(Var("X"), "abc1");
}

}  // namespace
