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

namespace {

namespace fs = std::filesystem;

constexpr int kPatienceMs = 30000;

class Pty {
 public:
  explicit Pty(const std::string& program) {
    dir_ = fs::path(::testing::TempDir()) / ("fonix_handover_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "c");
    std::ofstream(dir_ / "prog.fnx") << program;
    winsize ws{};
    ws.ws_col = 80;
    ws.ws_row = 25;
    if (openpty(&master_, &slave_, nullptr, nullptr, &ws) != 0) return;
    tcgetattr(slave_, &before_);
    pid_ = fork();
    if (pid_ == 0) Child();
  }
  ~Pty() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(master_);
    close(slave_);
    fs::remove_all(dir_);
  }
  fs::path DriveC() const { return dir_ / "c"; }
  bool Started() const { return pid_ > 0; }
  void Type(const std::string& bytes) { ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
  bool WaitFor(const std::string& text) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (output_.find(text) == std::string::npos)
      if (std::chrono::steady_clock::now() > until || !ReadSome(100)) return output_.find(text) != std::string::npos;
    return true;
  }
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
    return -1;
  }
  const std::string& Output() const { return output_; }
  const termios& Before() const { return before_; }
  termios Now() const {
    termios t{};
    tcgetattr(slave_, &t);
    return t;
  }

 private:
  [[noreturn]] void Child() {
    setsid();
    ioctl(slave_, TIOCSCTTY, 0);
    dup2(slave_, 0);
    dup2(slave_, 1);
    dup2(slave_, 2);
    close(master_);
    const std::string d = dir_.string();
    setenv("FONIX_CONSOLE", "terminal", 1);
    setenv("TERM", "xterm-256color", 1);
    setenv("FONIX_AUDIO", "null", 1);
    setenv("FONIX_DRIVE_C", (d + "/c").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (d + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (d + "/data").c_str(), 1);
    setenv("HOME", d.c_str(), 1);
    unsetenv("FONIX_KEYS");
    unsetenv("DISPLAY");
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

  fs::path dir_;
  int master_ = -1;
  int slave_ = -1;
  pid_t pid_ = -1;
  bool exited_ = false;
  termios before_{};
  std::string output_;
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
