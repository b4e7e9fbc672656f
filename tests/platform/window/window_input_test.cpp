// Keys typed into the console window with XTest (key-down and key-up, as a keyboard sends
// them), braille chords, the mouse as keys, and the clipboard shared with another X client.
#include <sys/wait.h>

#include "tests/platform/window/window_fixture.h"
// After the other headers: Xlib's macros would break them.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class WindowInputTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    if (HasFatalFailure()) return;
    XRaiseWindow(display_, window_);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
    // Focus is in once a key typed arrives.
    ASSERT_TRUE(PumpUntil([&] {
      Press(XK_x);
      return Keyboard::QueueCount() > 0;
    })) << "the window never took the keyboard";
    PumpUntil([] { return false; }, 100);
    Keyboard::ClearQueue();
  }

  void Key(KeySym sym, bool down) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, sym), down ? True : False, CurrentTime);
    XSync(display_, False);
  }
  void Press(KeySym sym) {
    Key(sym, true);
    Key(sym, false);
  }
  // Holds the modifiers, presses the key, lets go in the reverse order.
  void Combo(std::initializer_list<KeySym> mods, KeySym sym) {
    for (KeySym m : mods) Key(m, true);
    Press(sym);
    for (auto it = std::rbegin(mods); it != std::rend(mods); ++it) Key(*it, false);
  }

  // The key bytes queued once `count` have arrived (or what came within two seconds).
  std::vector<int> Take(int count) {
    PumpUntil([&] { return Keyboard::QueueCount() >= count; });
    PumpUntil([] { return false; }, 50);  // nothing more may come
    std::vector<int> bytes;
    while (Keyboard::QueueCount() > 0) bytes.push_back(Keyboard::ConsoleReadKey());
    return bytes;
  }
};

TEST_F(WindowInputTest, KeysArriveAsTheKeyboardCodesOfTheConsole) {
  Press(XK_a);
  EXPECT_EQ(Take(1), (std::vector<int>{'a'}));
  Combo({XK_Shift_L}, XK_a);
  EXPECT_EQ(Take(1), (std::vector<int>{'A'}));
  Press(XK_F1);
  EXPECT_EQ(Take(2), (std::vector<int>{0, 59}));
  Combo({XK_Control_L}, XK_Return);
  EXPECT_EQ(Take(1), (std::vector<int>{10}));
  Combo({XK_Control_L}, XK_BackSpace);
  EXPECT_EQ(Take(1), (std::vector<int>{127}));
  Combo({XK_Shift_L}, XK_Insert);
  EXPECT_EQ(Take(2), (std::vector<int>{0, 254}));
  Combo({XK_Control_L}, XK_Insert);
  EXPECT_EQ(Take(2), (std::vector<int>{0, 255}));
  Combo({XK_Control_L}, XK_backslash);
  EXPECT_EQ(Take(1), (std::vector<int>{28}));
  Combo({XK_Control_L}, XK_c);
  EXPECT_EQ(Take(1), (std::vector<int>{3}));
  Combo({XK_Control_L, XK_Alt_L}, XK_1);
  EXPECT_EQ(Take(2), (std::vector<int>{0, 120}));
  Combo({XK_Control_L, XK_Alt_L}, XK_x);
  EXPECT_EQ(Take(2), (std::vector<int>{0, 45}));
  // Alt with a letter and F10 are system keys: no code.
  Combo({XK_Alt_L}, XK_a);
  Press(XK_F10);
  Press(XK_Escape);
  EXPECT_EQ(Take(1), (std::vector<int>{27}));
  Press(XK_Down);
  Press(XK_Home);
  EXPECT_EQ(Take(4), (std::vector<int>{0, 80, 0, 71}));
}

TEST_F(WindowInputTest, BrailleChordsAreCompletedByTheirKeyUps) {
  BrailleInput::SetMode(1, false);
  // Dots 1 and 2 (F and D) held together, then let go: b, and only at the last key-up.
  Key(XK_f, true);
  Key(XK_d, true);
  Key(XK_f, false);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(Keyboard::QueueCount(), 0) << "a chord ended before all its keys were up";
  Key(XK_d, false);
  EXPECT_EQ(Take(1), (std::vector<int>{'b'}));
  // Space alone is a space.
  Press(XK_space);
  EXPECT_EQ(Take(1), (std::vector<int>{' '}));
  // Ctrl+Alt+F12 leaves braille input: letters type again. The X server takes Ctrl+Alt+F
  // keys for itself (switching consoles) unless told not to, as users of braille input do.
  ASSERT_EQ(std::system("setxkbmap -option srvrkeys:none"), 0);
  XSync(display_, False);
  PumpUntil([] { return false; }, 200);
  Combo({XK_Control_L, XK_Alt_L}, XK_F12);
  ASSERT_TRUE(PumpUntil([] { return BrailleInput::Mode() == 0; }));
  Press(XK_f);
  EXPECT_EQ(Take(1), (std::vector<int>{'f'}));
}

TEST_F(WindowInputTest, TheMouseGivesItsKeys) {
  Window child;
  int x, y;
  XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 100, 100, &x, &y, &child);
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  for (unsigned button : {1u, 3u, 2u, 4u, 5u}) {
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    XSync(display_, False);
    PumpUntil([] { return false; }, 50);
  }
  EXPECT_EQ(Take(8), (std::vector<int>{13, 27, 0, 67, 0, 72, 0, 80}));
}

// Runs a command to its end while the window's events are handled (it serves the clipboard).
std::string RunWhilePumping(WindowTest& test, const std::string& command, const std::function<bool()>& pump) {
  std::string out;
  FILE* f = popen(command.c_str(), "r");
  if (!f) return out;
  const int fd = fileno(f);
  fcntl(fd, F_SETFL, O_NONBLOCK);
  pump();
  const int64_t until = Messages::NowMs() + 5000;
  for (;;) {
    char buf[256];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) out.append(buf, static_cast<std::size_t>(n));
    else if (n == 0 || Messages::NowMs() > until) break;
    Messages::PumpMessages();
    Messages::WaitMessage(5);
  }
  pclose(f);
  (void)test;
  return out;
}

TEST_F(WindowInputTest, CopiedTextPastesInOtherProgramsAndBack) {
  Console::ConsoleCopyText("pão e ação"_cp);
  const std::string pasted =
      RunWhilePumping(*this, "xclip -o -selection clipboard 2>&1", [] { return true; });
  EXPECT_EQ(pasted, "pão e ação");
  // Another program copies; the console pastes it in Windows-1252, cut to its capacity.
  const Atom clipboard = XInternAtom(display_, "CLIPBOARD", False);
  const Window ours = XGetSelectionOwner(display_, clipboard);
  ASSERT_NE(ours, 0u) << "the copy did not take the desktop's clipboard";
  FILE* in = popen("xclip -i -selection clipboard >/dev/null 2>&1", "w");
  ASSERT_NE(in, nullptr);
  fputs("olá, João", in);
  pclose(in);  // xclip stays behind to serve the text, until the server ends
  ASSERT_TRUE(PumpUntil([&] {
    const Window owner = XGetSelectionOwner(display_, clipboard);
    return owner != 0 && owner != ours;
  })) << "xclip never took the clipboard";
  EXPECT_EQ(Console::ConsolePasteText(1025), "olá, João"_cp);
}

}  // namespace
