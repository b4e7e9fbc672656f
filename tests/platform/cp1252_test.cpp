// Text crossing the Linux boundary keeps every Windows-1252 character.
#include <gtest/gtest.h>

#include "platform/text/cp1252.h"

TEST(Cp1252, RoundTripsEveryDefinedByte) {
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Cp1252::FromUtf8(Cp1252::ToUtf8(one)), one) << b;
  }
}

TEST(Cp1252, SourceLiteralsAreSingleByte) {
  constexpr std::string_view s = "Divisão por zero: €"_cp;
  ASSERT_EQ(s.size(), 19u);
  EXPECT_EQ(static_cast<unsigned char>(s[5]), 0xE3);
  EXPECT_EQ(static_cast<unsigned char>(s[18]), 0x80);
}

TEST(Cp1252, FileTextIsUtf8OrWindows1252) {
  EXPECT_EQ(Cp1252::FromFileText("ma\xC3\xA7\xC3\xA3"), "ma\xE7\xE3");
  EXPECT_EQ(Cp1252::FromFileText("ma\xE7\xE3"), "ma\xE7\xE3");
  EXPECT_EQ(Cp1252::FromUtf8("\xE4\xB8\xAD"), "?");
  // A UTF-8 file with one Windows-1252 byte in it: the rest is still read as UTF-8.
  EXPECT_EQ(Cp1252::FromFileText("a\xC3\xA7\xC3\xA3o \xE9 \xE2\x82\xAC"), "a\xE7\xE3o \xE9 \x80");
  EXPECT_EQ(Cp1252::FromFileText("\xC3"), "\xC3");  // a sequence cut short is a byte of its own
}
