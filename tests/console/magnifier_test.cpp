// The magnifier: which part of the text the band shows and where the cursor colour goes,
// its settings, the band events of the editor, the review and the menu on the headless
// device, and the terminal's drawing of the band.
#include "console/magnifier.h"

#include "tests/ui/editor_fixture.h"
#include "platform/terminal/terminal_draw.h"

namespace {

using List = std::vector<std::string>;

std::string Digits(int n) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += static_cast<char>('0' + i % 10);
  return s;
}

TEST(MagnifierBand, TheBandFollowsTheCursorAndColoursTheCharacterBeforeIt) {
  const std::string text = Digits(40);  // character k is the digit k mod 10
  int offset = 1;
  ConsoleDevice::Band band = Magnifier::MakeBand(text, 30, 4, offset);
  EXPECT_EQ(band.text.size(), 20u);  // zoom 4: 80 / 4 characters
  EXPECT_EQ(offset, 10);
  EXPECT_EQ(band.text, text.substr(9, 20));  // characters 10..29
  EXPECT_EQ(band.cursorIndex, 20);           // its last position: character 29
  EXPECT_EQ(band.text[19], text[28]);

  band = Magnifier::MakeBand(text, 25, 4, offset);  // inside the band: it stays
  EXPECT_EQ(offset, 10);
  EXPECT_EQ(band.cursorIndex, 15);
  band = Magnifier::MakeBand(text, 5, 4, offset);  // before it: the band moves back
  EXPECT_EQ(offset, 4);
  EXPECT_EQ(band.cursorIndex, 1);
  EXPECT_EQ(band.text[0], '4');

  offset = 1;
  band = Magnifier::MakeBand(text, 1, 4, offset);
  EXPECT_EQ(band.cursorIndex, 0);  // index 1: nothing in the cursor colour
  EXPECT_EQ(band.text, text.substr(0, 20));

  band = Magnifier::MakeBand("abc", 10, 1, offset);  // beyond the text: blanks, no cursor
  EXPECT_EQ(band.text, "abc" + std::string(77, ' '));
  EXPECT_EQ(band.cursorIndex, 0);
  band = Magnifier::MakeBand("", -7, 10, offset);
  EXPECT_EQ(band.text, std::string(8, ' '));
  EXPECT_EQ(band.cursorIndex, 0);
}

class MagnifierTest : public EditorTest {};

TEST_F(MagnifierTest, TheSettingsSwitchItOnWithTheirColours) {
  Speech::InitSpeech(0, "");
  EXPECT_EQ(Magnifier::St().zoom, 0);  // no AMPLIACAO: off
  Magnifier::MagnifierShow("texto", 2);
  EXPECT_TRUE(Only({"band"}).empty());

  WriteSettings("[BAIXAVISAO]\nAMPLIACAO=2\nCORLETRA=1\nCORFUNDO=7\nCORCURSOR=4\n");
  Speech::InitSpeech(0, "");
  const Magnifier::State& m = Magnifier::St();
  EXPECT_EQ(m.zoom, 2);
  EXPECT_EQ(m.bandRow, 1);
  EXPECT_EQ(m.textColour, 1);
  EXPECT_EQ(m.backgroundColour, 7);
  EXPECT_EQ(m.cursorColour, 4);
  Magnifier::MagnifierShow("texto", 3);
  Magnifier::MagnifierShow("texto", 3);  // the same band again is not told twice
  Magnifier::MagnifierHide();
  Magnifier::MagnifierHide();
  EXPECT_EQ(Only({"band"}), (List{"band: 2 texto", "band: hide"}));
}

TEST_F(MagnifierTest, TheEditorTheMenuAndTheReviewShowTheirTextOnTheBand) {
  WriteSettings("[BAIXAVISAO]\nAMPLIACAO=4\n");
  Speech::InitSpeech(0, "");
  ASSERT_TRUE(Type("{END}x{CTRL+ALT+F9}{LEFT}{ESC}{ENTER}{DOWN}{ENTER}",
                   {"seja $f \"campo\"", "tela @3,2", "le edita $f", "menu cria 1 5 20 6", "menu adiciona \"um\"",
                    "menu adiciona \"dois\"", "menu executa $p $k $t"}));
  EXPECT_EQ(Var("$f"), "campox");
  EXPECT_EQ(Var("$t"), "dois");
  EXPECT_EQ(Only({"band"}), (List{"band: 0 campo",   // entering: the cursor on the first character
                                    "band: 5 campo",   // End: the character before the cursor
                                    "band: 6 campox",  // typed
                                    // The review shows the row from its first letter, the same
                                    // band (not told again) until Left moves its cursor.
                                    "band: 5 campox",
                                    "band: hide",      // the review's end
                                    "band: 6 campox",  // the editor again
                                    "band: hide",      // the editor's end
                                    "band: 0 um", "band: 0 dois", "band: hide"}));
}

TEST(TerminalBand, EnlargedLinesInTheBandsColoursAndTheRowsGivenBack) {
  uint8_t chars[80 * 25], attrs[80 * 25];
  std::fill(std::begin(chars), std::end(chars), 'x');
  std::fill(std::begin(attrs), std::end(attrs), 0x0F);
  const ConsoleDevice::ScreenView view{chars, attrs, nullptr, 0, 0};
  ConsoleDevice::Band band;
  band.text = "abc" + std::string(37, ' ');
  band.cursorIndex = 3;
  band.zoom = 2;
  band.textColour = 14;
  band.backgroundColour = 6;
  band.cursorColour = 3;
  std::string out;
  TerminalDraw::AppendBand(out, view, band, true, {});
  EXPECT_EQ(TerminalDraw::BandRows(band, true), 2);
  const std::size_t top = out.find("\x1b[1;1H\x1b#3"), bottom = out.find("\x1b[2;1H\x1b#4");
  ASSERT_NE(top, std::string::npos);
  ASSERT_NE(bottom, std::string::npos);
  const std::string yellowOnBrown = "\x1b[38;2;255;255;0;48;2;68;34;34m", cyanOnBrown = "\x1b[38;2;0;255;255;48;2;68;34;34m";
  EXPECT_EQ(out.substr(top + 9, yellowOnBrown.size() + 2), yellowOnBrown + "ab");
  EXPECT_EQ(out.substr(top + 9 + yellowOnBrown.size() + 2, cyanOnBrown.size() + 1), cyanOnBrown + "c");

  out.clear();  // one plain row where lines cannot be enlarged, and for zoom 1
  TerminalDraw::AppendBand(out, view, band, false, {});
  EXPECT_EQ(out.find("\x1b#"), std::string::npos);
  EXPECT_EQ(TerminalDraw::BandRows(band, false), 1);
  band.zoom = 1;
  EXPECT_EQ(TerminalDraw::BandRows(band, true), 1);
  band.row = 25;
  band.zoom = 3;
  EXPECT_EQ(TerminalDraw::BandRows(band, true), 1);  // no row below the last

  out.clear();
  TerminalDraw::AppendUnband(out, view, 0, 2, {});
  EXPECT_NE(out.find("\x1b[1;1H\x1b#5\x1b[1;1H"), std::string::npos);
  EXPECT_NE(out.find("\x1b[2;1H\x1b#5\x1b[2;1H"), std::string::npos);
  EXPECT_NE(out.find(std::string(80, 'x')), std::string::npos);
}

TEST(TerminalBand, EnlargedLinesOnlyWhereTheTerminalHasThem) {
  auto with = [](const char* term, const char* tmux, const char* vte) {
    term ? setenv("TERM", term, 1) : unsetenv("TERM");
    tmux ? setenv("TMUX", tmux, 1) : unsetenv("TMUX");
    vte ? setenv("VTE_VERSION", vte, 1) : unsetenv("VTE_VERSION");
    unsetenv("KONSOLE_VERSION");
    return TerminalDraw::EnlargesText();
  };
  EXPECT_TRUE(with("xterm-256color", nullptr, nullptr));
  EXPECT_TRUE(with("xterm-256color", nullptr, "7200"));
  EXPECT_FALSE(with("xterm-256color", "/tmp/tmux-0/default,1,0", nullptr));
  EXPECT_FALSE(with("tmux-256color", nullptr, nullptr));
  EXPECT_FALSE(with("screen", nullptr, nullptr));
  EXPECT_FALSE(with("linux", nullptr, nullptr));
  EXPECT_FALSE(with(nullptr, nullptr, nullptr));
}

}  // namespace
