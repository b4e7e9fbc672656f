// fonix on a pseudo-terminal, as a user runs it: keys typed into the terminal come back as
// the key texts the script reads; a resize redraws; and whatever ends the program (normal
// end, error end, Ctrl+Break, signals) the terminal's modes are as they were before.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/pty_run.h"

namespace {

namespace fs = std::filesystem;

// A program that says it is ready (the terminal is taken by then) and reads `keys` keys,
// writing each key text back.
std::string KeyEcho(int keys) {
  std::string s = "escreve mudo \"pronto\"\n";
  for (int i = 0; i < keys; ++i) s += "le mudo tecla t\nescreve mudo \"<\" t \">\"\n";
  return s;
}

TEST(TerminalPty, KeysTypedComeBackAsKeyTexts) {
  PtyRun run(KeyEcho(10));
  ASSERT_TRUE(run.Started());
  ASSERT_TRUE(run.WaitFor("pronto")) << run.Output();
  // Typed ahead in one go, while the program is still starting to read.
  run.Type("\x1b[A\x1b[1;2P\x1b[1;5D\x03\xc3\xa9\x1b\x01\x1b[<0;3;3M\x1b[6;5~");
  ASSERT_TRUE(run.WaitFor("<010#0#118>")) << run.Output();
  // A lone Esc: nothing follows it until the program has read it.
  run.Type("\x1b");
  ASSERT_TRUE(run.WaitFor("<000#27>")) << run.Output();
  run.Type("\r");
  EXPECT_EQ(WEXITSTATUS(run.WaitExit()), 0) << run.Stderr();
  EXPECT_EQ(run.Keys(), (std::vector<std::string>{"000#0#72", "100#0#59", "010#0#115", "010#3", "000#233", "011#0#30",
                                                  "000#13", "010#0#118", "000#27", "000#13"}));
  // What the script wrote is on the terminal in UTF-8 and in the console's colours.
  EXPECT_NE(run.Output().find("<000#233>"), std::string::npos);
  EXPECT_NE(run.Output().find("\x1b[38;2;255;255;255;48;2;0;0;0m"), std::string::npos);
  run.ExpectModesRestored();
}

TEST(TerminalPty, ResizeRedrawsWhatFits) {
  PtyRun run("escreve mudo \"linha um\"\nescreve mudo \"linha dois\"\nle t &\n");
  ASSERT_TRUE(run.Started());
  ASSERT_TRUE(run.WaitFor("linha dois")) << run.Output();
  const std::size_t mark = run.Output().size();
  winsize ws{};
  ws.ws_col = 40;
  ws.ws_row = 10;
  ASSERT_EQ(ioctl(run.Master(), TIOCSWINSZ, &ws), 0);
  ASSERT_TRUE(run.WaitFor("\x1b[2J", mark)) << "no redraw after the resize";
  ASSERT_TRUE(run.WaitFor("linha dois", mark));
  ASSERT_TRUE(run.WaitFor("\x1b[10;1H", mark));
  const std::string redraw = run.Output().substr(mark, run.Output().find("\x1b[10;1H", mark) + 20 - mark);
  EXPECT_EQ(redraw.find("\x1b[11;1H"), std::string::npos);  // no row below the terminal
  run.Type("x");
  EXPECT_EQ(WEXITSTATUS(run.WaitExit()), 0);
  run.ExpectModesRestored();
}

TEST(TerminalPty, CtrlBackslashIsCtrlBreakAndEndsTheProgram) {
  PtyRun run(KeyEcho(2));
  ASSERT_TRUE(run.Started());
  ASSERT_TRUE(run.WaitFor("pronto"));
  run.Type("\x1c");
  const int status = run.WaitExit();
  ASSERT_TRUE(WIFEXITED(status)) << "Ctrl+\\ must not be the quit signal in the program's terminal";
  EXPECT_EQ(WEXITSTATUS(status), 3);
  run.ExpectModesRestored();
}

TEST(TerminalPty, ErrorEndRestoresTheTerminal) {
  PtyRun run("escreve mudo \"pronto\"\ncomandoquenaoexiste\n");
  ASSERT_TRUE(run.Started());
  ASSERT_TRUE(run.WaitFor("pronto"));
  run.Type("\r");  // the error report waits for Enter
  EXPECT_EQ(WEXITSTATUS(run.WaitExit()), 1) << run.Stderr();
  run.ExpectModesRestored();
}

TEST(TerminalPty, SignalsRestoreTheTerminalAndStillEndTheProgram) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGSEGV, SIGABRT}) {
    SCOPED_TRACE(strsignal(sig));
    PtyRun run(KeyEcho(1));
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.WaitFor("pronto"));
    kill(run.Pid(), sig);
    const int status = run.WaitExit();
    if (sig == SIGSEGV || sig == SIGABRT) {
      // A sanitizer's own handler may report the fault and exit instead of dying of it.
      EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    } else {
      ASSERT_TRUE(WIFSIGNALED(status));
      EXPECT_EQ(WTERMSIG(status), sig);
    }
    run.ExpectModesRestored();
  }
}

TEST(TerminalPty, AClosedOutputPipeEndsTheRunAndRestoresTheTerminal) {
  // As `fonix p.fnx | head -3` in a terminal: the reader goes away while the program writes.
  PtyRun run("@volta\nescreve mudo \"linha\"\ndesvia @volta\n", "", true);
  ASSERT_TRUE(run.Started());
  ASSERT_TRUE(run.ReadPipedLines(3));
  run.ClosePipe();
  const int status = run.WaitExit();
  ASSERT_TRUE(WIFSIGNALED(status)) << "the broken pipe ends the program as it ends any writer";
  EXPECT_EQ(WTERMSIG(status), SIGPIPE);
  run.ExpectInputModesRestored();
}

TEST(TerminalPty, TheMagnifiersBandIsDrawnEnlargedAndTheRowsComeBack) {
  PtyRun run("escreve mudo \"pronto\"\nseja $f \"abc\"\ntela @5,10\nle edita $f\nescreve mudo \"[\" $f \"]\"\n",
             "[BAIXAVISAO]\nAMPLIACAO=2\n");
  ASSERT_TRUE(run.Started());
  ASSERT_TRUE(run.WaitFor("pronto")) << run.Output();
  ASSERT_TRUE(run.WaitFor("\x1b#4")) << run.Output();
  const std::size_t typed = run.Output().size();
  run.Type("\x1b[Fx");  // End, x
  // The band shows the field from its start with the x just typed in the cursor colour
  // (cyan on brown), the text in yellow on brown, on two enlarged rows.
  ASSERT_TRUE(run.WaitFor("\x1b[38;2;0;255;255;48;2;68;34;34mx", typed)) << run.Output().substr(typed);
  const std::size_t top = run.Output().rfind("\x1b[1;1H\x1b#3");
  ASSERT_NE(top, std::string::npos);
  EXPECT_EQ(run.Output().find("\x1b[38;2;255;255;0;48;2;68;34;34mabc", top), top + 9);
  EXPECT_NE(run.Output().find("\x1b[2;1H\x1b#4", top), std::string::npos);
  run.Type("\r");
  ASSERT_TRUE(run.WaitFor("[abcx]", typed)) << run.Output().substr(typed);
  // Once the editing ends, both rows are single size again and drawn from the screen.
  const std::size_t back = run.Output().find("\x1b[1;1H\x1b#5", top);
  ASSERT_NE(back, std::string::npos);
  EXPECT_NE(run.Output().find("pronto", back), std::string::npos);
  EXPECT_NE(run.Output().find("\x1b[2;1H\x1b#5", back), std::string::npos);
  EXPECT_EQ(WEXITSTATUS(run.WaitExit()), 0) << run.Stderr();
  run.ExpectModesRestored();
}

}  // namespace
