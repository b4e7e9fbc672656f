// The line editor as the user meets it: the proposed text and the first key, typing into a
// full field, selection, the ways out and their codes, the field sizes it must survive,
// and LE with and without EDITA.
#include <set>

#include "editor_fixture.h"

namespace {

using List = std::vector<std::string>;

class LineEditorTest : public EditorTest {};

TEST_F(LineEditorTest, TheFirstKeyReplacesTheProposedTextAfterTwoTicks) {
  std::string f = "abc";
  EXPECT_EQ(Edit("x{ENTER}", f, 10), LineEditor::kEnter);
  EXPECT_EQ(f, "x");
  EXPECT_EQ(Only({"click", "char"}), (List{"click", "click", "char: 120"}));

  f = "abc";  // an arrow first keeps it
  Edit("{RIGHT}x{ENTER}", f, 10);
  EXPECT_EQ(f, "axbc");
  EXPECT_EQ(Count("click"), 0);

  f = "abc";  // nothing at or after the cursor: nothing is proposed
  Edit("{END}x{ENTER}", f, 10);
  EXPECT_EQ(f, "abcx");
  EXPECT_EQ(Count("click"), 0);

  f = "abc";  // another control key first: the ticks only, the text stays
  Edit("{CTRL+W}x{ENTER}", f, 10);
  EXPECT_EQ(f, "xabc");
  EXPECT_EQ(Count("click"), 2);

  LineEditor::St().clearOnType = false;
  f = "abc";
  Edit("x{ENTER}", f, 10);
  EXPECT_EQ(f, "xabc");
  EXPECT_EQ(Count("click"), 0);
}

TEST_F(LineEditorTest, TypingIntoAFullFieldLosesItsLastCharacterAndBeyondItBeeps) {
  std::string f = "abc";
  Edit("{RIGHT}x{ENTER}", f, 3);
  EXPECT_EQ(f, "axb");
  f = "abc";
  Edit("{END}z{ENTER}", f, 3);
  EXPECT_EQ(f, "abc");
  EXPECT_EQ(Count("beep"), 1);
  EXPECT_FALSE(Has("char: 122"));
}

TEST_F(LineEditorTest, ShiftSelectsOnBackground8AndShiftDeleteRemovesTheSelection) {
  std::set<std::string> seen;
  std::string f = "abcdef";
  Edit("{SHIFT+RIGHT}{SHIFT+RIGHT}{SHIFT+RIGHT}{SHIFT+DEL}{ENTER}", f, 10, 10, 1, 5,
       [&] { seen.insert(Attributes(5, 1, 6)); });
  EXPECT_TRUE(seen.count("8F 8F 8F 0F 0F 0F")) << "the selection was never shown";
  EXPECT_EQ(f, "def");
  EXPECT_EQ(Count("word: _DEL"), 1);
  // Each selected character is said as Shift+Right crosses it and again as it goes.
  EXPECT_EQ(Only({"char", "word"}), (List{"char: 97", "char: 98", "char: 99", "word: _DEL", "char: 97",
                                           "char: 98", "char: 99"}));
  EXPECT_EQ(Attributes(5, 1, 6), "0F 0F 0F 0F 0F 0F");

  f = "abcdef";  // Delete without Shift drops the selection and deletes one character
  Edit("{SHIFT+RIGHT}{SHIFT+RIGHT}{SHIFT+RIGHT}{DEL}{ENTER}", f, 10);
  EXPECT_EQ(f, "abcef");
  EXPECT_EQ(Count("word: _DEL"), 1);
  EXPECT_TRUE(Has("char: 100"));
}

TEST_F(LineEditorTest, KeysThatEndTheEditingGiveTheirCodes) {
  const std::pair<const char*, int> cases[] = {
      {"{UP}", 72},      {"{DOWN}", 80},     {"{PGUP}", 73},          {"{PGDN}", 81},       {"{F2}", 60},
      {"{TAB}", 9},      {"{CTRL+B}", 2},    {"{CTRL+ENTER}", 10},    {"{ESC}", 27},        {"{ALT+F1}", 104},
      {"{CTRL+F9}", 102}, {"{F1}{ENTER}", 13}, {"{ALT+1}{ENTER}", 13}, {"{CTRL+ALT+5}{ENTER}", 13},
  };
  for (const auto& [keys, code] : cases) {
    std::string f = "um texto";
    EXPECT_EQ(Edit(keys, f, 20), code) << keys;
    EXPECT_EQ(f, "um texto") << keys;
  }
}

TEST_F(LineEditorTest, AltQBeforeACharacterLetsTheCharacterIn) {
  std::string f;
  Edit("{CTRL+ALT+Q}x{CTRL+ALT+E}y{ENTER}", f, 10);
  EXPECT_EQ(f, "xy");
}

TEST_F(LineEditorTest, Codes222And223AreNeverInserted) {
  std::string f = "abc";
  Edit("{END}Þß{ENTER}", f, 10);
  EXPECT_EQ(f, "abc");
  EXPECT_TRUE(Has("say: abc"));
}

TEST_F(LineEditorTest, FieldsOfEverySizeAndPlace) {
  std::string f = "abc";
  EXPECT_EQ(Edit("xy{ENTER}", f, 0), LineEditor::kEnter);
  EXPECT_EQ(f, "");
  EXPECT_EQ(Count("beep"), 2);

  f = "";
  Edit("ab{ENTER}", f, 1);
  EXPECT_EQ(f, "a");
  EXPECT_EQ(Count("beep"), 1);

  f = std::string(3000, 'y');  // a request above 2048 is cut to 2048
  Edit("{END}z{ENTER}", f, 5000, 78);
  EXPECT_EQ(f, std::string(2048, 'y'));
  EXPECT_EQ(Count("beep"), 1);
  EXPECT_EQ(Row(5), std::string(78, 'y'));

  // Wider than the field, off the screen's edges: nothing breaks, the screen shows what fits.
  const int places[][4] = {{1, 1, 200, 5}, {80, 25, 50, 2048}, {75, 3, 40, 10}, {-5, 30, 10, 10}, {100, -2, 10, 10}};
  const char* shown[] = {"exto", "e", "exto!", "", ""};
  for (int i = 0; i < 5; ++i) {
    const auto& p = places[i];
    f = "texto";
    Edit("{END}!{HOME}{DEL}{ENTER}", f, p[3], p[2], p[0], p[1]);
    EXPECT_EQ(f, p[3] == 5 ? "exto" : "exto!") << p[0] << "," << p[1];
    if (p[1] >= 1 && p[1] <= 25) {
      EXPECT_EQ(Row(p[1]), std::string(static_cast<std::size_t>(p[0] - 1), ' ') + shown[i]) << p[0] << "," << p[1];
    }
  }
}

TEST_F(LineEditorTest, ALongFieldScrollsAndTheScreenShowsTheCursorsPart) {
  std::string f = std::string(30, 'a') + std::string(30, 'b');
  Edit("{END}{ENTER}", f, 100, 20, 5, 3);
  // The field is written back from its first character.
  EXPECT_EQ(Row(3), "    " + std::string(20, 'a'));
  std::set<std::string> rows;
  f = std::string(30, 'a') + std::string(30, 'b');
  Edit("{END}{ENTER}", f, 100, 20, 5, 3, [&] { rows.insert(Cp1252::ToUtf8(Console::RowText(3))); });
  EXPECT_TRUE(rows.count("    " + std::string(20, 'b'))) << "the end of the field was never shown";
}

TEST_F(LineEditorTest, LeReadsWithTheSpokenEditorAndEscLeavesNothing) {
  EXPECT_TRUE(Type("abc{ENTER}", {"escreve \"Nome: \" &", "le $n", "escreve \"[\" $n \"]\""}));
  EXPECT_EQ(Var("$n"), "abc");
  EXPECT_EQ(Row(1), "Nome: abc");
  EXPECT_EQ(Only({"line"}), (List{"line: Nome: abc", "line: [abc]"}));
  EXPECT_EQ(Only({"char"}), (List{"char: 97", "char: 98", "char: 99", "char: 91", "char: 93"}));

  EXPECT_TRUE(Type("abc{ESC}", {"escreve \"Nome: \" &", "le $n", "escreve \"[\" $n \"]\""}));
  EXPECT_EQ(Var("$n"), "");
  EXPECT_EQ(Row(1), "Nome:");
  EXPECT_EQ(Row(2), "[]");
  EXPECT_EQ(Only({"line"}), (List{"line: Nome: ", "line: []"}));

  // A line longer than the row is kept whole; the screen shows its start.
  const std::string longLine(100, 'k');
  EXPECT_TRUE(Type(longLine + "{ENTER}", {"le $n"}));
  EXPECT_EQ(Var("$n"), longLine);
  EXPECT_EQ(Row(1), std::string(78, 'k'));

  // The silent and hidden forms still read a plain line.
  EXPECT_TRUE(Type("ab{ENTER}", {"le mudo $n"}));
  EXPECT_EQ(Var("$n"), "ab");
  EXPECT_FALSE(Has("char: 97"));
}

TEST_F(LineEditorTest, LeEditaPresentsTheValueAndEscEmptiesIt) {
  const std::vector<std::string> lines = {"seja $f \"c:\\dados\\relatório.txt\"", "escreve \"Arquivo: \" &",
                                          "le edita $f", "escreve", "escreve \"[\" $f \"]\""};
  EXPECT_TRUE(Type("{END}{BACKSPACE}{BACKSPACE}{BACKSPACE}doc{ENTER}", lines));
  EXPECT_EQ(Var("$f"), "c:\\dados\\relatório.doc");
  EXPECT_EQ(Row(1), "Arquivo: c:\\dados\\relatório.doc");
  EXPECT_EQ(Count("word: _DEL"), 3);

  EXPECT_TRUE(Type("{END}xyz{ESC}", lines));
  EXPECT_EQ(Var("$f"), "");

  EXPECT_TRUE(Type("{DOWN}", lines));  // any other way out keeps the text
  EXPECT_EQ(Var("$f"), "c:\\dados\\relatório.txt");
}

}  // namespace
