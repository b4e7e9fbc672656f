// Test support: the fonix executable on a pseudo-terminal of the test's (80x25, TERM
// xterm-256color), with the terminal console (or the line mode into a pipe), as a user runs
// it: keys typed into the terminal, its output read back, its modes compared after the run.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef FONIX_BINARY
#error "FONIX_BINARY must name the fonix executable"
#endif

class PtyRun {
 public:
  // Generous: a sanitized build on a busy machine is slow, and only a broken run reaches it.
  static constexpr int kPatienceMs = 30000;

  // `settings`: the text of the user's settings file, if any. `linesToPipe`: the line-mode
  // device, its output into a pipe (as `fonix p.fnx | head`) whose reading end the test
  // holds; keys still come from the terminal. `errorsToTerminal`: its error output on the
  // terminal too (else in a file, Stderr()).
  explicit PtyRun(const std::string& script, const std::string& settings = "", bool linesToPipe = false,
                  bool errorsToTerminal = false)
      : linesToPipe_(linesToPipe), errorsToTerminal_(errorsToTerminal) {
    dir_ = std::filesystem::path(::testing::TempDir()) / ("fonix_pty_" + std::to_string(getpid()) + "_" + std::to_string(++count_));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "c");
    std::ofstream(dir_ / "prog.fnx") << script;
    if (!settings.empty()) {
      std::filesystem::create_directories(dir_ / "config" / "Auris");
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
    std::filesystem::remove_all(dir_);
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
  std::filesystem::path DriveC() const { return dir_ / "c"; }
  // The terminal's modes before the program, and now.
  const termios& Before() const { return before_; }
  termios Now() const {
    termios t{};
    tcgetattr(slave_, &t);
    return t;
  }

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
    if (errorsToTerminal_) dup2(slave_, 2);
    else if (FILE* f = std::fopen(err.c_str(), "w")) dup2(fileno(f), 2);
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
    unsetenv("DISPLAY");  // and the only screen
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
  bool errorsToTerminal_ = false;
  int pipe_[2] = {-1, -1};
  std::filesystem::path dir_;
  int master_ = -1;
  int slave_ = -1;
  pid_t pid_ = -1;
  bool exited_ = false;
  termios before_{};
  std::string output_;
};
