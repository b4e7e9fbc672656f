// MENU as a script uses it and a user walks it: positions, key texts and item texts
// returned, what is said, marking and its colours, scrolling, every way out, and menus of
// no items, ten thousand items, long items and odd rectangles.
#include "editor_fixture.h"
#include "interpreter/menu.h"

namespace {

using List = std::vector<std::string>;

class MenuTest : public EditorTest {
 protected:
  // A menu of the items in rows 5.. from column 10, run once; the script writes nothing.
  bool RunMenu(const std::string& keys, const std::vector<std::string>& items, const std::string& before = "") {
    std::vector<std::string> lines;
    if (!before.empty()) lines.push_back(before);
    lines.push_back("menu cria 10 5 40 " + std::to_string(4 + std::max<std::size_t>(items.size(), 1)));
    for (const std::string& item : items) lines.push_back("menu adiciona \"" + item + "\"");
    lines.push_back("menu executa $p $k $t");
    return Type(keys, lines);
  }
  std::string Result() { return Var("$p") + "|" + Var("$k") + "|" + Var("$t"); }
  static int Foreground(int row) { return Console::CellAttribute(10, row) & 0x0F; }
  static const std::vector<std::string> kThree;
};

const std::vector<std::string> MenuTest::kThree = {"um", "dois", "tres"};

TEST_F(MenuTest, ArrowsSayEachItemAndEnterGivesPositionKeyAndText) {
  ASSERT_TRUE(RunMenu("{DOWN}{DOWN}{ENTER}", kThree));
  EXPECT_EQ(Result(), "3|#13|tres");
  EXPECT_EQ(Only({"say", "beep"}), (List{"say: um", "say: dois", "say: tres"}));
  EXPECT_TRUE(Has("key: #13"));
  EXPECT_EQ(Row(5), "         um");
  EXPECT_EQ(Foreground(7), Menu::kCurrentColour);
  EXPECT_EQ(Foreground(5), 15);
}

TEST_F(MenuTest, WalkingPastEitherEndBeepsAndLeavesOutsideTheList) {
  ASSERT_TRUE(RunMenu("{UP}{ENTER}", kThree));
  EXPECT_EQ(Result(), "0|#13|");
  EXPECT_EQ(Only({"say", "beep"}), (List{"say: um", "beep"}));
  ASSERT_TRUE(RunMenu("{DOWN}{DOWN}{DOWN}{ENTER}", kThree));
  EXPECT_EQ(Result(), "4|#13|");
  ASSERT_TRUE(RunMenu("{PGDN}{ENTER}", {"a", "b", "c", "d", "e"}));
  EXPECT_EQ(Result(), "6|#13|");
  EXPECT_EQ(Count("beep"), 1);
  ASSERT_TRUE(RunMenu("{END}{PGUP}{PGDN}{HOME}{ENTER}", {"a", "b", "c", "d", "e"}));
  EXPECT_EQ(Only({"say", "beep"}), (List{"say: a", "beep", "say: e", "beep", "beep", "beep", "say: a"}));
}

TEST_F(MenuTest, EveryWayOutAndItsKeyText) {
  const std::pair<const char*, const char*> cases[] = {
      {"a", "1|a|um"},     {"{ESC}", "1|#27|um"}, {"{TAB}", "1|#9|um"},    {"{F4}", "1|#0#62|um"},
      {"{F1}", "1|#0#59|um"}, {"{F12}", "1|#0#70|um"}, {"{DOWN}9", "2|9|dois"}, {"{CTRL+ENTER}", "1|#10|um"},
  };
  for (const auto& [keys, result] : cases) {
    ASSERT_TRUE(RunMenu(keys, kThree)) << keys;
    EXPECT_EQ(Result(), result) << keys;
  }
}

TEST_F(MenuTest, SidewaysAndCtrlKeysReopenTheMenuAtTheStartPosition) {
  ASSERT_TRUE(RunMenu("{DOWN}{RIGHT}{DOWN}{LEFT}{CTRL+F2}{CTRL+RIGHT}{ENTER}", kThree));
  EXPECT_EQ(Result(), "1|#13|um");
  EXPECT_EQ(Only({"say"}), (List{"say: um", "say: dois", "say: um", "say: dois", "say: um", "say: um", "say: um"}));
  ASSERT_TRUE(RunMenu("{RIGHT}{ENTER}", kThree, "seja $p 3"));
  EXPECT_EQ(Result(), "3|#13|tres");
  ASSERT_TRUE(RunMenu("{ENTER}", kThree, "seja $p \"nada\""));  // not a number: the start stays 1
  EXPECT_EQ(Result(), "1|#13|um");
  ASSERT_TRUE(RunMenu("{ENTER}", kThree, "seja $p -4"));
  EXPECT_EQ(Result(), "1|#13|um");
}

TEST_F(MenuTest, MarkingTurnsItemsGreenAndBeepsBeforeTheirNames) {
  ASSERT_TRUE(RunMenu("{SPACE}{DOWN}{ENTER}", kThree));
  EXPECT_EQ(Only({"say", "beep"}), (List{"say: um", "beep", "say: um", "say: dois"}));
  EXPECT_EQ(Foreground(5), Menu::kMarkedColour);
  EXPECT_EQ(Foreground(6), Menu::kCurrentColour);
  ASSERT_TRUE(RunMenu("{SPACE}{SPACE}{DOWN}{ENTER}", kThree));
  EXPECT_EQ(Foreground(5), 15);

  ASSERT_TRUE(RunMenu("{SHIFT+DOWN}{ENTER}", kThree));  // marks the item left and the next one
  EXPECT_EQ(Only({"say", "beep"}), (List{"say: um", "beep", "beep", "say: dois"}));
  EXPECT_EQ(Menu::St().marks, (std::vector<bool>{true, true, false}));

  ASSERT_TRUE(RunMenu("*{DOWN}-{DOWN}{SHIFT+UP}{ENTER}", kThree));
  EXPECT_EQ(Menu::St().marks, (std::vector<bool>{true, false, false}));
  ASSERT_TRUE(RunMenu("+{DOWN}{DOWN}/{ENTER}", kThree));
  EXPECT_EQ(Menu::St().marks, (std::vector<bool>{false, false, false}));
  ASSERT_TRUE(RunMenu("{DOWN}{SHIFT+END}{ENTER}", kThree));
  EXPECT_EQ(Menu::St().marks, (std::vector<bool>{false, true, true}));
  ASSERT_TRUE(RunMenu("*{DOWN}{SHIFT+HOME}{ENTER}", kThree));
  EXPECT_EQ(Menu::St().marks, (std::vector<bool>{false, false, true}));
  ASSERT_TRUE(RunMenu("{DOWN}{SHIFT+CTRL+HOME}{ENTER}", kThree));
  EXPECT_EQ(Menu::St().marks, (std::vector<bool>{true, true, false}));
  ASSERT_TRUE(RunMenu("*{DOWN}{SHIFT+CTRL+END}{ENTER}", kThree));
  EXPECT_EQ(Menu::St().marks, (std::vector<bool>{true, false, false}));
}

TEST_F(MenuTest, MarksAndItemsLastAcrossRunsUntilTermina) {
  ASSERT_TRUE(Type("{SPACE}{ENTER}{DOWN}{ENTER}",
                   {"menu cria 1 1 20 3", "menu adiciona \"um\"", "menu adiciona \"dois\"", "menu executa $p $k $t",
                    "menu executa $p $k $t", "menu termina"}));
  EXPECT_EQ(Var("$p"), "2");
  EXPECT_EQ(Only({"say", "beep"}), (List{"say: um", "beep", "say: um", "beep", "say: um", "say: dois"}));
  EXPECT_EQ(Row(1), "");
  EXPECT_EQ(Row(2), "");
  EXPECT_EQ(Console::ConsoleWhereX(), 1);
  EXPECT_FALSE(Menu::St().exists);
}

TEST_F(MenuTest, ARectangleScrollsToKeepTheCurrentItemInView) {
  std::vector<std::string> lines = {"menu cria 1 1 30 20", "seja i 1", "enquanto i <= 30",
                                    "  seja $n \"item \"", "  concatena $n i", "  menu adiciona $n", "  soma i 1",
                                    "fim enquanto",
                                    "seja $p 25", "menu executa $p $k $t"};
  ASSERT_TRUE(Type("{ENTER}", lines));
  EXPECT_EQ(Var("$t"), "item 25");
  EXPECT_EQ(Row(1), "item 6");
  EXPECT_EQ(Row(20), "item 25");
  EXPECT_EQ(Row(21), "");
}

TEST_F(MenuTest, NoItemsOneItemAndTenThousand) {
  ASSERT_TRUE(RunMenu("{DOWN}{UP}{ENTER}", {}));
  EXPECT_EQ(Result(), "0|#13|");
  EXPECT_EQ(Count("beep"), 2);
  EXPECT_TRUE(Only({"say"}).empty());

  ASSERT_TRUE(RunMenu("{END}{ENTER}", {"só"}));
  EXPECT_EQ(Result(), "1|#13|só");

  std::vector<std::string> lines = {"menu cria 1 1 40 25", "seja i 1", "enquanto i <= 10000",
                                    "  seja $n \"item \"", "  concatena $n i", "  menu adiciona $n", "  soma i 1",
                                    "fim enquanto",
                                    "menu executa $p $k $t"};
  ASSERT_TRUE(Type("{END}{UP}{PGUP}{ENTER}", lines));
  EXPECT_EQ(Result(), "9989|#13|item 9989");
  EXPECT_EQ(Row(14), "item 9989");
  EXPECT_EQ(Row(25), "item 10000");
  EXPECT_TRUE(Has("say: item 10000"));
}

TEST_F(MenuTest, LongItemsAndOddRectanglesAreCutToTheScreen) {
  ASSERT_TRUE(Type("{ENTER}", {"menu cria 5 2 10 3", "menu adiciona \"abcdefghij\"", "menu executa $p $k $t"}));
  EXPECT_EQ(Row(2), "    abcdef");
  EXPECT_EQ(Var("$t"), "abcdefghij");
  ASSERT_TRUE(Type("{DOWN}{ENTER}", {"menu cria 75 24 200 40", "menu adiciona \"primeiro item\"",
                                     "menu adiciona \"segundo item\"", "menu executa $p $k $t"}));
  EXPECT_EQ(Row(24), std::string(74, ' ') + "primei");
  EXPECT_EQ(Row(25), std::string(74, ' ') + "segund");
  EXPECT_EQ(Var("$p"), "2");
  const char* odd[] = {"menu cria 10 8 5 2", "menu cria -5 -5 -1 -1", "menu cria 90 30 95 40",
                       "menu cria -2147483647 -2147483647 2147483647 2147483647"};
  for (const char* create : odd) {
    ASSERT_TRUE(Type("{DOWN}{ENTER}", {create, "menu adiciona \"um\"", "menu adiciona \"dois\"",
                                        "menu executa $p $k $t", "menu termina"}))
        << create;
    EXPECT_EQ(Var("$t"), "dois") << create;
    EXPECT_TRUE(Has("say: dois")) << create;
  }
}

TEST_F(MenuTest, BadOperandsFailTheCommand) {
  const char* bad[] = {"menu cria 1 2 3", "menu cria 1 2 3 4 5", "menu cria a b c d", "menu adiciona \"x\"",
                       "menu", "menu qualquer", "menu executa $p $k $t"};
  for (const char* line : bad) {
    Start("{ENTER}");
    Interp::ResetInterpreter();
    EXPECT_FALSE(Line(line)) << line;
  }
  Start("{ENTER}");
  Interp::ResetInterpreter();
  ASSERT_TRUE(Line("menu cria 1 1 10 3"));
  EXPECT_FALSE(Line("menu adiciona"));
  EXPECT_FALSE(Line("menu adiciona \"a\" \"b\""));
  EXPECT_FALSE(Line("menu executa $p $k"));
  EXPECT_FALSE(Line("menu executa $p $k $t x"));
  EXPECT_FALSE(Line("menu termina agora"));
  EXPECT_TRUE(Line("MENU TERMINA"));
  EXPECT_TRUE(Line("menu termina"));  // nothing left to end
}

TEST_F(MenuTest, CtrlAltF9ReviewsTheScreenAndStaysInTheMenu) {
  ASSERT_TRUE(RunMenu("{CTRL+ALT+F9}{DOWN}{ESC}{DOWN}{ENTER}", kThree));
  EXPECT_EQ(Result(), "2|#13|dois");
  EXPECT_EQ(Count("beep"), 3);
  EXPECT_TRUE(Has("say: dois"));
}

}  // namespace
