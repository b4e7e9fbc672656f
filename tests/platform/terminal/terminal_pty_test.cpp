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

namespace {

namespace fs = std::filesystem;

// Generous: a sanitized build on a busy machine is slow, and only a broken run reaches it.
constexpr int kPatienceMs = 30000;

class PtyRun {
 public:
  // `settings`: the text of the user's settings file, if any. `linesToPipe`: the line-mode
  // device, its output into a pipe (as `fonix p.fnx | head`) whose reading end the test
  // holds; keys still come from the terminal.
  explicit PtyRun(const std::string& script, const std::string& settings = "", bool linesToPipe = false)
      : linesToPipe_(linesToPipe) {
    dir_ = fs::path(::testing::TempDir()) / ("fonix_pty_" + std::to_string(getpid()) + "_" + std::to_string(++count_));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(dir_ / "prog.fnx") << script;
    if (!settings.empty()) {
      fs::create_directories(dir_ / "config" / "Auris");
      std::ofstream(dir_ / "config" / "Auris" / "Auris.ini") << settings;
    }
    winsize ws{};
    ws.ws_col = 80;
    ws.ws_row = 25;
    if (openpty(&master_, &slave_, nullptr, nullptr, &ws) != 0) return;
    tcgetattr(slave_, &before_);
    if (linesToPipe_ && pipe(pipe_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) Child();
    if (linesToPipe_) close(pipe_[1]);
  }

  ~PtyRun() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    ClosePipe();
    fs::remove_all(dir_);
  }

  // Reads the piped output until `lines` lines have come (false when it ended before).
  bool ReadPipedLines(int lines) {
    std::string got;
    char c;
    while (lines > 0 && read(pipe_[0], &c, 1) == 1) {
      got.push_back(c);
      if (c == '\n') --lines;
    }
    return lines == 0;
  }
  void ClosePipe() {
    if (pipe_[0] >= 0) close(pipe_[0]);
    pipe_[0] = -1;
  }

  // The terminal's input modes now, against those it had before the program.
  void ExpectInputModesRestored() {
    termios after{};
    ASSERT_EQ(tcgetattr(slave_, &after), 0);
    EXPECT_EQ(after.c_lflag, before_.c_lflag) << "echo, line editing, signals";
    EXPECT_EQ(after.c_iflag, before_.c_iflag);
  }

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  int Master() const { return master_; }

  void Type(const std::string& bytes) { ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

  // Reads the terminal's output until `text` appears after `from` (true) or the patience ends.
  bool WaitFor(const std::string& text, std::size_t from = 0) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (output_.find(text, from) == std::string::npos) {
      if (std::chrono::steady_clock::now() > until || !ReadSome(100)) return output_.find(text, from) != std::string::npos;
    }
    return true;
  }

  // Waits for the program to end, reading its output meanwhile; the wait status.
  int WaitExit() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    int status = 0;
    while (std::chrono::steady_clock::now() < until) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        while (ReadSome(0)) {
        }
        return status;
      }
      ReadSome(50);
    }
    ADD_FAILURE() << "fonix did not end; its output:\n" << output_;
    return -1;
  }

  const std::string& Output() const { return output_; }

  // The terminal's modes now, against those it had before the program.
  void ExpectModesRestored() {
    termios after{};
    ASSERT_EQ(tcgetattr(slave_, &after), 0);
    EXPECT_EQ(after.c_lflag, before_.c_lflag) << "echo, line editing, signals";
    EXPECT_EQ(after.c_iflag, before_.c_iflag);
    EXPECT_EQ(after.c_oflag, before_.c_oflag);
    EXPECT_EQ(after.c_cflag, before_.c_cflag);
    EXPECT_EQ(after.c_cc[VMIN], before_.c_cc[VMIN]);
    // The screen modes entered are left, after the last time they were entered.
    const std::size_t entered = output_.rfind("\x1b[?1049h");
    ASSERT_NE(entered, std::string::npos);
    for (const char* leave : {"\x1b[?1049l", "\x1b[?25h", "\x1b[?1000l", "\x1b[?1006l", "\x1b[0m"})
      EXPECT_NE(output_.find(leave, entered), std::string::npos) << "missing " << leave + 1;
  }

  // The key texts the script read, in order (from its transcript).
  std::vector<std::string> Keys() const {
    std::ifstream in(dir_ / "transcript");
    std::vector<std::string> keys;
    for (std::string line; std::getline(in, line);)
      if (line.rfind("key: ", 0) == 0) keys.push_back(line.substr(5));
    return keys;
  }

  std::string Stderr() const {
    std::ifstream in(dir_ / "stderr");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  [[noreturn]] void Child() {
    setsid();
    ioctl(slave_, TIOCSCTTY, 0);
    dup2(slave_, 0);
    dup2(linesToPipe_ ? pipe_[1] : slave_, 1);
    const std::string err = (dir_ / "stderr").string();
    if (FILE* f = std::fopen(err.c_str(), "w")) dup2(fileno(f), 2);
    close(master_);
    if (linesToPipe_) close(pipe_[0]);
    signal(SIGPIPE, SIG_DFL);  // as a shell starts each command of a pipeline
    const std::string d = dir_.string();
    setenv("FONIX_CONSOLE", linesToPipe_ ? "lines" : "terminal", 1);
    setenv("TERM", "xterm-256color", 1);
    setenv("FONIX_AUDIO", "null", 1);
    setenv("FONIX_TRANSCRIPT", (d + "/transcript").c_str(), 1);
    setenv("FONIX_DRIVE_C", (d + "/c").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (d + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (d + "/data").c_str(), 1);
    setenv("HOME", d.c_str(), 1);
    unsetenv("FONIX_KEYS");
    unsetenv("TMUX");  // this terminal is an xterm of the test's, whatever ran the test
    const std::string prog = d + "/prog.fnx";
    execl(FONIX_BINARY, "fonix", prog.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }

  bool ReadSome(int timeoutMs) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return timeoutMs > 0;
    char buf[4096];
    const ssize_t n = read(master_, buf, sizeof buf);
    if (n <= 0) return false;
    output_.append(buf, static_cast<std::size_t>(n));
    return true;
  }

  static inline int count_ = 0;
  bool linesToPipe_ = false;
  int pipe_[2] = {-1, -1};
  fs::path dir_;
  int master_ = -1;
  int slave_ = -1;
  pid_t pid_ = -1;
  bool exited_ = false;
  termios before_{};
  std::string output_;
};

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
