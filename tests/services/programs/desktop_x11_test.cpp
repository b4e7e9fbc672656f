// The window commands on a real X display: Xvfb with openbox (EWMH) and without a window
// manager (the window tree), X clients with known titles, JANELA acting on them, ESPERA
// watching the active window, and the wait for a program when the console is a window.
#include "programs_fixture.h"
#include "tests/support/x_server.h"

namespace {

class DesktopTest : public ProgramsTest {
 protected:
  void SetUp() override {
    setenv("FONIX_AUDIO", "null", 1);
    ProgramsTest::SetUp();
    const std::filesystem::path folder = std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Auris";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Auris.ini") << "[AURIS]\nTEMPOESPERAPROGVOLTAR=0\n";
    Settings::ResetSettings();
  }
  void TearDown() override {
    Desktop::ResetDesktop();  // before the server goes
    ProgramsTest::TearDown();
  }

  // Starts xmessage with a title and waits until its window is listed; its X id.
  Desktop::WindowId Window(XServer& x, const std::string& title, std::vector<std::string> extra = {}) {
    std::vector<std::string> argv{"xmessage", "-title", title};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back("janela de teste");
    x.Client(argv);
    return Listed(title);
  }
  // The id of the listed window with that title (Windows-1252), waiting for it to appear.
  static Desktop::WindowId Listed(const std::string& title) {
    Desktop::WindowId id = 0;
    Until([&] {
      for (const auto& w : Desktop::TopLevelWindows(250))
        if (w.title == title) id = w.id;
      return id != 0;
    });
    return id;
  }
  static std::string Hex(Desktop::WindowId id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
  }
  static std::string Property(Desktop::WindowId id, const std::string& name) {
    return XServer::Output({"xprop", "-id", Hex(id), name});
  }
  static bool ActiveIs(Desktop::WindowId id) {
    return XServer::Output({"xprop", "-root", "_NET_ACTIVE_WINDOW"}).find(Hex(id)) != std::string::npos;
  }
  int Status() { return Interp::St().statusCode; }
};

TEST_F(DesktopTest, JanelaAndEsperaWithAWindowManager) {
  XServer x(true);
  ASSERT_TRUE(x.Running() && x.Managed()) << "Xvfb and openbox are needed: " << x.ManagerLog();
  ASSERT_TRUE(Desktop::HasDisplay());
  const auto bloco = Window(x, "Bloco de Notas - teste");
  ASSERT_NE(bloco, 0u);
  const auto salvar = Window(x, "Salvar como");
  ASSERT_NE(salvar, 0u);
  // The newest window is on top and in front.
  ASSERT_TRUE(Until([&] { return ActiveIs(salvar); }));
  const auto windows = Desktop::TopLevelWindows(143);
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[0].title, "Salvar como");
  ASSERT_TRUE(Line("espera 2 \"SALVAR\""));
  EXPECT_EQ(Status(), 0);
  ASSERT_TRUE(Line("espera 1 \"notas\""));
  EXPECT_EQ(Status(), 1);

  ASSERT_TRUE(Line("janela minimiza \"*bloco\""));
  EXPECT_EQ(Status(), 0);
  EXPECT_TRUE(Until([&] { return Property(bloco, "WM_STATE").find("Iconic") != std::string::npos; }));
  ASSERT_TRUE(Line("janela normal \"*bloco\""));  // a minimized window is still found
  EXPECT_TRUE(Until([&] { return ActiveIs(bloco); }));
  EXPECT_TRUE(Until([&] { return Property(bloco, "WM_STATE").find("Normal") != std::string::npos; }));
  ASSERT_TRUE(Line("espera 2 \"bloco de notas\""));
  EXPECT_EQ(Status(), 0);
  ASSERT_TRUE(Line("janela maximiza \"notas - TESTE*\""));
  EXPECT_TRUE(Until([&] {
    const std::string state = Property(bloco, "_NET_WM_STATE");
    return state.find("MAXIMIZED_VERT") != std::string::npos && state.find("MAXIMIZED_HORZ") != std::string::npos;
  }));
  ASSERT_TRUE(Line("janela normal \"bloco\""));
  EXPECT_TRUE(Until([&] { return Property(bloco, "_NET_WM_STATE").find("MAXIMIZED") == std::string::npos; }));
  ASSERT_TRUE(Line("janela minimiza \"planilha\""));
  EXPECT_EQ(Status(), 1);
  EXPECT_FALSE(Line("janela pisca \"salvar\""));

  // A title in UTF-8, as toolkits set it, compared without regard to case.
  XServer::Output({"xprop", "-id", Hex(salvar), "-f", "_NET_WM_NAME", "8u", "-set", "_NET_WM_NAME", "Configuração"});
  EXPECT_NE(Listed("Configura\xe7\xe3o"), 0u);
  ASSERT_TRUE(Line("janela normal \"CONFIGURAÇÃO\""));
  EXPECT_EQ(Status(), 0);
  EXPECT_TRUE(Until([&] { return ActiveIs(salvar); }));
  ASSERT_TRUE(Line("espera 2 \"ração\""));
  EXPECT_EQ(Status(), 0);

  // Closed: the program behind the window ends.
  ASSERT_TRUE(Line("janela fecha \"*configura\""));
  EXPECT_EQ(Status(), 0);
  EXPECT_TRUE(Until([&] { return Desktop::TopLevelWindows(143).size() == 1; }));
  ASSERT_TRUE(Line("janela fecha \"bloco*\""));  // begins with "bloco"? no: ends with it
  EXPECT_EQ(Status(), 1);
  ASSERT_TRUE(Line("janela fecha \"bloco\""));
  EXPECT_TRUE(Until([&] { return Desktop::TopLevelWindows(143).empty(); }));
}

TEST_F(DesktopTest, JanelaAndEsperaWithoutAWindowManager) {
  XServer x(false);
  ASSERT_TRUE(x.Running()) << "Xvfb is needed";
  const auto janela = Window(x, "Sem gerente");
  ASSERT_NE(janela, 0u);
  ASSERT_TRUE(Line("janela normal \"gerente\""));  // raised and given the focus
  ASSERT_TRUE(Line("espera 2 \"sem gerente\""));
  EXPECT_EQ(Status(), 0);
  ASSERT_TRUE(Line("janela minimiza \"gerente\""));
  EXPECT_TRUE(Until([&] {
    return XServer::Output({"xwininfo", "-id", Hex(janela)}).find("IsUnMapped") != std::string::npos;
  }));
  ASSERT_TRUE(Line("janela normal \"gerente\""));  // still listed, as minimized
  EXPECT_EQ(Status(), 0);
  EXPECT_TRUE(Until([&] {
    return XServer::Output({"xwininfo", "-id", Hex(janela)}).find("IsViewable") != std::string::npos;
  }));
  ASSERT_TRUE(Line("janela fecha \"gerente\""));
  EXPECT_TRUE(Until([&] { return Desktop::TopLevelWindows(143).empty(); }));
}

TEST_F(DesktopTest, WaitingForAProgramWhenTheConsoleIsAWindow) {
  XServer x(true);
  ASSERT_TRUE(x.Running() && x.Managed()) << "Xvfb and openbox are needed: " << x.ManagerLog();
  // A window stands for the console's own.
  const auto console = Window(x, "clipora-light");
  ASSERT_NE(console, 0u);
  Desktop::SetConsoleWindow(console);
  ASSERT_TRUE(Until([&] { return ActiveIs(console); }));
  EXPECT_TRUE(Launch::ConsoleInFront());
  // The program takes the foreground; the command returns once it has closed and the
  // console is active again.
  ASSERT_TRUE(Line("executa \"xmessage -timeout 2 -title Outro programa\""));
  EXPECT_TRUE(ActiveIs(console));
  for (const auto& w : Desktop::TopLevelWindows(143)) EXPECT_NE(w.title, "Outro");
  Desktop::SetConsoleWindow(0);
}

TEST_F(DesktopTest, TheServerGoingAwayEndsNothing) {
  {
    XServer x(false);
    ASSERT_TRUE(x.Running()) << "Xvfb is needed";
    Window(x, "Efemera");
    ASSERT_TRUE(Desktop::HasDisplay());
  }
  // The connection is lost: the desktop is empty, and the program goes on.
  EXPECT_TRUE(Desktop::TopLevelWindows(143).empty());
  EXPECT_EQ(Desktop::ActiveWindow(), 0u);
  EXPECT_FALSE(Desktop::HasDisplay());
  ASSERT_TRUE(Line("janela fecha \"efemera\""));
  EXPECT_EQ(Status(), 1);
}

}  // namespace
