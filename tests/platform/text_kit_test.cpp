// The text toolkit: trimming, case folding, hex digits and decimal numbers at their edges.
#include <gtest/gtest.h>

#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"

using namespace TextKit;

TEST(TextKit, TrimsEmptyAndAllBlankText) {
  EXPECT_EQ(TrimSpacesTabs(""), "");
  EXPECT_EQ(TrimSpacesTabs(" \t  "), "");
  EXPECT_EQ(TrimLineBlanks("\r\n \t"), "");
  EXPECT_EQ(TrimSpaceAndControls(std::string_view("\0\x1f ", 3)), "");
  EXPECT_EQ(TrimTrailingSpaces("    "), "");
}

TEST(TextKit, EachTrimTakesOnlyItsBlanks) {
  EXPECT_EQ(TrimSpacesTabs("\t a b \t"), "a b");
  EXPECT_EQ(TrimSpacesTabs(" a\r\n"), "a\r\n");
  EXPECT_EQ(TrimLineBlanks("\r\n a \r\n"), "a");
  EXPECT_EQ(TrimLineBlanks("\va\f"), "\va\f");
  EXPECT_EQ(TrimSpaceAndControls("\x01\va\x1b "), "a");
  EXPECT_EQ(TrimSpaceAndControls("\xA0" "a"), "\xA0" "a");  // the no-break space is not a blank
  EXPECT_EQ(TrimTrailingSpaces("  a \t  "), "  a \t");
  EXPECT_EQ(TrimLeftIf("  a  ", IsSpaceOrTab), "a  ");
  EXPECT_EQ(TrimRightIf("  a  ", IsSpaceOrTab), "  a");
}

TEST(TextKit, AsciiFoldingLeavesAccentedLetters) {
  EXPECT_EQ(AsciiUpperText("abc xyz 09"), "ABC XYZ 09");
  EXPECT_EQ(AsciiLowerText("ABC @[`{"), "abc @[`{");
  EXPECT_EQ(AsciiUpperText("ação"_cp), "AçãO"_cp);
  EXPECT_EQ(AsciiLowerText("AÇÃO"_cp), "aÇÃo"_cp);
  EXPECT_TRUE(EqualsAsciiNoCase("Content-Length", "content-length"));
  EXPECT_FALSE(EqualsAsciiNoCase("ção"_cp, "ÇÃO"_cp));
  EXPECT_FALSE(EqualsAsciiNoCase("abc", "abcd"));
  EXPECT_TRUE(EqualsAsciiNoCase("", ""));
}

TEST(TextKit, Cp1252FoldingKnowsEveryLetterOfTheCodePage) {
  EXPECT_EQ(Cp1252UpperText("ação é ü ñ š œ ž ÿ"_cp), "AÇÃO É Ü Ñ Š Œ Ž Ÿ"_cp);
  EXPECT_EQ(Cp1252LowerText("AÇÃO É Ü Ñ Š Œ Ž Ÿ"_cp), "ação é ü ñ š œ ž ÿ"_cp);
  // The division and multiplication signs and the sharp s have no other case.
  EXPECT_EQ(Cp1252UpperText("÷ß"_cp), "÷ß"_cp);
  EXPECT_EQ(Cp1252LowerText("×"_cp), "×"_cp);
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (Cp1252Upper(c) != c) EXPECT_EQ(Cp1252Lower(Cp1252Upper(c)), c) << b;
  }
}

TEST(TextKit, BlockFoldingMovesTheWholeAccentedBlock) {
  EXPECT_EQ(BlockUpper('a'), 'A');
  EXPECT_EQ(BlockUpper("ç"_cp[0]), "Ç"_cp[0]);
  EXPECT_EQ(BlockUpper("÷"_cp[0]), "×"_cp[0]);
  EXPECT_EQ(BlockUpper("ÿ"_cp[0]), "ß"_cp[0]);
  EXPECT_EQ(BlockUpper("š"_cp[0]), "š"_cp[0]);
  EXPECT_EQ(BlockLower("ß"_cp[0]), "ÿ"_cp[0]);
  EXPECT_EQ(BlockLower("À"_cp[0]), "à"_cp[0]);
  EXPECT_EQ(BlockLower('@'), '@');
}

TEST(TextKit, HexDigits) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  for (char c : std::string_view("gG/:@`x \0\xff", 11)) EXPECT_EQ(HexDigitValue(c), -1) << int(c);
  std::string out;
  AppendHexByte(out, 0x00);
  AppendHexByte(out, 0xAB);
  AppendHexByte(out, 0xFF);
  EXPECT_EQ(out, "00ABFF");
  EXPECT_EQ(PercentEncode(""), "");
  EXPECT_EQ(PercentEncode("aZ09-._~ /%"), "aZ09-._~%20%2F%25");
  EXPECT_EQ(PercentEncode("ç"_cp), "%E7");
}

TEST(TextKit, DigitsOnlyWithinTheirCount) {
  EXPECT_EQ(ReadDigits("0", 5), 0u);
  EXPECT_EQ(ReadDigits("65535", 5), 65535u);
  EXPECT_EQ(ReadDigits("999999999999999999", 18), 999999999999999999u);
  EXPECT_FALSE(ReadDigits("", 5));
  EXPECT_FALSE(ReadDigits("123456", 5));
  EXPECT_FALSE(ReadDigits("+1", 5));
  EXPECT_FALSE(ReadDigits(" 1", 5));
  EXPECT_FALSE(ReadDigits("1a", 5));
}

TEST(TextKit, DecimalsUpToTheirValue) {
  EXPECT_EQ(ReadDecimal("2147483647", 2147483647), 2147483647);
  EXPECT_EQ(ReadDecimal("0000000000000042", 2147483647), 42);
  EXPECT_FALSE(ReadDecimal("2147483648", 2147483647));
  EXPECT_FALSE(ReadDecimal("99999999999999999999999", 2147483647));
  EXPECT_FALSE(ReadDecimal("", 10));
  EXPECT_FALSE(ReadDecimal("-1", 10));
  EXPECT_FALSE(ReadDecimal("1 ", 10));
}
