// The screen review over a screen written by the test: words and marks as they are read,
// the read commands, moving to every edge, search, the jump to a row and column, fields,
// and the copy of the screen.
#include "editor_fixture.h"

namespace {

using List = std::vector<std::string>;

class ScreenReviewTest : public EditorTest {
 protected:
  // Writes the rows (UTF-8) from row 1, puts the cursor at (column, row) and reviews with
  // the keys; the review must end with Esc.
  void Review(const std::string& keys, const std::vector<std::string>& rows, int column = 1, int row = 1) {
    Start("{CTRL+ALT+F9}" + keys);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      Console::ConsoleGotoXY(1, static_cast<int>(i) + 1);
      Console::ConsoleWrite(Cp1252::FromUtf8(rows[i]));
    }
    Console::ConsoleGotoXY(column, row);
    EnterReview();
  }
  // The review is entered with its key, as from the editor: the keys after it are typed
  // once the review has started.
  static void EnterReview() {
    ASSERT_EQ(Keyboard::ConsoleReadKey(), 0);
    ASSERT_EQ(Keyboard::ConsoleReadKey(), 102);
    ScreenReview::ScreenReview();
  }
  // What was said, spelled and sounded, without the review's entry and exit tones.
  List Said() {
    List e = Only({"say", "spell", "beep", "click"});
    if (!e.empty() && e.front() == "beep") e.erase(e.begin());
    if (e.size() >= 2 && e.back() == "beep" && e[e.size() - 2] == "beep") e.resize(e.size() - 2);
    return e;
  }
};

TEST_F(ScreenReviewTest, WordsAreSpokenSpelledOrCutShort) {
  Review("{F1}{F1}{F1}{F1}{ESC}", {"casa BCD 2B ----------"});
  EXPECT_EQ(Said(), (List{"say: casa", "spell: BCD", "say: 2B", "say: ---"}));
  EXPECT_EQ(Console::ConsoleWhereX(), 1);  // the cursor is back where it was
  EXPECT_EQ(Console::ConsoleWhereY(), 1);
}

TEST_F(ScreenReviewTest, RowsUpAndDownAndTheEdgesOfTheScreen) {
  Review("{UP}{DOWN}{DOWN}{PGDN}{DOWN}{PGUP}{LEFT}{F6}0180{RIGHT}{RIGHT}{CTRL+K}{ESC}", {"primeira", "segunda"});
  EXPECT_EQ(Said(), (List{"beep",                         // above row 1
                            "click", "say: segunda",         // Down reads the row
                            "click",                         // an empty row reads nothing
                            "click", "beep",                 // below row 25, after Page Down
                            "say: primeira", "beep",         // Page Up, then Left at column 1
                            "say: Entre linha e coluna",     // to column 80 of row 1
                            "beep",                          // Right beyond column 81 goes back to 80
                            "say: 1 80"}));
}

TEST_F(ScreenReviewTest, TwoLetterCommandsReadRangesAndKeepOrRestoreThePosition) {
  const std::vector<std::string> rows = {"um dois", "tres quatro"};
  Review("tl{CTRL+K}{ESC}", rows, 4, 1);
  EXPECT_EQ(Said(), (List{"say: um", "say: dois", "say: 1 4"}));
  Review("il{ESC}", rows, 4, 1);
  EXPECT_EQ(Said(), (List{"say: um"}));
  Review("FL{ESC}", rows, 4, 1);
  EXPECT_EQ(Said(), (List{"say: dois"}));
  Review("LL{ESC}", rows, 4, 1);  // L stands for T
  EXPECT_EQ(Said(), (List{"say: um", "say: dois"}));
  Review("tt{CTRL+K}{ESC}", rows);  // the whole screen, a tick between rows; the position stays at the end
  List whole = {"say: um", "say: dois", "click", "say: tres", "say: quatro"};
  for (int row = 2; row < 25; ++row) whole.push_back("click");
  whole.push_back("say: 25 1");
  EXPECT_EQ(Said(), whole);
  Review("it{ESC}", rows, 3, 2);
  EXPECT_EQ(Said(), (List{"say: um", "say: dois", "click", "spell: tr"}));
  Review("ft{ESC}", rows, 6, 2);
  List said = Said();
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said.front(), "say: quatro");
  Review("il{ESC}", rows, 1, 1);  // a range that ends before it starts
  EXPECT_EQ(Said(), (List{"beep"}));
  Review("x{ESC}", rows);  // no such commands
  EXPECT_EQ(Said(), (List{"beep", "click", "beep"}));
  Review("tx{ESC}", rows);
  EXPECT_EQ(Said(), (List{"beep", "click", "beep"}));
  Review("{SPACE}{CTRL+K}{ESC}", {"", "tres"}, 5, 1);  // a blank row reads nothing, the position stays
  EXPECT_EQ(Said(), (List{"say: 1 5"}));
}

TEST_F(ScreenReviewTest, FieldsByColourAndBoundaries) {
  Start("{CTRL+ALT+F9}tc{TAB}{CTRL+K}{SHIFT+TAB}{CTRL+K}ic{ESC}");
  Console::ConsoleWrite("Nome: ");
  Console::ConsoleSetForeground(14);
  Console::ConsoleWrite("Maria Silva");
  Console::ConsoleSetForeground(15);
  Console::ConsoleWrite(" fim");
  Console::ConsoleGotoXY(9, 1);
  EnterReview();
  // The field is the yellow name; Tab goes past its end, Shift+Tab back before the next
  // field's start.
  EXPECT_EQ(Said(), (List{"say: Maria", "say: Silva", "click", "say: 1 19", "click", "say: 1 16", "say: Maria",
                            "say: Silv"}));
}

TEST_F(ScreenReviewTest, SearchAndJump) {
  const std::vector<std::string> rows = {"alfa beta", "gama beta", "beta"};
  Review("{F5}beta{ENTER}{CTRL+K}{CTRL+F5}{CTRL+K}{CTRL+F5}{CTRL+K}{CTRL+F5}{ESC}", rows);
  EXPECT_EQ(Said(), (List{"say: Qual texto", "click", "say: 1 6", "click", "say: 2 6", "click", "say: 3 1", "beep",
                            "beep"}));
  EXPECT_EQ(ScreenReview::St().searchText, "beta");

  Review("{F5}ab{BACKSPACE}{ESC}{CTRL+K}{ESC}", rows);  // abandoned: nothing moves
  EXPECT_EQ(Count("word: _DEL"), 1);
  EXPECT_TRUE(Has("say: 1 1"));

  Review("{F6}0510{CTRL+K}{F6}1x{CTRL+K}{F6}9999{CTRL+K}{ESC}", rows);
  const List said = Said();
  EXPECT_EQ(said, (List{"say: Entre linha e coluna", "say: 5 10", "say: Entre linha e coluna", "beep", "beep",
                          "say: 5 10", "say: Entre linha e coluna", "beep", "beep", "say: 25 80"}));
}

TEST_F(ScreenReviewTest, WordMovesLettersAndTheCopyOfTheScreen) {
  Review("{CTRL+RIGHT}{CTRL+RIGHT}{CTRL+RIGHT}{CTRL+K}{CTRL+LEFT}{CTRL+LEFT}{CTRL+LEFT}{CTRL+C}{ESC}",
         {"um, dois"});
  EXPECT_EQ(Said(), (List{"click", "beep", "beep", "say: 1 9", "click", "click", "beep"}));
  const std::string copy = Clipboard::GetText();
  ASSERT_EQ(copy.size(), 25u * 82u);
  EXPECT_EQ(copy.substr(0, 10), "um, dois  ");
  EXPECT_EQ(copy.substr(80, 2), "\r\n");

  Review("{CTRL+PGDN}{CTRL+K}{CTRL+PGUP}{CTRL+K}{ESC}", {"", "  12 x", "fim 9"});
  EXPECT_EQ(Said(), (List{"say: fim", "say: 9", "say: 3 3", "say: 12", "say: x", "say: 2 6"}));
  Review("{CTRL+PGUP}{ESC}", {"123 ..."});
  EXPECT_EQ(Said(), (List{"beep"}));
}

}  // namespace
