// Key codes from key messages: the extended and Alt tables, Ctrl forms, mouse keys, the
// queue limits, and line input.
#include "console/braille_input.h"
#include "console/keyboard.h"
#include "tests/support/interp_fixture.h"
#include "platform/events/keys.h"

namespace {

class KeyboardTest : public InterpTest {
 protected:
  // The bytes the key script leaves in the queue when every key has been delivered at once.
  std::vector<int> Bytes(const std::string& keys) {
    std::vector<KeyScript::Item> items;
    std::string error;
    EXPECT_TRUE(KeyScript::Parse(keys, items, error)) << error;
    for (const auto& item : items)
      for (const auto& m : KeyScript::ToMessages(item)) Keyboard::HandleMessage(m);
    std::vector<int> out;
    while (Keyboard::QueueCount() > 0) out.push_back(Keyboard::ConsoleReadKey());
    return out;
  }
};

TEST_F(KeyboardTest, CharactersAndCtrlForms) {
  EXPECT_EQ(Bytes("aB{ENTER}{ESC}{TAB}{BACKSPACE}"), (std::vector<int>{'a', 'B', 13, 27, 9, 8}));
  EXPECT_EQ(Bytes("{CTRL+ENTER}{CTRL+BACKSPACE}{CTRL+C}{CTRL+z}"), (std::vector<int>{10, 127, 3, 26}));
  EXPECT_EQ(Bytes("ção"), (std::vector<int>{0xE7, 0xE3, 'o'}));
}

TEST_F(KeyboardTest, ExtendedKeys) {
  EXPECT_EQ(Bytes("{F1}{F12}{CTRL+F1}{UP}{CTRL+PGUP}{DEL}{CTRL+DEL}"),
            (std::vector<int>{0, 59, 0, 70, 0, 94, 0, 72, 0, 132, 0, 83, 0, 83}));
  EXPECT_EQ(Bytes("{INS}{SHIFT+INS}{CTRL+INS}"), (std::vector<int>{0, 82, 0, 254, 0, 255}));
  EXPECT_EQ(Bytes("{ALT+LEFT}{ALT+RIGHT}"), (std::vector<int>{0, 75, 0, 77}));
  // Alt+F1 reaches the reader too, which asks for Alt itself (the line editor's code 104).
  EXPECT_EQ(Bytes("{ALT+F1}"), (std::vector<int>{0, 59}));
  EXPECT_EQ(Bytes("{CTRL+[}{CTRL+\\}{CTRL+]}"), (std::vector<int>{27, 28, 29}));
}

TEST_F(KeyboardTest, AltKeys) {
  EXPECT_TRUE(Bytes("{F10}{ALT+A}{ALT+1}").empty());  // system keys give nothing
  EXPECT_EQ(Bytes("{CTRL+F10}"), (std::vector<int>{0, 103}));
  EXPECT_EQ(Bytes("{CTRL+ALT+A}{CTRL+ALT+Z}{CTRL+ALT+1}{CTRL+ALT+0}"),
            (std::vector<int>{0, 30, 0, 44, 0, 120, 0, 129}));
}

TEST_F(KeyboardTest, MouseKeysAndTheClickGuard) {
  using Messages::Kind;
  auto send = [](Kind kind, int value, uint8_t mods = 0) {
    Messages::Message m;
    m.kind = kind;
    m.value = value;
    m.mods = mods;
    Keyboard::HandleMessage(m);
  };
  send(Kind::MouseDown, 0);
  send(Kind::MouseDown, 1);
  send(Kind::MouseDown, 2);
  send(Kind::MouseWheel, -120);
  send(Kind::MouseWheel, 120);
  EXPECT_EQ(Bytes(""), (std::vector<int>{13, 27, 0, 67, 0, 80, 0, 72}));
  send(Kind::Focus, 1, 1);  // the window was activated by a click
  send(Kind::MouseDown, 0);
  EXPECT_TRUE(Bytes("").empty());
  send(Kind::MouseDown, 0);
  EXPECT_EQ(Bytes(""), (std::vector<int>{13}));
}

TEST_F(KeyboardTest, QueueLimits) {
  // 64 characters fit; an extended key needs the count to be at most 62.
  EXPECT_EQ(Bytes(std::string(70, 'k')).size(), 64u);
  std::string keys(62, 'k');
  keys += "{F1}{F2}";
  const auto bytes = Bytes(keys);
  ASSERT_EQ(bytes.size(), 64u);
  EXPECT_EQ(bytes[62], 0);
  EXPECT_EQ(bytes[63], 59);
  EXPECT_EQ(Bytes(std::string(63, 'k') + "{F1}").size(), 63u);
}

TEST_F(KeyboardTest, LineInput) {
  Start("ab{BACKSPACE}c{F1}{ENTER}");
  EXPECT_EQ(Keyboard::ConsoleReadLine(256), "ac;\r\n");  // an extended key stores its code byte
  Start("abcdef{ENTER}");
  EXPECT_EQ(Keyboard::ConsoleReadLine(5), "abc\r\n");
}

TEST_F(KeyboardTest, KeysRunningOutCloseTheWindow) {
  Start("x");
  EXPECT_EQ(Keyboard::ConsoleReadKey(), 'x');
  try {
    Keyboard::ConsoleReadKey();
    ADD_FAILURE() << "the wait did not end";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.status, 3);
  }
  // A wait at the end of the script is part of it: the window closes only after it.
  const int64_t start = Messages::NowMs();  // x may be typed, and the wait begin, in Start
  Start("x{WAIT 400}");
  EXPECT_EQ(Keyboard::ConsoleReadKey(), 'x');
  EXPECT_THROW(Keyboard::ConsoleReadKey(), ProgramExit);
  EXPECT_GE(Messages::NowMs() - start, 400);
}

// {UNTIL} holds the next key until the program has said the text.
TEST_F(KeyboardTest, UntilHoldsTheKeyForTheText) {
  Start("{UNTIL pronto}x");
  Transcript::Event("line", "ainda n\xE3o");
  const int64_t start = Messages::NowMs();
  while (Messages::NowMs() - start < 1500) {
    Messages::WaitMessage(50);
    Messages::PumpMessages();
  }
  EXPECT_EQ(Keyboard::QueueCount(), 0);
  Transcript::Event("say", "tudo pronto");
  EXPECT_EQ(Keyboard::ConsoleReadKey(), 'x');
}

}  // namespace

namespace {

// Typing a chord: every key pressed, then every key released.
std::string Chord(const std::string& keys) {
  std::string down, up;
  for (char k : keys) {
    const std::string name = k == ' ' ? "SPACE" : std::string(1, k);
    down += "{DOWN:" + name + "}";
    up += "{UP:" + name + "}";
  }
  return down + up;
}

class BrailleTest : public KeyboardTest {};

TEST_F(BrailleTest, PlainChordsAndControlCharacters) {
  BrailleInput::SetMode(1, false);
  // f = dot 1 (a), f+d = dots 1-2 (b), space with dots 1-2 is Ctrl+B.
  EXPECT_EQ(Bytes(Chord("F") + Chord("FD") + Chord(" ") + Chord(" FD")), (std::vector<int>{'a', 'b', ' ', 2}));
  // A letter that is no chord key types nothing; the space bar alone is the space chord;
  // other keys still work.
  EXPECT_EQ(Bytes("x {F1}1"), (std::vector<int>{' ', 0, 59, '1'}));
  // A key released that is no chord key gives nothing.
  EXPECT_TRUE(Bytes("{UP:Q}").empty());
}

TEST_F(BrailleTest, NumberAndCapitalSignsOfModeTwo) {
  BrailleInput::SetMode(2, false);
  const std::string number = Chord("SJKL"), capital = Chord("JL");
  EXPECT_EQ(Bytes(number + Chord("F") + Chord("FD")), (std::vector<int>{'1', '2'}));
  EXPECT_EQ(Bytes(Chord("K") + Chord("F")), (std::vector<int>{'~', 'a'}));  // dot 5 ends number mode
  EXPECT_EQ(Bytes(capital + Chord("F") + Chord("FD")), (std::vector<int>{'A', 'b'}));
  EXPECT_EQ(Bytes(capital + capital + Chord("F") + Chord("FD") + Chord(" ") + Chord("F")),
            (std::vector<int>{'A', 'B', ' ', 'a'}));  // locked until a space
  EXPECT_EQ(Bytes(Chord("S") + Chord("FKL")), (std::vector<int>{'.', '@'}));
}

TEST_F(BrailleTest, ModesChangeWithCtrlAlt) {
  Bytes("{CTRL+ALT+F11}");
  EXPECT_EQ(BrailleInput::Mode(), 1);
  Bytes("{CTRL+ALT+F11}");
  EXPECT_EQ(BrailleInput::Mode(), 2);
  Bytes("{CTRL+ALT+F11}");
  EXPECT_EQ(BrailleInput::Mode(), 1);
  Bytes("{CTRL+ALT+F12}");
  EXPECT_EQ(BrailleInput::Mode(), 0);
  EXPECT_EQ(Bytes("ab"), (std::vector<int>{'a', 'b'}));
}

}  // namespace
