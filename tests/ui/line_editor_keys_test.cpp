// The line editor's keys one by one: reading words, deleting with their recorded words,
// word moves, copy and paste (also of huge and unruly clipboard texts), the echo switch,
// the speed, the dial, the readings of time, date and battery, and the review from inside.
#include "editor_fixture.h"

namespace {

using List = std::vector<std::string>;

class LineEditorKeysTest : public EditorTest {};

TEST_F(LineEditorKeysTest, F1ReadsTheNextWordAsAWordANumberOrLetters) {
  std::string f = "casa BCD 123 -5 ; x";
  Edit("{F1}{F1}{F1}{F1}{F1}{F1}{F1}{ENTER}", f, 30);
  EXPECT_EQ(Only({"say", "spell", "beep"}),
            (List{"say: casa", "spell: BCD", "say: 123", "say: -5", "spell: ;", "spell: x", "beep"}));
  EXPECT_EQ(f, "casa BCD 123 -5 ; x");
}

TEST_F(LineEditorKeysTest, DeletingKeysSayWhatTheyDid) {
  std::string f = "ab";
  Edit("{END}{BACKSPACE}{HOME}{BACKSPACE}{ENTER}", f, 10);
  EXPECT_EQ(f, "a");
  EXPECT_EQ(Only({"word", "char", "beep"}), (List{"word: _DEL", "char: 98", "beep"}));

  f = "abcdef";
  Edit("{RIGHT}{RIGHT}{CTRL+D}{ENTER}", f, 10);
  EXPECT_EQ(f, "ab");
  EXPECT_TRUE(Has("word: _APFCPO"));

  f = "abcdef";
  Edit("{RIGHT}{RIGHT}{CTRL+S}x{ENTER}", f, 10);
  EXPECT_EQ(f, "xcdef");
  EXPECT_TRUE(Has("word: _APICPO"));

  f = "abcdef";
  Edit("{RIGHT}{CTRL+Y}z{ENTER}", f, 10);
  EXPECT_EQ(f, "z");
  EXPECT_TRUE(Has("word: _CPOAPA"));

  f = "abcdef";  // Ctrl+U takes back everything, with three error tones
  Edit("{END}xy{HOME}{DEL}{CTRL+U}{ENTER}", f, 10);
  EXPECT_EQ(f, "abcdef");
  EXPECT_EQ(Count("beep"), 3);

  f = "abcdef";
  Edit("{RIGHT}{RIGHT}{CTRL+K}{ENTER}", f, 10);
  EXPECT_TRUE(Has("say: 3"));
}

TEST_F(LineEditorKeysTest, WordMovesTickAndStopAtTheEnds) {
  std::string f = "um dois tres";
  Edit("{CTRL+RIGHT}{CTRL+RIGHT}{CTRL+RIGHT}{CTRL+LEFT}{CTRL+LEFT}{CTRL+LEFT}{CTRL+K}{ENTER}", f, 20);
  EXPECT_EQ(Only({"click", "beep", "say"}), (List{"click", "click", "beep", "click", "click", "beep", "say: 1"}));
}

TEST_F(LineEditorKeysTest, CtrlBackspaceDeletesAWordWithTheSpacesAfterIt) {
  std::string f = "um dois tres";
  Edit("{CTRL+RIGHT}{CTRL+BACKSPACE}{ENTER}", f, 20);  // on the word
  EXPECT_EQ(f, "um tres");
  EXPECT_EQ(Count("word: _DEL"), 1);
  EXPECT_EQ(Only({"char"}), (List{"char: 100", "char: 111", "char: 105", "char: 115", "char: 32"}));

  f = "um dois";  // just after the last word: that word, and the padding stays unsaid
  Edit("{END}{CTRL+BACKSPACE}{ENTER}", f, 20);
  EXPECT_EQ(f, "um");
  EXPECT_EQ(Count("click"), 1);  // the move to the word's start
  EXPECT_EQ(Count("char: 32"), 0);

  f = "um  dois";  // between words there is none to delete
  Edit("{RIGHT}{RIGHT}{RIGHT}{CTRL+BACKSPACE}{ENTER}", f, 20);
  EXPECT_EQ(f, "um  dois");
  EXPECT_EQ(Count("beep"), 1);
}

TEST_F(LineEditorKeysTest, CopyTakesTheFieldOrTheSelection) {
  std::string f = "abc";
  Edit("{CTRL+C}{ENTER}", f, 10);
  EXPECT_EQ(Clipboard::GetText(), "abc\r\n");
  Edit("{SHIFT+RIGHT}{SHIFT+RIGHT}{CTRL+INS}{ENTER}", f, 10);
  EXPECT_EQ(Clipboard::GetText(), "ab");
  EXPECT_EQ(f, "abc");
}

TEST_F(LineEditorKeysTest, PasteTakesTheFirstLineIntoTheCursorOrTheSelection) {
  Clipboard::SetText("xyz\r\nsegunda linha");
  std::string f = "abc";
  Edit("{END}{CTRL+V}{ENTER}", f, 10);
  EXPECT_EQ(f, "abcxyz");

  f = "abc";  // the first key: two ticks, the proposed text goes
  Edit("{CTRL+V}{ENTER}", f, 10);
  EXPECT_EQ(f, "xyz");
  EXPECT_EQ(Count("click"), 2);

  f = "abcdef";  // over a selection
  Edit("{SHIFT+RIGHT}{SHIFT+RIGHT}{SHIFT+INS}{ENTER}", f, 10);
  EXPECT_EQ(f, "xyzcdef");

  f = "abcdef";  // cut to the field's length
  Edit("{RIGHT}{CTRL+V}{ENTER}", f, 7);
  EXPECT_EQ(f, "axyzbcd");

  Clipboard::SetText(std::string("a\tb\x01" "c\0d", 7));
  f = "";
  Edit("{CTRL+V}{ENTER}", f, 10);
  EXPECT_EQ(f, "a b c");

  Clipboard::SetText("");  // an empty clipboard pastes nothing
  f = "abc";
  Edit("{END}{CTRL+V}{ENTER}", f, 10);
  EXPECT_EQ(f, "abc");

  Clipboard::SetText(std::string(1 << 20, 'm'));  // a megabyte into the largest field
  f = "";
  Edit("{CTRL+V}{ENTER}", f, 2048, 78);
  EXPECT_EQ(f, std::string(2048, 'm'));
}

TEST_F(LineEditorKeysTest, F4SwitchesTheEchoOfTypedCharacters) {
  std::string f;
  Edit("{F4}ab{F4}c{ENTER}", f, 10);
  EXPECT_EQ(f, "abc");
  EXPECT_EQ(Only({"word", "char"}), (List{"word: _FALDLG", "word: _FALACI", "char: 99"}));
  EXPECT_TRUE(LineEditor::St().echo);
}

TEST_F(LineEditorKeysTest, CtrlF4SetsTheSpeedFromTheDigitTyped) {
  std::string f;
  Edit("{CTRL+F4}5{ENTER}", f, 10);
  EXPECT_TRUE(Has("word: _VELOC"));
  EXPECT_EQ(Speech::Speed(), 5);
  Edit("{CTRL+F4}{ESC}{ENTER}", f, 10);
  EXPECT_EQ(Speech::Speed(), 5);
  Edit("{CTRL+F4}9{ENTER}", f, 10);  // no such speed: the settings' (3 here)
  EXPECT_EQ(Speech::Speed(), 3);
  Edit("x{ENTER}", f, 10);  // the voice still speaks
  EXPECT_TRUE(Has("char: 120"));
}

TEST_F(LineEditorKeysTest, CtrlBackslashDialsTheField) {
  std::string f = "12#a*";
  Edit("{CTRL+\\}{ENTER}", f, 10);
  EXPECT_EQ(Only({"word"}), (List{"word: dtmf_1", "word: dtmf_2", "word: dtmf_#", "word: dtmf_X"}));
}

TEST_F(LineEditorKeysTest, TimeDateBatteryAndSpellingNames) {
  std::string f = "a1";
  Edit("{F8}{ENTER}", f, 10);
  EXPECT_TRUE(Has("word: _hora") || Has("word: _horas"));
  Edit("{CTRL+F8}{ENTER}", f, 10);
  EXPECT_FALSE(Only({"word"}).empty());
  Edit("{CTRL+F11}{ENTER}", f, 10);
  const List battery = Only({"word", "say"});
  ASSERT_FALSE(battery.empty());
  EXPECT_TRUE(battery[0] == "word: _SEMBAT" || battery[0].ends_with("%"));
  Edit("{ALT+RIGHT}{ALT+RIGHT}{ENTER}", f, 10);
  EXPECT_EQ(Only({"word", "char"}), (List{"word: _FON97", "char: 49"}));
}

TEST_F(LineEditorKeysTest, CtrlAltF9ReviewsTheScreenAndComesBack) {
  Start("{CTRL+ALT+F9}{UP}{ESC}x{ENTER}");
  Console::ConsoleGotoXY(1, 2);
  Console::ConsoleWrite("linha de cima");
  std::string text;
  EXPECT_EQ(LineEditor::EditLine(text, 1, 3, 20, 10), LineEditor::kEnter);
  EXPECT_EQ(text, "x");
  EXPECT_EQ(Count("beep"), 3);  // into the review, and the two of its end
  EXPECT_TRUE(Has("say: linha"));
  EXPECT_EQ(Console::ConsoleWhereY(), 3);
}

}  // namespace
