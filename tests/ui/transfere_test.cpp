// TRANSFERE: a variable's text to the clipboard and back, its limit, and bad forms.
#include "editor_fixture.h"

namespace {

class TransfereTest : public EditorTest {};

TEST_F(TransfereTest, TextGoesToTheClipboardAndComesBack) {
  ASSERT_TRUE(Type("", {"seja $x \"ação & reação\"", "transfere de $x", "transfere para $y", "Transfere Para z"}));
  EXPECT_EQ(Var("$y"), "ação & reação");
  EXPECT_EQ(Var("z"), "ação & reação");
  EXPECT_EQ(Clipboard::GetText(), Cp1252::FromUtf8("ação & reação"));
}

TEST_F(TransfereTest, AtMost1024CharactersEachWay) {
  Clipboard::SetText(std::string(5000, 'c') + "\r\nmais");
  ASSERT_TRUE(Type("", {"transfere para $y"}));
  EXPECT_EQ(Var("$y"), std::string(1024, 'c'));
  Clipboard::SetText("linha 1\r\nlinha 2");  // line breaks come along
  ASSERT_TRUE(Type("", {"transfere para $y"}));
  EXPECT_EQ(Var("$y"), "linha 1\r\nlinha 2");
  Start("");
  Variables::SetVariable(Variables::LetterCode('x'), std::string(3000, 'x'));
  ASSERT_TRUE(Line("transfere de x"));
  EXPECT_EQ(Clipboard::GetText(), std::string(1024, 'x'));
}

TEST_F(TransfereTest, BadFormsFail) {
  for (const char* line : {"transfere", "transfere de", "transfere para", "transfere x $y", "transfere de $x $y",
                           "transfere de \"texto\"", "transfere dex $y", "transfere para $y agora"}) {
    Start("");
    EXPECT_FALSE(Line(line)) << line;
  }
}

}  // namespace
