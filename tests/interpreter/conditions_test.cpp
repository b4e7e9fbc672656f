// Conditions of SE and ENQUANTO: keys, operators, negation and lists.
#include <random>

#include "tests/support/interp_fixture.h"
#include "interpreter/conditions.h"
#include "interpreter/text.h"

namespace {

class ConditionsTest : public InterpTest {
 protected:
  // The truth of a condition, or nullopt when it does not parse.
  std::optional<bool> Eval(const std::string& text) {
    const std::string bytes = Cp1252::FromUtf8(text);
    std::string_view args = bytes;
    bool truth = false;
    if (!Conditions::EvaluateCondition(args, truth)) return std::nullopt;
    return truth;
  }
};

TEST(ComparisonKey, DigitTextsCompareByValue) {
  EXPECT_EQ(Conditions::ComparisonKey("1"), std::string(20, '0') + "1");
  EXPECT_EQ(Conditions::ComparisonKey(""), std::string(20, '0'));
  EXPECT_EQ(Conditions::ComparisonKey(std::string(25, '7')), std::string(21, '7'));
  EXPECT_EQ(Conditions::ComparisonKey("abc"), "ABC");
  EXPECT_EQ(Conditions::ComparisonKey("-5"), "-5");
}

TEST_F(ConditionsTest, ComparisonsOrderAsTheKeysDo) {
  // Texts of digits, letters of both cases, accents and blanks, short and long, side by side
  // with digit texts: every ordering operator and EM agree with the keys built in full.
  std::mt19937 random(7);
  const std::string alphabet = Cp1252::FromUtf8("0123456789aBzZ -ãÃé");
  const auto text = [&] {
    std::string t;
    const int length = static_cast<int>(random() % 26);
    const bool digits = random() % 2 == 0;
    for (int i = 0; i < length; ++i) t += digits ? static_cast<char>('0' + random() % 10) : alphabet[random() % alphabet.size()];
    return t;
  };
  const auto quoted = [](const std::string& t) { return "\"" + t + "\""; };
  for (int round = 0; round < 3000; ++round) {
    const std::string a = text(), b = text();
    const int order = Conditions::ComparisonKey(a).compare(Conditions::ComparisonKey(b));
    const auto eval = [&](const std::string& op) {
      std::string line = quoted(a) + " " + op + " " + quoted(b);
      std::string_view args = line;
      bool truth = false;
      EXPECT_TRUE(Conditions::EvaluateCondition(args, truth)) << line;
      return truth;
    };
    EXPECT_EQ(eval("<"), order < 0) << a << " / " << b;
    EXPECT_EQ(eval(">"), order > 0) << a << " / " << b;
    EXPECT_EQ(eval("="), order == 0) << a << " / " << b;
    EXPECT_EQ(eval(">="), order >= 0) << a << " / " << b;
    EXPECT_EQ(eval("<>"), order != 0) << a << " / " << b;
    if (HasFailure()) break;
  }
  // EM against items of both kinds, with texts that differ from an item only by case or by
  // leading zeros, and texts of their own.
  ASSERT_TRUE(Line("lista [r] cria"));
  std::vector<std::string> items;
  for (int i = 0; i < 40; ++i) {
    items.push_back(text());
    ASSERT_TRUE(Line("lista [r] adiciona " + quoted(Cp1252::ToUtf8(items.back()))));
  }
  for (int round = 0; round < 2000; ++round) {
    std::string a = items[random() % items.size()];
    if (random() % 3 == 0) a = text();
    else if (!a.empty() && Text::IsDigit(a[0])) a.insert(0, random() % 3, '0');
    else
      for (char& c : a)
        if (random() % 2) c = Text::FoldChar(c);
    bool expected = false;
    for (const std::string& item : items) expected |= Conditions::ComparisonKey(a) == Conditions::ComparisonKey(item);
    std::string line = quoted(a) + " em [r]";
    std::string_view args = line;
    bool truth = false;
    ASSERT_TRUE(Conditions::EvaluateCondition(args, truth)) << line;
    EXPECT_EQ(truth, expected) << a;
    if (HasFailure()) break;
  }
  ASSERT_TRUE(Line("lista [l] cria"));
  ASSERT_TRUE(Line("lista [l] adiciona \"item 1\""));
  ASSERT_TRUE(Line("lista [l] adiciona \"0042\""));
  EXPECT_EQ(Eval("42 em [l]"), true);
  EXPECT_EQ(Eval("\"ITEM 1\" em [l]"), true);
  EXPECT_EQ(Eval("\"item\" em [l]"), false);
  EXPECT_EQ(Eval("1 em [l]"), false);
}

TEST_F(ConditionsTest, Ordering) {
  EXPECT_EQ(Eval("9 < 10"), true);
  EXPECT_EQ(Eval("\"abc\" < \"abd\""), true);
  EXPECT_EQ(Eval("\"ab\" < \"abc\""), true);  // a proper prefix sorts first
  EXPECT_EQ(Eval("-5 < 3"), true);            // as texts: "-" sorts before "3"
  EXPECT_EQ(Eval("-5 < -3"), false);
  EXPECT_EQ(Eval("\"\" < 0"), true);          // the empty text is twenty zeros
  EXPECT_EQ(Eval("\"\" = \"\""), true);
  EXPECT_EQ(Eval("00 = \"\""), false);
  EXPECT_EQ(Eval("0000000000000000000000012 = 12"), true);  // only the last 21 digits count
  EXPECT_EQ(Eval("\"2a\" > 10"), true);
  EXPECT_EQ(Eval("\"B\" >= \"a\""), true);    // keys are folded
  EXPECT_EQ(Eval("\"ação\" = \"AÇÃO\""), true);
  EXPECT_EQ(Eval("10 <= 10"), true);
  EXPECT_EQ(Eval("10 > 9"), true);
  EXPECT_EQ(Eval("\"a\" <> \"A\""), false);
}

TEST_F(ConditionsTest, TextOperatorsAreCaseSensitive) {
  ASSERT_TRUE(Line("seja $busca \"https://x/watch?v=abc\""));
  EXPECT_EQ(Eval("$busca *=* \"watch?v=\""), true);
  EXPECT_EQ(Eval("$busca *=* \"WATCH?V=\""), false);
  EXPECT_EQ(Eval("$busca =* \"https\""), true);
  EXPECT_EQ(Eval("$busca *= \"abc\""), true);
  EXPECT_EQ(Eval("$busca *=* \"\""), false);  // an empty right side is never found
  EXPECT_EQ(Eval("\"a\" == \"A\""), false);
  EXPECT_EQ(Eval("\"01\" == 1"), false);
  ASSERT_TRUE(Line("seja $pasta \"c:\\\\dados\\\\sub\""));
  EXPECT_EQ(Eval("não $pasta *= \"\\\""), true);
  ASSERT_TRUE(Line("concatena $pasta \"\\\""));
  EXPECT_EQ(Eval("não $pasta *= \"\\\""), false);
}

TEST_F(ConditionsTest, NegationAndLists) {
  EXPECT_EQ(Eval("não 1 = 1"), false);
  EXPECT_EQ(Eval("NAO1 = 2"), true);
  EXPECT_EQ(Eval("não"), std::nullopt);
  ASSERT_TRUE(Line("lista [L] cria"));
  ASSERT_TRUE(Line("lista [L] adiciona \"007\""));
  EXPECT_EQ(Eval("7 em [L]"), true);  // elements compare by their keys
  EXPECT_EQ(Eval("não 8 em [L]"), true);
  EXPECT_EQ(Eval("7 em [Outra]"), std::nullopt);
}

TEST_F(ConditionsTest, MalformedConditionsDoNotParse) {
  for (const char* bad : {"", "x", "1 =", "1 ! 2", "= 1", "1 em", "1 em L"})
    EXPECT_EQ(Eval(bad), std::nullopt) << bad;
  const std::string text = "1 = 1 escreve \"x\"";
  std::string_view args = text;
  bool truth;
  ASSERT_TRUE(Conditions::EvaluateCondition(args, truth));
  EXPECT_EQ(args, "escreve \"x\"");
}

}  // namespace
