// The transcriber's rules on the texts a program writes (numbers, capitals, ordinals,
// parentheses, backtick signs) and the cells the display shows for them.
#include <gtest/gtest.h>

#include <random>

#include "console/braille_text.h"
#include "platform/text/cp1252.h"

namespace {

std::string T(std::string_view text) { return BrailleText::BrailleTranscribe(text); }

class BrailleTextTest : public ::testing::Test {
 protected:
  void SetUp() override { BrailleText::ResetBrailleText(); }
};

TEST_F(BrailleTextTest, NumbersCapitalsAndOrdinalsOfTheExamples) {
  EXPECT_EQ(T("Ano 2010"), "{ano #bjaj");
  EXPECT_EQ(T("3.14"), "#c.#ad");
  EXPECT_EQ(T("1.000"), "#a.jjj");
  EXPECT_EQ(T("ABC"), "{{abc");
  EXPECT_EQ(T("ABCd"), "{{abc~d");
  EXPECT_EQ(T("1º"_cp), "#,o");
  EXPECT_EQ(T("2ª"_cp), "#;a");
  EXPECT_EQ(T("10o. lugar"), "#,}o. lugar");
  EXPECT_EQ(T("3as."), "#:as.");
  // Letters a..j after digits would read as digits: ~ ends the number.
  EXPECT_EQ(T("2a"), "#b~a");
  EXPECT_EQ(T("5k"), "#ek");
  EXPECT_EQ(T("R$ 1,50"), "{r$ #a,ej");
  // The number sign is repeated after a point only in short groups.
  EXPECT_EQ(T("12.5"), "#ab.#e");
  EXPECT_EQ(T("123.4"), "#abc.d");
}

TEST_F(BrailleTextTest, AccentedCapitalsAndWords) {
  EXPECT_EQ(T("Éramos"_cp), "{éramos"_cp);
  EXPECT_EQ(T("ÁGUA fria"_cp), "{{água fria"_cp);
  EXPECT_EQ(T("guarda-chuva"), "guarda-chuva");
  // The multiplication sign and the sharp s are no capitals.
  EXPECT_EQ(T("×"_cp), "×"_cp);
  EXPECT_EQ(T("ß"_cp), std::string("\xAC" "b"));
  EXPECT_EQ(T("AB×"_cp), "{{ab×"_cp);
}

TEST_F(BrailleTextTest, ParenthesesAroundNumbersAndTheFlagBetweenRows) {
  EXPECT_EQ(T("(12)"), "ê#abã"_cp);
  EXPECT_EQ(T("[3]"), "á#cú"_cp);
  // A text parenthesis: opened on one row, closed on the next, after a number.
  EXPECT_EQ(T("(ano"), "(.ano");
  EXPECT_TRUE(BrailleText::ParenthesisOpen());
  EXPECT_EQ(T("2010)"), "#bjaj\\)");
  EXPECT_FALSE(BrailleText::ParenthesisOpen());
  // An opening before a number whose closing follows a word: a text parenthesis.
  EXPECT_EQ(T("(1 a)"), "(.#a a\\)");
  EXPECT_EQ(T("[1 a]"), "[.#a a\\]");
}

TEST_F(BrailleTextTest, BacktickSignsAndTheReplacementTable) {
  EXPECT_EQ(T("`3/4"), "#:4");
  EXPECT_EQ(T("`12"), "#,;");
  EXPECT_EQ(T("`x"), "×"_cp);
  EXPECT_EQ(T("`%"), "_}}");
  EXPECT_EQ(T("`{`}"), "~l_,");
  EXPECT_EQ(T("``"), "");
  EXPECT_EQ(T("`e"), std::string("\x80" "e"));
  EXPECT_EQ(T("`o`^"), "°å"_cp);
  EXPECT_EQ(T("`"), "`");
  EXPECT_EQ(T("`z"), "`z");
  EXPECT_EQ(T("50%"), "#ej_}");
  EXPECT_EQ(T("a/b"), "a\\,b");
  EXPECT_EQ(T("c:\\x"), "c:~.x");
  EXPECT_EQ(T("\"sim\""), "\"sim\"");
  EXPECT_EQ(T("“sim”"_cp), "\"sim\"");
  EXPECT_EQ(T("…"_cp), "...");
  EXPECT_EQ(T("–—"_cp), "----");
  EXPECT_EQ(T("½ ¼ ¾"_cp), "#,b #,d #:d");
  EXPECT_EQ(T("m²"_cp), "m" "\xE5" "#b");
  EXPECT_EQ(T("€"_cp), std::string("\x80" "e"));
  EXPECT_EQ(T("«x»"_cp), "\\\"x\\\"");
}

// The cells of the alphabet are those of Portuguese computer braille.
TEST_F(BrailleTextTest, CellsOfLettersDigitsAndSigns) {
  auto dots = [](std::initializer_list<int> list) {
    uint8_t cell = 0;
    for (int d : list) cell |= static_cast<uint8_t>(1 << (d - 1));
    return cell;
  };
  EXPECT_EQ(BrailleText::CellOf('a'), dots({1}));
  EXPECT_EQ(BrailleText::CellOf('A'), dots({1}));
  EXPECT_EQ(BrailleText::CellOf('n'), dots({1, 3, 4, 5}));
  EXPECT_EQ(BrailleText::CellOf('Z'), dots({1, 3, 5, 6}));
  EXPECT_EQ(BrailleText::CellOf('j'), dots({2, 4, 5}));
  EXPECT_EQ(BrailleText::CellOf('0'), dots({2, 4, 5}));
  EXPECT_EQ(BrailleText::CellOf('#'), dots({3, 4, 5, 6}));
  EXPECT_EQ(BrailleText::CellOf('{'), dots({4, 6}));
  EXPECT_EQ(BrailleText::CellOf('~'), dots({5}));
  EXPECT_EQ(BrailleText::CellOf('.'), dots({3}));
  EXPECT_EQ(BrailleText::CellOf(static_cast<uint8_t>("ç"_cp[0])), dots({1, 2, 3, 4, 6}));
  EXPECT_EQ(BrailleText::CellOf(static_cast<uint8_t>("ã"_cp[0])), dots({3, 4, 5}));
  EXPECT_EQ(BrailleText::CellOf(static_cast<uint8_t>("Ç"_cp[0])), dots({1, 2, 3, 4, 6}));
  EXPECT_EQ(BrailleText::CellOf(' '), 0);
  EXPECT_EQ(BrailleText::CellOf(9), 0);
  EXPECT_EQ(BrailleText::CellOf(15), dots({4, 6}));
  // Characters without a cell are blank.
  for (int c : {134, 164, 169, 208, 240, 254}) EXPECT_EQ(BrailleText::CellOf(static_cast<uint8_t>(c)), 0) << c;
  EXPECT_EQ(BrailleText::Cells("{ano #bjaj"),
            (std::vector<uint8_t>{dots({4, 6}), dots({1}), dots({1, 3, 4, 5}), dots({1, 3, 5}), 0,
                                  dots({3, 4, 5, 6}), dots({1, 2}), dots({2, 4, 5}), dots({1}),
                                  dots({2, 4, 5})}));
}

// Every byte in any order, rows from empty to 10 000 characters: an output, and every
// output character knows the row character it came from.
TEST_F(BrailleTextTest, AnyRowTranscribes) {
  std::mt19937 random(19);
  for (int round = 0; round < 300; ++round) {
    const std::size_t length = round == 0 ? 0 : round == 1 ? 10000 : random() % 400;
    std::string row(length, ' ');
    for (char& c : row) c = static_cast<char>(random() % 256);
    std::vector<int> sourceOf;
    const std::string braille = BrailleText::BrailleTranscribe(row, &sourceOf);
    ASSERT_EQ(sourceOf.size(), braille.size());
    for (std::size_t i = 1; i < sourceOf.size(); ++i) ASSERT_LE(sourceOf[i - 1], sourceOf[i]);
    if (!sourceOf.empty()) ASSERT_LT(static_cast<std::size_t>(sourceOf.back()), row.size());
  }
  for (int c = 0; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    EXPECT_FALSE(T(one + one + one).empty() && c != '`') << c;
  }
}

}  // namespace
