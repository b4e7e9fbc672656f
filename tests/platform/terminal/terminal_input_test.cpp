// What terminals send, decoded: every key family with its modifiers, Alt as an escape
// prefix, the lone Esc, sequences split over reads, UTF-8 (and what is not), mouse reports.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/events/keys.h"
#include "platform/terminal/terminal_input.h"

namespace {

using TerminalInput::Event;

std::string NameOf(uint16_t vk) {
  switch (vk) {
    case Keys::VK_UP: return "UP";
    case Keys::VK_DOWN: return "DOWN";
    case Keys::VK_LEFT: return "LEFT";
    case Keys::VK_RIGHT: return "RIGHT";
    case Keys::VK_HOME: return "HOME";
    case Keys::VK_END: return "END";
    case Keys::VK_PRIOR: return "PGUP";
    case Keys::VK_NEXT: return "PGDN";
    case Keys::VK_INSERT: return "INS";
    case Keys::VK_DELETE: return "DEL";
    case Keys::VK_RETURN: return "ENTER";
    case Keys::VK_ESCAPE: return "ESC";
    case Keys::VK_TAB: return "TAB";
    case Keys::VK_BACK: return "BACK";
    case Keys::VK_CANCEL: return "BREAK";
    default: break;
  }
  std::string name;
  if (vk >= Keys::VK_F1 && vk <= Keys::VK_F12) name.append("F").append(std::to_string(vk - Keys::VK_F1 + 1));
  return name;
}

// "S-C-A-" prefixes, then the key's name, its character, or "^n" for a bare Ctrl character.
std::string Text(const Event& e) {
  switch (e.type) {
    case Event::Type::MouseDown: return std::string("mouse").append(std::to_string(e.value));
    case Event::Type::MouseWheel: return std::string("wheel").append(std::to_string(e.value));
    case Event::Type::Focus: return std::string("focus").append(std::to_string(e.value));
    case Event::Type::Key: break;
  }
  std::string s;
  if (e.mods & Keys::kShift) s += "S-";
  if (e.mods & Keys::kCtrl) s += "C-";
  if (e.mods & Keys::kAlt) s += "A-";
  if (e.rawChar) return s.append("^").append(std::to_string(e.rawChar));
  const std::string name = NameOf(e.key.vk);
  if (!name.empty()) return s.append(name);
  if (e.key.ch >= 32 && e.key.ch < 127) return s.append(1, static_cast<char>(e.key.ch));
  return s.append("#").append(std::to_string(e.key.ch));
}

std::string Join(const std::vector<Event>& events) {
  std::string s;
  for (const Event& e : events) {
    if (!s.empty()) s += ' ';
    s += Text(e);
  }
  return s;
}

// All the bytes arrived, and then nothing more for longer than the escape wait.
std::string Decode(const std::string& bytes) {
  TerminalInput::Decoder d;
  std::vector<Event> out;
  TerminalInput::Feed(d, bytes, out);
  TerminalInput::Settle(d, out);
  EXPECT_FALSE(TerminalInput::Waiting(d));
  return Join(out);
}

// The bytes arrived, the next ones may still come.
std::string DecodeNoWait(TerminalInput::Decoder& d, const std::string& bytes) {
  std::vector<Event> out;
  TerminalInput::Feed(d, bytes, out);
  return Join(out);
}

TEST(TerminalInput, CharactersAndControlBytes) {
  EXPECT_EQ(Decode("aZ 1"), "a S-Z   1");
  EXPECT_EQ(Decode("\r\n\t"), "ENTER C-ENTER TAB");  // Ctrl+J is Ctrl+Enter
  EXPECT_EQ(Decode("\x7f\x08"), "BACK BACK");
  EXPECT_EQ(Decode("\x03\x1a\x01"), "C-c C-z C-a");  // Ctrl+C and Ctrl+Z are keys, not signals
  // Ctrl+\ is Ctrl+Break; Ctrl+] stands in for it and types 28.
  EXPECT_EQ(Decode(std::string("\x1c\x1d\x1f\x00", 4)), "C-BREAK C-^28 C-^31 C- ");
  TerminalInput::Decoder lines;
  lines.lineFeedIsEnter = true;
  EXPECT_EQ(DecodeNoWait(lines, "ok\n"), "o k ENTER");
}

TEST(TerminalInput, BackspaceAndCtrlBackspaceByTheTerminalsEraseCharacter) {
  TerminalInput::Decoder del;  // the terminal's Backspace sends DEL, Ctrl+Backspace ^H
  del.eraseByte = 127;
  EXPECT_EQ(DecodeNoWait(del, "\x7f\x08"), "BACK C-BACK");
  TerminalInput::Decoder bs;  // and the other way round
  bs.eraseByte = 8;
  EXPECT_EQ(DecodeNoWait(bs, "\x7f\x08"), "C-BACK BACK");
  // Ctrl+Backspace types 127 as a keyboard's does.
  std::vector<Event> out;
  TerminalInput::Feed(del, "\x08", out);
  const auto messages = TerminalInput::ToMessages(out.at(0));
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[1].kind, Messages::Kind::Char);
  EXPECT_EQ(messages[1].ch, 8);
  EXPECT_EQ(messages[1].mods, Keys::kCtrl);
}

TEST(TerminalInput, AltStandsInForCtrlAltWithF9AndThePageKeys) {
  EXPECT_EQ(Decode("\x1b[20;3~\x1b[5;3~\x1b[6;3~"), "C-A-F9 C-A-PGUP C-A-PGDN");
  EXPECT_EQ(Decode("\x1b\x1b[20~"), "C-A-F9");             // Esc, then F9
  EXPECT_EQ(Decode("\x1b[20;7~\x1b[5;5~"), "C-A-F9 C-PGUP");  // the keys themselves still work
  EXPECT_EQ(Decode("\x1b[19;3~\x1b[1;3A"), "A-F8 A-UP");      // other keys keep plain Alt
}

TEST(TerminalInput, CursorAndEditingKeysInEveryForm) {
  EXPECT_EQ(Decode("\x1b[A\x1b[B\x1b[C\x1b[D"), "UP DOWN RIGHT LEFT");
  EXPECT_EQ(Decode("\x1bOA\x1bOB\x1bOC\x1bOD"), "UP DOWN RIGHT LEFT");
  EXPECT_EQ(Decode("\x1b[H\x1b[F\x1bOH\x1bOF\x1b[1~\x1b[4~\x1b[7~\x1b[8~"), "HOME END HOME END HOME END HOME END");
  EXPECT_EQ(Decode("\x1b[2~\x1b[3~\x1b[5~\x1b[6~"), "INS DEL PGUP PGDN");
  EXPECT_EQ(Decode("\x1b[Z"), "S-TAB");
  EXPECT_EQ(Decode("\x1bOM"), "ENTER");
}

TEST(TerminalInput, FunctionKeys) {
  EXPECT_EQ(Decode("\x1bOP\x1bOQ\x1bOR\x1bOS"), "F1 F2 F3 F4");
  EXPECT_EQ(Decode("\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~"), "F1 F2 F3 F4 F5");
  EXPECT_EQ(Decode("\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~"), "F6 F7 F8 F9 F10 F11 F12");
  EXPECT_EQ(Decode("\x1b[[A\x1b[[E"), "F1 F5");  // the Linux console
  EXPECT_EQ(Decode("\x1b[16~\x1b[22~\x1b[99~"), "");  // numbers of no key
}

TEST(TerminalInput, ModifierParameters) {
  const char* prefix[] = {"S-", "A-", "S-A-", "C-", "S-C-", "C-A-", "S-C-A-"};
  for (int m = 2; m <= 8; ++m) {
    const std::string p = prefix[m - 2], n = std::to_string(m);
    EXPECT_EQ(Decode("\x1b[1;" + n + "A"), p + "UP") << m;
    EXPECT_EQ(Decode("\x1b[3;" + n + "~"), p + "DEL") << m;
    EXPECT_EQ(Decode("\x1b[1;" + n + "P"), p + "F1") << m;
    EXPECT_EQ(Decode("\x1b[24;" + n + "~"), p + "F12") << m;
  }
  EXPECT_EQ(Decode("\x1bO5P"), "C-F1");  // older xterm
  // Keys reported by code (modifyOtherKeys, CSI u): Ctrl+Enter and Ctrl+Backspace at last.
  EXPECT_EQ(Decode("\x1b[27;5;13~\x1b[13;5u\x1b[127;5u\x1b[97;6u"), "C-ENTER C-ENTER C-BACK S-C-A");
}

TEST(TerminalInput, EscapePrefixIsAlt) {
  EXPECT_EQ(Decode("\x1b" "a\x1b" "A\x1b" "5"), "A-a S-A-A A-5");
  EXPECT_EQ(Decode("\x1b\x01\x1b\x1a"), "C-A-a C-A-z");  // Ctrl+Alt+letter
  EXPECT_EQ(Decode("\x1b\x7f\x1b\r"), "A-BACK A-ENTER");
  EXPECT_EQ(Decode("\x1b\x1b[A\x1b\x1bOP"), "A-UP A-F1");
  EXPECT_EQ(Decode("\x1b\xc3\xa9"), "A-#233");
}

TEST(TerminalInput, LoneEscapeWaitsThenIsTheEscKey) {
  TerminalInput::Decoder d;
  EXPECT_EQ(DecodeNoWait(d, "\x1b"), "");
  EXPECT_TRUE(TerminalInput::Waiting(d));
  std::vector<Event> out;
  TerminalInput::Settle(d, out);
  EXPECT_EQ(Join(out), "ESC");
  EXPECT_EQ(Decode("\x1b\x1b"), "ESC ESC");
  EXPECT_EQ(Decode("\x1b["), "A-[");  // Alt+[ typed on its own
  EXPECT_EQ(Decode("\x1b[1;5"), "");   // a sequence cut short is not a key
}

TEST(TerminalInput, SequencesSplitOverReads) {
  const std::string cases[] = {"\x1b[1;5A", "\x1bOS", "\x1b[24;8~", "\xe2\x82\xac", "\xf0\x9f\x98\x80",
                               "\x1b[<65;10;5M", "\x1b\x1b[D", "\x1b" "b", "\x1b[M !!", "\x1b[[C"};
  for (const std::string& whole : cases) {
    const std::string expected = Decode(whole);
    ASSERT_FALSE(expected.empty()) << whole;
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
      TerminalInput::Decoder d;
      const std::string first = DecodeNoWait(d, whole.substr(0, cut));
      EXPECT_EQ(first, "") << "cut " << cut << " of " << expected;
      EXPECT_EQ(DecodeNoWait(d, whole.substr(cut)), expected) << "cut " << cut;
      EXPECT_FALSE(TerminalInput::Waiting(d));
    }
  }
}

TEST(TerminalInput, Utf8ToWindows1252) {
  EXPECT_EQ(Decode("ção"), "#231 #227 o");
  EXPECT_EQ(Decode("É€…"), "S-#201 #128 #133");
  EXPECT_EQ(Decode("日😀"), "? ?");  // characters the code page lacks
}

TEST(TerminalInput, MalformedUtf8BecomesQuestionMarks) {
  EXPECT_EQ(Decode("\xff\x80"), "? ?");            // no lead byte
  EXPECT_EQ(Decode("\xc3" "a"), "? a");            // a lead cut short: the next byte counts
  EXPECT_EQ(Decode("\xc0\xaf"), "? ?");            // overlong
  EXPECT_EQ(Decode("\xed\xa0\x80"), "?");          // a surrogate
  EXPECT_EQ(Decode("\xe2\x82"), "?");              // input ended inside a character
  EXPECT_EQ(Decode("\xc2\x9b" "A"), "? S-A");      // U+009B is no character to type
}

TEST(TerminalInput, MouseReports) {
  EXPECT_EQ(Decode("\x1b[<0;10;5M\x1b[<0;10;5m"), "mouse0");  // a release gives nothing
  EXPECT_EQ(Decode("\x1b[<2;1;1M\x1b[<1;1;1M"), "mouse1 mouse2");  // right, middle
  EXPECT_EQ(Decode("\x1b[<64;1;1M\x1b[<65;1;1M"), "wheel120 wheel-120");
  EXPECT_EQ(Decode("\x1b[<32;4;4M\x1b[<66;1;1M\x1b[<0;1M"), "");  // motion, sideways wheel, malformed
  EXPECT_EQ(Decode("\x1b[M !!\x1b[M#!!"), "mouse0");  // the byte form, press then release
  EXPECT_EQ(Decode("\x1b[I\x1b[O"), "focus1 focus0");
}

TEST(TerminalInput, NoiseIsDroppedAndDecodingGoesOn) {
  EXPECT_EQ(Decode("\x1b[1\x03x"), "C-c x");  // a control byte breaks a sequence and still counts
  // An endless sequence is given up: what follows it is typed again, no key is made up.
  const std::string endless = Decode("\x1b[" + std::string(100, '1') + "Ax");
  EXPECT_EQ(endless.substr(endless.size() - 7), "1 S-A x");
  EXPECT_EQ(endless.find("UP"), std::string::npos);
  EXPECT_EQ(Decode("\x1b[?1;2c\x1b[>0;276;0c\x1b[12;40R"), "");  // terminal answers are no keys
  // Random bytes in random pieces: every byte decoded or dropped, nothing held at the end.
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    TerminalInput::Decoder d;
    std::vector<Event> out;
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<char>(rng() % 4 == 0 ? 27 : rng() & 0xFF));
    for (std::size_t i = 0; i < bytes.size();) {
      const std::size_t n = 1 + rng() % 9;
      TerminalInput::Feed(d, std::string_view(bytes).substr(i, n), out);
      EXPECT_LE(d.held.size(), 64u);
      i += n;
    }
    TerminalInput::Settle(d, out);
    EXPECT_FALSE(TerminalInput::Waiting(d));
    for (const Event& e : out) TerminalInput::ToMessages(e);
  }
}

TEST(TerminalInput, MessagesOfTerminalOnlyKeys) {
  using Messages::Kind;
  auto kinds = [](const std::string& bytes) {
    TerminalInput::Decoder d;
    std::vector<Event> out;
    TerminalInput::Feed(d, bytes, out);
    TerminalInput::Settle(d, out);
    std::vector<Kind> k;
    for (const Event& e : out)
      for (const auto& m : TerminalInput::ToMessages(e)) k.push_back(m.kind);
    return k;
  };
  // Alt+F4 closes the console as it closes a window.
  EXPECT_EQ(kinds("\x1b[1;3S"), (std::vector<Kind>{Kind::SysKeyDown, Kind::SysKeyUp, Kind::Close}));
  // Ctrl+] types character 28, the Ctrl+\ a terminal keeps for Ctrl+Break.
  TerminalInput::Decoder d;
  std::vector<Event> out;
  TerminalInput::Feed(d, "\x1d", out);
  const auto messages = TerminalInput::ToMessages(out.at(0));
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[1].kind, Kind::Char);
  EXPECT_EQ(messages[1].ch, 28);
  // Ctrl+Break is the key-down the console ends the program on.
  out.clear();
  TerminalInput::Feed(d, "\x1c", out);
  const auto brk = TerminalInput::ToMessages(out.at(0));
  EXPECT_EQ(brk.at(0).kind, Kind::KeyDown);
  EXPECT_EQ(brk.at(0).vk, Keys::VK_CANCEL);
  EXPECT_EQ(brk.at(0).mods, Keys::kCtrl);
}

}  // namespace
