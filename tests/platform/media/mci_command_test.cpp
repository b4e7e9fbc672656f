// Taking MCI command strings apart: words and quotes, keywords and their values.
#include <gtest/gtest.h>

#include "platform/media/mci_command.h"

namespace {

using Mci::Command;

TEST(MciCommand, WordsQuotesAndTheDevice) {
  Command c;
  ASSERT_EQ(Mci::ParseCommand("  OPEN \"c:\\meus sons\\a b.wav\"   Alias  Musica ", c), 0);
  EXPECT_EQ(c.verb, "open");
  EXPECT_EQ(c.device, "c:\\meus sons\\a b.wav");
  EXPECT_EQ(c.words, (std::vector<std::string>{"Alias", "Musica"}));
  ASSERT_EQ(Mci::ParseCommand("open \"mpegvideo!http://x/y?a=1&b=2\" alias m", c), 0);
  EXPECT_EQ(c.device, "mpegvideo!http://x/y?a=1&b=2");
  EXPECT_EQ(Mci::ParseCommand("open \"c:\\a.wav alias m", c), Mci::kErrNoClosingQuote);
  EXPECT_EQ(Mci::ParseCommand("   ", c), Mci::kErrMissingCommandString);
  EXPECT_EQ(Mci::ParseCommand("play", c), Mci::kErrMissingDeviceName);
  EXPECT_EQ(Mci::ParseCommand("play \"\"", c), 0) << "an empty quoted name is a word";
  EXPECT_EQ(c.device, "");
}

TEST(MciCommand, KeywordsValuesAndLeftovers) {
  Command c;
  ASSERT_EQ(Mci::ParseCommand("play m FROM 1500 to 3000 wait", c), 0);
  Mci::Words w(c.words);
  int error = 0;
  EXPECT_EQ(w.Number("from", error), 1500);
  EXPECT_EQ(w.Number("to", error), 3000);
  EXPECT_EQ(w.Leftover(), Mci::kErrUnrecognizedKeyword) << "wait is still there";
  EXPECT_TRUE(w.Flag("wait"));
  EXPECT_EQ(w.Leftover(), 0);
  EXPECT_EQ(error, 0);

  ASSERT_EQ(Mci::ParseCommand("seek m to", c), 0);
  Mci::Words missing(c.words);
  EXPECT_FALSE(missing.Value("to", error));
  EXPECT_EQ(error, Mci::kErrMissingParameter);

  for (const char* bad : {"-5", "12a", "", "1234567890123456789"}) {
    ASSERT_EQ(Mci::ParseCommand(std::string("seek m to \"") + bad + "\"", c), 0);
    Mci::Words w2(c.words);
    error = 0;
    EXPECT_FALSE(w2.Number("to", error)) << bad;
    EXPECT_EQ(error, Mci::kErrBadInteger) << bad;
  }
}

}  // namespace
