// The accessibility watcher against a real GTK 3 window on a private session bus, with the
// accessibility bus started by it: focus changes taken one at a time with their name, role,
// state and location; objects looked up by screen point; an application that ends while
// its events wait.
#include <sys/wait.h>

#include "automation_fixture.h"
#include "services/msaa.h"
#include "tests/support/session_bus.h"

namespace {

struct Focus {
  std::string name, role, state, code, value;
};

class AutomationAtspiTest : public AutomationTest {
 protected:
  // The next focus event taken, waiting for one up to `patienceMs`; false when none came.
  bool Next(Focus& f, int patienceMs = 10000) {
    const bool got = Until(
        [&] {
          Line("MSAA CHECA $e");
          return Var("$E") == "1";
        },
        patienceMs);
    if (!got) return false;
    Line("MSAA NOME $n");
    Line("MSAA TIPO $t");
    Line("MSAA ESTADO $s");
    Line("MSAA CODIGO $c");
    Line("MSAA VALOR $v");
    f = Focus{Var("$N"), Var("$T"), Var("$S"), Var("$C"), Var("$V")};
    return true;
  }
  // Takes events until one names `name`; false when none does in time.
  bool NextNamed(const std::string& name, Focus& f) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < until)
      if (Next(f, 2000) && f.name == name) return true;
    return false;
  }
  // The screen rectangle the window reported for a widget.
  std::vector<long> Place(const std::string& name) {
    const std::string line = Last("lugar " + name + " ");
    std::vector<long> r(4, -1);
    std::sscanf(line.c_str() + 7 + name.size(), "%ld %ld %ld %ld", &r[0], &r[1], &r[2], &r[3]);
    return r;
  }
  bool CaptureCentre(const std::string& name) {
    const auto r = Place(name);
    return Line("MSAA CAPTURA " + std::to_string(r[0] + r[2] / 2) + " " + std::to_string(r[1] + r[3] / 2));
  }
};

TEST_F(AutomationAtspiTest, FocusEventsAndObjectsOfARealApplication) {
  XServer x(true);
  ASSERT_TRUE(x.Running() && x.Managed()) << "Xvfb and openbox are needed: " << x.ManagerLog();
  SessionBus bus;
  ASSERT_TRUE(bus.Running()) << "dbus-daemon is needed";
  ASSERT_TRUE(Line("MSAA MONITORA"));
  const pid_t target = StartTarget(x, true);
  ASSERT_TRUE(Has("pronto")) << "the GTK window did not start";
  // What the start brought (the window activated, the entry focused) is taken first.
  Focus f;
  ASSERT_TRUE(NextNamed("Campo de nome", f)) << "no focus event from the application";
  EXPECT_EQ(f.code, "42");
  EXPECT_EQ(f.role, "texto editável");
  while (Next(f, 1500)) {
  }
  // Each focus change is one event, in order; the insensitive button is skipped by Tab.
  ASSERT_TRUE(Line("ACIONA \"TAB\""));
  ASSERT_TRUE(Next(f));
  EXPECT_EQ(f.name, "Enviar");
  EXPECT_EQ(f.role, "botão");
  EXPECT_EQ(f.code, "43");
  EXPECT_EQ(f.state, "");
  ASSERT_TRUE(Line("ACIONA \"TAB\""));
  ASSERT_TRUE(Next(f));
  EXPECT_EQ(f.name, "Aceito");
  EXPECT_EQ(f.role, "caixa de seleção");
  EXPECT_EQ(f.code, "44");
  EXPECT_EQ(f.state, "marcado");
  EXPECT_FALSE(Next(f, 1500)) << "a focus change came twice: " << f.name;
  // Its place is the one the application gave.
  ASSERT_TRUE(Line("MSAA AREA $l $t $w $h"));
  const auto aceito = Place("aceito");
  EXPECT_EQ(Var("$L") + " " + Var("$T") + " " + Var("$W") + " " + Var("$H"),
            std::to_string(aceito[0]) + " " + std::to_string(aceito[1]) + " " + std::to_string(aceito[2]) + " " +
                std::to_string(aceito[3]));

  // Objects at screen points: the insensitive button, the entry with its text.
  ASSERT_TRUE(CaptureCentre("desligado"));
  ASSERT_TRUE(Line("MSAA NOME $n"));
  ASSERT_TRUE(Line("MSAA ESTADO $s"));
  ASSERT_TRUE(Line("MSAA CÓDIGO $c"));
  EXPECT_EQ(Var("$N"), "Desligado");
  EXPECT_EQ(Var("$S"), "indisponível");
  EXPECT_EQ(Var("$C"), "43");
  ASSERT_TRUE(Line("ACIONA \"shift+tab\""));
  ASSERT_TRUE(Line("ACIONA \"shift+tab\""));
  ASSERT_TRUE(Line("DIGITA \"olá\" &"));
  ASSERT_TRUE(LastBecomes("texto:", "texto:olá"));
  ASSERT_TRUE(CaptureCentre("campo"));
  ASSERT_TRUE(Line("MSAA VALOR $v"));
  ASSERT_TRUE(Line("MSAA TIPO $t"));
  EXPECT_EQ(Var("$V"), "olá");
  EXPECT_EQ(Var("$T"), "texto editável");
  // Nothing there: the fields stay as they were.
  ASSERT_TRUE(Line("MSAA CAPTURA 5000 -5000"));
  ASSERT_TRUE(Line("MSAA VALOR $v"));
  EXPECT_EQ(Var("$V"), "olá");
  while (Next(f, 1000)) {
  }

  // The application ends while its events wait: they cannot be had, nothing breaks.
  ASSERT_TRUE(Line("ACIONA \"TAB\""));
  ASSERT_TRUE(Until([] { return Msaa::Pending() > 0; }));
  kill(target, SIGKILL);
  ASSERT_TRUE(Until([&] { return x.Ended(target); }));
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(Line("MSAA CHECA $e"));
    EXPECT_EQ(Var("$E"), "0");
  }
  ASSERT_TRUE(Line("MSAA FIM"));
}

}  // namespace
