// The automation commands on a real X display: Portuguese text typed into a GTK entry on
// any key of the layout, key combinations, clicks at screen and window-relative points,
// the pointer read back, titles and fields captured, the clipboard exchanged with xclip.
#include <thread>

#include "automation_fixture.h"
#include "platform/desktop/clipboard.h"
#include "platform/terminal/terminal_clipboard.h"
#include "platform/desktop/x_clipboard.h"

namespace {

class AutomationXTest : public AutomationTest {
 protected:
  // Screen position of the target's client area and the frame extents openbox gives it.
  static void ClientPlace(long& x, long& y, long& frameLeft, long& frameTop) {
    const std::string active = XServer::Output({"xprop", "-root", "_NET_ACTIVE_WINDOW"});
    const std::string id = active.substr(active.find("0x"));
    const std::string info = XServer::Output({"xwininfo", "-id", id.substr(0, id.find_first_of(", \n"))});
    auto number = [&](const std::string& label) {
      const std::size_t at = info.find(label);
      return at == std::string::npos ? -1L : std::stol(info.substr(at + label.size()));
    };
    x = number("Absolute upper-left X:");
    y = number("Absolute upper-left Y:");
    const std::string extents =
        XServer::Output({"xprop", "-id", id.substr(0, id.find_first_of(", \n")), "_NET_FRAME_EXTENTS"});
    long left = 0, right = 0, top = 0;
    std::sscanf(extents.c_str() + extents.find('=') + 1, "%ld, %ld, %ld", &left, &right, &top);
    frameLeft = x - left;
    frameTop = y - top;
  }
};

TEST_F(AutomationXTest, DigitaTypesPortugueseTextOnAnyLayoutAndLeavesTheKeyboardAsItWas) {
  XServer x(true);
  ASSERT_TRUE(x.Running() && x.Managed()) << "Xvfb and openbox are needed: " << x.ManagerLog();
  StartTarget(x);
  ASSERT_TRUE(Has("pronto")) << "the GTK window did not start";
  const std::vector<KeySym> before = KeyboardMapping();
  // Accented capitals, letters the US layout lacks, and symbols that need Shift.
  ASSERT_TRUE(Line("DIGITA \"Ação É Ü ñ Ç; R$ 10,50 (ok)?\" &"));
  EXPECT_TRUE(LastBecomes("texto:", "texto:Ação É Ü ñ Ç; R$ 10,50 (ok)?")) << Last("texto:");
  EXPECT_FALSE(Has("enter"));
  EXPECT_EQ(KeyboardMapping(), before) << "a key code was left bound";
  EXPECT_FALSE(AnyKeyDown()) << "a key was left pressed";
  // Without "&" the text ends with Enter.
  ASSERT_TRUE(Line("DIGITA \"!\""));
  EXPECT_TRUE(LastBecomes("texto:", "texto:Ação É Ü ñ Ç; R$ 10,50 (ok)?!"));
  EXPECT_TRUE(Until([&] { return Has("enter"); }, 5000));
  EXPECT_FALSE(Line("DIGITA \"a\" \"b\""));  // one value only
}

TEST_F(AutomationXTest, AcionaPressesCombinationsNamedKeysAndSingleKeys) {
  XServer x(true);
  ASSERT_TRUE(x.Running() && x.Managed()) << "Xvfb and openbox are needed: " << x.ManagerLog();
  const pid_t target = StartTarget(x);
  ASSERT_TRUE(Has("pronto"));
  ASSERT_TRUE(Line("DIGITA \"abc\" &"));
  ASSERT_TRUE(LastBecomes("texto:", "texto:abc"));
  ASSERT_TRUE(Line("ACIONA \"ctrl+a\""));  // selects all ...
  EXPECT_TRUE(LastBecomes("tecla ", "tecla a C"));
  ASSERT_TRUE(Line("ACIONA \"#46\""));  // ... and Delete removes it
  EXPECT_TRUE(LastBecomes("texto:", "texto:"));
  // A single character presses its key without Shift, even for a capital.
  ASSERT_TRUE(Line("ACIONA \"Q\""));
  EXPECT_TRUE(LastBecomes("texto:", "texto:q"));
  ASSERT_TRUE(Line("ACIONA \"ctrl+shift+home\""));
  EXPECT_TRUE(LastBecomes("tecla ", "tecla Home CS"));
  ASSERT_TRUE(Line("ACIONA \"backspace\""));
  EXPECT_TRUE(LastBecomes("texto:", "texto:"));
  ASSERT_TRUE(Line("ACIONA \"#13\""));
  EXPECT_TRUE(Until([&] { return Has("enter"); }, 5000));
  ASSERT_TRUE(Line("ACIONA \"f5\""));
  EXPECT_TRUE(LastBecomes("tecla ", "tecla F5 -"));
  // Names the command does not know, and the modifiers in another order, fail.
  EXPECT_FALSE(Line("ACIONA \"xyz\""));
  EXPECT_FALSE(Line("ACIONA \"shift+ctrl+f5\""));
  EXPECT_FALSE(Line("ACIONA \"f13\""));
  EXPECT_FALSE(Line("ACIONA \"\""));
  // Num Lock flips without a key event.
  const bool numLock = NumLockOn();
  ASSERT_TRUE(Line("ACIONA \"#144\""));
  EXPECT_NE(NumLockOn(), numLock);
  ASSERT_TRUE(Line("ACIONA \"#144\""));
  EXPECT_EQ(NumLockOn(), numLock);
  EXPECT_FALSE(AnyKeyDown());
  // Alt+F4 reaches the window manager, which closes the window.
  ASSERT_TRUE(Line("ACIONA \"alt+f4\""));
  EXPECT_TRUE(Until([&] { return x.Ended(target); }, 10000));
  EXPECT_FALSE(AnyKeyDown());
}

TEST_F(AutomationXTest, ClicaAndLeMouseAtScreenAndWindowRelativePoints) {
  XServer x(true);
  ASSERT_TRUE(x.Running() && x.Managed()) << "Xvfb and openbox are needed: " << x.ManagerLog();
  StartTarget(x);
  ASSERT_TRUE(Has("pronto"));
  long clientX = 0, clientY = 0, frameLeft = 0, frameTop = 0;
  ClientPlace(clientX, clientY, frameLeft, frameTop);
  ASSERT_GT(clientX, 0);
  // The click area lies in the lower half of the window.
  const long sx = clientX + 30, sy = clientY + 260;
  ASSERT_TRUE(Line("CLICA TELA " + std::to_string(sx) + ", " + std::to_string(sy)));
  EXPECT_TRUE(LastBecomes("clique", "clique " + std::to_string(sx) + " " + std::to_string(sy) + " simples 1"));
  // Apart in time and place from the single click, so that the two do not join.
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  ASSERT_TRUE(Line("CLICA DUPLO TELA " + std::to_string(sx + 50) + " " + std::to_string(sy)));
  EXPECT_TRUE(LastBecomes("clique", "clique " + std::to_string(sx + 50) + " " + std::to_string(sy) + " duplo 1"))
      << Last("clique");
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  // Window-relative: x from the client's left edge, y from 4 pixels below the frame's top.
  const long rx = 40, ry = clientY + 250 - (frameTop + 4);
  ASSERT_TRUE(Line("CLICA " + std::to_string(rx) + " " + std::to_string(ry)));
  EXPECT_TRUE(LastBecomes("clique", "clique " + std::to_string(clientX + rx) + " " + std::to_string(clientY + 250) +
                                        " simples 1"));
  ASSERT_TRUE(Line("LE MOUSE $mx $my"));
  EXPECT_EQ(Var("$MX"), std::to_string(rx));
  EXPECT_EQ(Var("$MY"), std::to_string(ry));
  ASSERT_TRUE(Line("LE RATO TELA $mx $my"));
  EXPECT_EQ(Var("$MX"), std::to_string(clientX + rx));
  // A move only: no click arrives.
  const std::size_t clicks = Reported().size();
  ASSERT_TRUE(Line("CLICA NULO TELA 0 0"));
  ASSERT_TRUE(Line("LE MOUSE TELA $mx $my"));
  EXPECT_EQ(Var("$MX") + "," + Var("$MY"), "0,0");
  // Far off the screen the pointer stops at the edge.
  ASSERT_TRUE(Line("CLICA NULO TELA 999999, -999999"));
  ASSERT_TRUE(Line("LE MOUSE TELA $mx $my"));
  EXPECT_EQ(Var("$MX") + "," + Var("$MY"), "1023,0");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Reported().size(), clicks);
  // Bad operands fail; something after y fails once the click is made.
  EXPECT_FALSE(Line("CLICA TELA \"a\" 10"));
  EXPECT_FALSE(Line("CLICA TELA 10"));
  EXPECT_FALSE(Line("CLICA NULO TELA 5 5 6"));
  ASSERT_TRUE(Line("LE MOUSE TELA $mx $my"));
  EXPECT_EQ(Var("$MX") + "," + Var("$MY"), "5,5");
  EXPECT_FALSE(Line("LE MOUSE $mx"));
}

TEST_F(AutomationXTest, CapturaReadsTitlesTheFocusedWindowAndTheField) {
  XServer x(true);
  ASSERT_TRUE(x.Running() && x.Managed()) << "Xvfb and openbox are needed: " << x.ManagerLog();
  const pid_t target = StartTarget(x, false, "Cadastro — Ação");
  ASSERT_TRUE(Has("pronto"));
  for (const char* word : {"TITULO", "título", "ATIVA"}) {
    ASSERT_TRUE(Line(std::string("CAPTURA ") + word + " $t"));
    EXPECT_EQ(Var("$T"), "Cadastro — Ação") << word;
  }
  ASSERT_TRUE(Line("CAPTURA FOCO $f"));
  EXPECT_EQ(Var("$F"), "Cadastro — Ação");
  ASSERT_TRUE(Line("DIGITA \"João da Silva\" &"));
  ASSERT_TRUE(LastBecomes("texto:", "texto:João da Silva"));
  ASSERT_TRUE(Line("ACIONA \"left\""));  // the caret inside the line: Home and Shift+End take all of it
  ASSERT_TRUE(Line("CAPTURA CAMPO $c"));
  EXPECT_EQ(Var("$C"), "João da Silva");
  ASSERT_TRUE(Line("CAPTURA OUTRA $o"));
  EXPECT_EQ(Var("$O"), "");
  EXPECT_FALSE(Line("CAPTURA TITULO"));
  // The window closed between two commands: nothing in front, nothing focused.
  kill(target, SIGTERM);
  ASSERT_TRUE(Until([&] { return x.Ended(target); }));
  ASSERT_TRUE(Line("CAPTURA TITULO $t"));
  EXPECT_EQ(Var("$T"), "");
  ASSERT_TRUE(Line("CAPTURA FOCO $f"));
  EXPECT_EQ(Var("$F"), "");
}

// Runs a program to its end on another thread while the event loop runs here (the
// clipboard is served from it); its standard output.
std::string OutputWhilePumping(const std::string& command) {
  std::string out;
  bool done = false;
  std::thread runner([&] {
    out = XServer::Output({"sh", "-c", command});
    done = true;
  });
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done && std::chrono::steady_clock::now() < until) {
    Messages::PumpMessages();
    Messages::WaitMessage(10);
  }
  runner.join();
  return out;
}

TEST_F(AutomationXTest, TheTerminalClipboardIsTheXClipboard) {
  XServer x(false);
  ASSERT_TRUE(x.Running()) << "Xvfb is needed";
  TerminalClipboard::Attach(-1);
  // Copied here, pasted by another X client: UTF-8 with its own line ends.
  ASSERT_TRUE(Line("SEJA $v \"só isto\""));
  ASSERT_TRUE(Line("TRANSFERE DE $v"));
  EXPECT_TRUE(XClipboard::Owned());
  EXPECT_EQ(OutputWhilePumping("xclip -o -selection clipboard"), "só isto");
  Clipboard::SetText(Cp1252::FromUtf8("ação\r\nfim"));
  EXPECT_EQ(OutputWhilePumping("xclip -o -selection clipboard"), "ação\nfim");
  EXPECT_EQ(OutputWhilePumping("xclip -o -selection clipboard -target STRING | od -An -v -tx1 | tr -d [:space:]"),
            "61e7e36f0a66696d");  // Latin-1
  // Copied by another client, pasted here with Windows line ends.
  const auto copied = WriteFile("copiado.txt", "de fora é\nsegunda");
  XServer::Output({"sh", "-c", "xclip -i -selection clipboard " + copied.string() + " >/dev/null"});
  EXPECT_TRUE(Until([&] { return !XClipboard::Owned(); }, 5000));
  ASSERT_TRUE(Line("TRANSFERE PARA $w"));
  EXPECT_EQ(Var("$W"), "de fora é\r\nsegunda");
  TerminalClipboard::Detach();
  Clipboard::SetText("process");
  EXPECT_EQ(Clipboard::GetText(), "process");
}

}  // namespace
