// The terminal is given back even when the program dies of a stack overflow: the fault
// handler runs on a stack of its own.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "platform/terminal/terminal_modes.h"

namespace {

// Recurses until the stack runs out (the test never makes `depth` negative).
int Deeper(volatile int* depth) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(*depth);
  *depth = *depth + 1;
  if (*depth < 0) return 0;
  return Deeper(depth) + frame[0];
}

TEST(TerminalModes, AStackOverflowStillGivesTheTerminalBack) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios before{};
  ASSERT_EQ(tcgetattr(slave, &before), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // Whatever a sanitizer set up, the terminal's handlers must bring their own stack.
    stack_t none{};
    none.ss_flags = SS_DISABLE;
    sigaltstack(&none, nullptr);
    TerminalModes::Take(slave, slave, TerminalModes::Input::Raw, "\x1b[?1049h", "\x1b[?1049l");
    volatile int depth = 0;
    Deeper(&depth);
    _exit(0);
  }
  int status = 0;
  std::string output;
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 100) > 0) {
      char buf[4096];
      const ssize_t n = read(master, buf, sizeof buf);
      if (n > 0) output.append(buf, static_cast<std::size_t>(n));
    }
    if (waitpid(pid, &status, WNOHANG) == pid) break;
  }
  EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  termios after{};
  ASSERT_EQ(tcgetattr(slave, &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag) << "echo and line editing are back";
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_NE(output.find("\x1b[?1049l"), std::string::npos) << "the main screen is back";
  close(master);
  close(slave);
}

}  // namespace
