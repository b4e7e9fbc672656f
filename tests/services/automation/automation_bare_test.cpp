// The automation commands where their components are missing: no display, no
// accessibility bus, no parallel port. Every command gives a clear result and nothing
// waits; copies reach the user's own terminal as OSC 52. Also the event ring's rule.
#include <pty.h>

#include "automation_fixture.h"
#include "platform/desktop/clipboard.h"
#include "services/msaa.h"

namespace {

class AutomationBareTest : public AutomationTest {
 protected:
  void SetUp() override {
    for (const char* name : {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "XDG_RUNTIME_DIR"})
      unsetenv(name);
    setenv("FONIX_PARPORT", "/nonexistent/parport0", 1);
    AutomationTest::SetUp();
  }
  void TearDown() override {
    unsetenv("FONIX_PARPORT");
    AutomationTest::TearDown();
  }
  int Count(const std::string& event) {
    int n = 0;
    for (const std::string& e : Events()) n += e == event;
    return n;
  }
};

TEST_F(AutomationBareTest, InputCommandsWithoutADisplayDoNothingAndSucceed) {
  ASSERT_TRUE(Line("SEJA $longo \"" + std::string(10000, 'x') + "\""));
  EXPECT_TRUE(Line("DIGITA $longo"));
  EXPECT_TRUE(Line("DIGITA \"Ação\" &"));
  EXPECT_TRUE(Line("ACIONA \"ctrl+c\""));
  EXPECT_TRUE(Line("ACIONA \"c\""));
  EXPECT_TRUE(Line("ACIONA \"#144\""));
  EXPECT_FALSE(Line("ACIONA \"xyz\""));
  EXPECT_FALSE(Line("ACIONA \"ctrl+\""));
  EXPECT_FALSE(Line("ACIONA \"#0\""));
  EXPECT_FALSE(Line("ACIONA \"#13x\""));
  EXPECT_TRUE(Line("CLICA 10 10"));
  EXPECT_TRUE(Line("CLICA DUPLO TELA 100, 200"));
  EXPECT_TRUE(Line("CLICA NULO TELA 0 0"));
  EXPECT_FALSE(Line("CLICA DUPLO"));
  ASSERT_TRUE(Line("LE MOUSE $x $y"));
  EXPECT_EQ(Var("$X") + "," + Var("$Y"), "0,0");
  ASSERT_TRUE(Line("LÊ RATO TELA $x $y"));
  EXPECT_EQ(Var("$X") + "," + Var("$Y"), "0,0");
}

TEST_F(AutomationBareTest, CapturaWithoutADisplayGivesTheConsoleAndTheProcessClipboard) {
  ASSERT_TRUE(Line("TITULO \"Meu programa\""));
  ASSERT_TRUE(Line("CAPTURA TITULO $t"));
  EXPECT_EQ(Var("$T"), "Meu programa");  // the console is the only window, always in front
  ASSERT_TRUE(Line("CAPTURA FOCO $f"));
  EXPECT_EQ(Var("$F"), "");
  ASSERT_TRUE(Line("SEJA $v \"copiado antes\""));
  ASSERT_TRUE(Line("TRANSFERE DE $v"));
  ASSERT_TRUE(Line("CAPTURA CAMPO $c"));
  EXPECT_EQ(Var("$C"), "copiado antes");
  Clipboard::SetText(std::string(600, 'z'));
  ASSERT_TRUE(Line("CAPTURA CAMPO $c"));
  EXPECT_EQ(Var("$C"), std::string(255, 'z'));
}

TEST_F(AutomationBareTest, SensorWithoutAPortSaysSoOnceAndReadsNothing) {
  ASSERT_TRUE(Line("SENSOR $s"));
  EXPECT_EQ(Var("$S"), "0");
  ASSERT_TRUE(Line("SENSOR $s"));
  EXPECT_EQ(Var("$S"), "0");
  EXPECT_EQ(Count("line: inpout32.dll não disponível."), 1);
  EXPECT_FALSE(Line("SENSOR"));
}

TEST_F(AutomationBareTest, MsaaWithoutAnAccessibilityBusWatchesAndNothingComes) {
  ASSERT_TRUE(Line("MSAA CHECA $e"));  // the watcher off
  EXPECT_EQ(Var("$E"), "0");
  ASSERT_TRUE(Line("MSAA MONITORA"));
  for (int i = 0; i < 5; ++i) {
    Messages::PumpMessages();
    ASSERT_TRUE(Line("MSAA CHECA $e"));
    EXPECT_EQ(Var("$E"), "0");
  }
  ASSERT_TRUE(Line("MSAA CAPTURA 10 10"));
  ASSERT_TRUE(Line("MSAA NOME $n"));
  ASSERT_TRUE(Line("MSAA TIPO $t"));
  ASSERT_TRUE(Line("MSAA ESTADO $s"));
  ASSERT_TRUE(Line("MSAA VALOR $v"));
  ASSERT_TRUE(Line("MSAA CÓDIGO $c"));
  ASSERT_TRUE(Line("MSAA AREA $l $a $w $h"));
  EXPECT_EQ(Var("$N") + Var("$T") + Var("$S") + Var("$V"), "");
  EXPECT_EQ(Var("$C"), "0");
  EXPECT_EQ(Var("$L") + Var("$A") + Var("$W") + Var("$H"), "0000");
  EXPECT_FALSE(Line("MSAA CAPTURA 10"));
  EXPECT_FALSE(Line("MSAA CAPTURA \"x\" 10"));
  EXPECT_FALSE(Line("MSAA AREA $l $a $w"));
  EXPECT_FALSE(Line("MSAA OUTRA $x"));
  EXPECT_FALSE(Line("MSAA CHECA"));
  EXPECT_TRUE(Line("MSAA FIM"));
}

TEST_F(AutomationBareTest, TheEventRingKeepsOrderAndOverwritesTheOldest) {
  // In order, one entry per event.
  for (int i = 0; i < 3; ++i) Msaa::RecordForTest(0x8005, i);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Msaa::PeekTagForTest(), i);
    EXPECT_FALSE(Msaa::MsaaNextEvent());  // the object cannot be had: the event is used up
  }
  EXPECT_EQ(Msaa::PeekTagForTest(), -1);
  // Exactly 100 unread look like none.
  for (int i = 0; i < 100; ++i) Msaa::RecordForTest(0x8005, i);
  EXPECT_EQ(Msaa::PeekTagForTest(), -1);
  // Five more: the five newest are there, the older ones lost.
  for (int i = 100; i < 105; ++i) Msaa::RecordForTest(3, i);
  for (int i = 100; i < 105; ++i) {
    EXPECT_EQ(Msaa::PeekTagForTest(), i);
    Msaa::MsaaNextEvent();
  }
  EXPECT_EQ(Msaa::PeekTagForTest(), -1);
}

TEST_F(AutomationBareTest, CopiesReachTheUsersTerminalWithoutADisplay) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  TerminalClipboard::Attach(slave);
  Clipboard::SetText(Cp1252::FromUtf8("ação\r\nfim"));
  std::string got;
  char buf[256];
  pollfd p{master, POLLIN, 0};
  while (got.find('\x07') == std::string::npos && poll(&p, 1, 2000) > 0) {
    const ssize_t n = read(master, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(got, "\x1b]52;c;YcOnw6NvCmZpbQ==\x07");
  // The process clipboard stays the one pasted from.
  EXPECT_EQ(Cp1252::ToUtf8(Clipboard::GetText()), "ação\r\nfim");
  TerminalClipboard::Detach();
  close(master);
  close(slave);
}

}  // namespace
