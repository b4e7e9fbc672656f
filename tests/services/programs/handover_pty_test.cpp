// fonix on a pseudo-terminal with the terminal console: a program started with EXECUTA in
// the wait mode gets the terminal (the user's modes, the main screen, its own process group
// in the foreground, so Ctrl+C reaches it alone) and the console takes it back and redraws
// when it ends; hidden children have no terminal at all.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/pty_run.h"

namespace {

namespace fs = std::filesystem;

// fonix on a terminal of the test's, its errors on the terminal too.
class Pty : public PtyRun {
 public:
  explicit Pty(const std::string& program) : PtyRun(program, "", false, true) {}
};

TEST(TerminalHandOver, AProgramWaitedForGetsTheTerminal) {
  Pty run(
      "escreve mudo \"antes\"\n"
      "executa \"sh c:\\filho.sh\"\n"
      "escreve mudo \"voltou\"\n"
      "executa \"python3 -c \"\"import time; print('dormindo', flush=True); time.sleep(30)\"\"\"\n"
      "escreve mudo \"de novo\"\n"
      "executa \"sh c:\\escondido.sh\" &&&\n"
      "espera 1\n"
      "le console s\n"
      "escreve mudo \"[\" s \"]\"\n"
      "le mudo tecla t\n"
      "escreve mudo \"<\" t \">\"\n");
  ASSERT_TRUE(run.Started());
  std::ofstream(run.DriveC() / "filho.sh")
      << "echo \"modos: $(stty -a | tr ' ;' '\\n\\n' | grep -x -e icanon -e -icanon -e echo -e -echo | tr '\\n' ' ')\"\n"
         "echo \"terminal: $(tty)\"\n"
         "printf 'digite: '\nread linha\necho \"lido: $linha\"\n";
  std::ofstream(run.DriveC() / "escondido.sh")
      << "if (exec </dev/tty) 2>/dev/null; then echo com-terminal; else echo sem-terminal; fi\n";
  ASSERT_TRUE(run.WaitFor("digite: ")) << run.Output();
  // The user's own modes, on the main screen, on the real terminal.
  EXPECT_NE(run.Output().find("modos: icanon echo "), std::string::npos) << run.Output();
  EXPECT_NE(run.Output().find("terminal: /dev/pts/"), std::string::npos) << run.Output();
  const std::size_t entered = run.Output().find("\x1b[?1049h");
  const std::size_t left = run.Output().find("\x1b[?1049l", entered);
  EXPECT_LT(left, run.Output().find("modos:"));
  run.Type("abc\r");
  ASSERT_TRUE(run.WaitFor("lido: abc")) << run.Output();
  // Taken back: the console's screen again, drawn anew.
  ASSERT_TRUE(run.WaitFor("voltou")) << run.Output();
  EXPECT_NE(run.Output().find("\x1b[?1049h", run.Output().find("lido: abc")), std::string::npos);
  // Ctrl+C while a program has the terminal ends that program, not the console; Ctrl+Z
  // does not leave the user with neither.
  ASSERT_TRUE(run.WaitFor("dormindo")) << run.Output();
  run.Type("\x1a");  // Ctrl+Z: the program goes on, the console still waiting for it
  usleep(300000);
  run.Type("\x03");
  ASSERT_TRUE(run.WaitFor("de novo")) << run.Output();
  ASSERT_TRUE(run.WaitFor("[sem-terminal")) << run.Output();
  run.Type("x");
  ASSERT_TRUE(run.WaitFor("<000#120>")) << run.Output();  // keys are the console's again
  const int status = run.WaitExit();
  ASSERT_TRUE(WIFEXITED(status)) << run.Output();
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const termios after = run.Now();
  EXPECT_EQ(after.c_lflag, run.Before().c_lflag);
  EXPECT_EQ(after.c_iflag, run.Before().c_iflag);
}

}  // namespace
