// F12 of the line editor: which program opens a word, and the programs really started
// (small shell programs on the test's drive C, and xdg-open with a browser of the test's).
#include "ui/open_word.h"

#include <chrono>
#include <thread>

#include "editor_fixture.h"
#include "platform/files/paths.h"

namespace {

namespace fs = std::filesystem;

class OpenWordTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    drive_ = std::getenv("FONIX_DRIVE_C");
    fs::create_directories(drive_ / "bin");
    ASSERT_TRUE(Paths::SetCurrentFolder("c:\\"));
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(drive_);
    EditorTest::TearDown();
  }

  // A program on drive C that writes its folder and arguments into `out` (a file of drive C).
  void Program(const std::string& name, const std::string& out) {
    const fs::path p = drive_ / name;
    std::ofstream(p) << "#!/bin/sh\necho \"$(pwd) $*\" > '" << (drive_ / out).string() << "'\n";
    fs::permissions(p, fs::perms::owner_all);
  }
  std::string Read(const std::string& name) {
    std::ifstream in(drive_ / name);
    std::string line;
    std::getline(in, line);
    return line;
  }

  fs::path drive_;
};

TEST_F(OpenWordTest, TheSettingsChooseTheProgram) {
  WriteSettings("[AURIS]\nPROG.HTM=c:\\bin\\nav\nPROG.TXT=leitor\n");
  auto plan = OpenWord::PlanFor("http://x.org");
  EXPECT_EQ(plan.program, "c:\\bin\\nav");
  EXPECT_EQ(plan.target, "http://x.org");
  EXPECT_FALSE(plan.startTarget);
  EXPECT_EQ(OpenWord::PlanFor("WWW.x.org").program, "c:\\bin\\nav");
  EXPECT_EQ(OpenWord::PlanFor("nota.txt").program, "leitor");
  EXPECT_EQ(OpenWord::PlanFor("nota.TXTX").program, "leitor");  // three characters after the dot
  EXPECT_EQ(OpenWord::PlanFor("foto.jpg").program, "");         // the desktop's own choice
  ASSERT_TRUE(Paths::SetCurrentFolder("c:\\bin"));
  plan = OpenWord::PlanFor("prog.exe");
  EXPECT_TRUE(plan.startTarget);
  EXPECT_EQ(plan.target, "c:\\bin\\prog.exe");
  EXPECT_EQ(OpenWord::PlanFor("d:\\x.COM").target, "d:\\x.COM");
  EXPECT_EQ(OpenWord::PlanFor("\\x.exe").target, "\\x.exe");
}

TEST_F(OpenWordTest, F12OpensTheWordAroundTheCursorWithoutItsMarks) {
  WriteSettings("[AURIS]\nPROG.HTM=c:\\bin\\nav\n");
  Program("bin/nav", "saida");
  std::string f = "Veja <http://exemplo.org/a>. agora";
  Edit("{CTRL+RIGHT}{RIGHT}{RIGHT}{F12}{ENTER}", f, 60);
  EXPECT_EQ(Read("saida"), drive_.string() + " http://exemplo.org/a");
  EXPECT_EQ(Count("beep"), 0);
}

TEST_F(OpenWordTest, ProgramsStartFromTheCurrentFolderAndDocumentsGoAsLinuxPaths) {
  Program("abre.exe", "saida-exe");
  std::string f = "abre.exe";
  Edit("{F12}{ENTER}", f, 20);
  EXPECT_EQ(Read("saida-exe"), drive_.string() + " ");

  WriteSettings("[AURIS]\nPROG.TXT=c:\\bin\\mostra\n");
  Program("bin/mostra", "saida-txt");
  std::ofstream(drive_ / "Nota.txt") << "texto";
  f = "nota.txt";  // the name as the user wrote it, found without regard to case
  Edit("{F12}{ENTER}", f, 20);
  EXPECT_EQ(Read("saida-txt"), drive_.string() + " " + (drive_ / "Nota.txt").string());
}

TEST_F(OpenWordTest, AnAddressWithoutAProgramGoesToTheDesktopsBrowser) {
  Program("bin/navegador", "saida-xdg");
  setenv("BROWSER", (drive_ / "bin" / "navegador").c_str(), 1);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  std::string f = "www.exemplo.org";
  Edit("{F12}{ENTER}", f, 20);
  // xdg-open hands the address over and ends; the browser may still be starting.
  for (int i = 0; i < 100 && Read("saida-xdg").empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(Read("saida-xdg"), drive_.string() + " http://www.exemplo.org");
  unsetenv("BROWSER");
}

TEST_F(OpenWordTest, NothingToOpenOrNoProgramGivesTheErrorTone) {
  std::string f = ".-. x";
  Edit("{F12}{ENTER}", f, 20);
  EXPECT_EQ(Count("beep"), 1);
  WriteSettings("[AURIS]\nPROG.TXT=c:\\bin\\nada\n");
  f = "a.txt";
  Edit("{F12}{ENTER}", f, 20);
  EXPECT_EQ(Count("beep"), 1);
  f = "falta.exe";
  Edit("{F12}{ENTER}", f, 20);
  EXPECT_EQ(Count("beep"), 1);
}

}  // namespace
