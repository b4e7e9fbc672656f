// Runs of fonix with and without a display: the window is the default where a display opens,
// a key script keeps the headless device, and a display that goes away ends the run as a
// closed window does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/fonix_run.h"
#include "tests/support/x_server.h"

namespace {

namespace fs = std::filesystem;

struct Run {
  pid_t pid = -1;
  fs::path dir;
};

class WindowRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/fonix-window-XXXXXX";
    dir_ = mkdtemp(name);
    fs::create_directories(dir_ / "c");
    fs::create_directories(dir_ / "config");
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Starts fonix on `script` as the headless runner does, with the environment given on top
  // (null: unset) and neither screen nor transcript file, so the console is its own choice.
  void Start(const std::string& script, const std::vector<std::pair<std::string, const char*>>& env) {
    std::map<std::string, std::string> set;
    std::vector<std::string> unset = {"FONIX_SCREEN", "FONIX_TRANSCRIPT"};
    for (const auto& [k, v] : env) {
      if (v) set[k] = v;
      else unset.push_back(k);
    }
    pid_ = StartFonix(dir_.string(), script, set, unset);
  }

  // The exit status, or -1 when the run is still going after `seconds`.
  int Wait(int seconds) {
    for (int i = 0; i < seconds * 50; ++i) {
      int status;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }

  std::string ReadFile(const std::string& name) {
    std::ifstream in(dir_ / name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Waits until the file holds a line.
  std::string WaitLine(const std::string& name) {
    for (int i = 0; i < 500; ++i) {
      const std::string text = ReadFile(name);
      if (!text.empty() && text.back() == '\n') return text.substr(0, text.find_first_of("\r\n"));
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
  }

  fs::path dir_;
  pid_t pid_ = -1;
};

const char* kHandleScript =
    "handle $h\n"
    "abre #1 \"saida.txt\" &\n"
    "escreve #1 $h\n"
    "fecha #1\n"
    "escreve \"esperando\"\n"
    "le $k\n";

TEST_F(WindowRunTest, WithADisplayTheWindowIsTheDefaultAndLosingTheDisplayEndsTheRunWithStatusThree) {
  auto server = std::make_unique<XServer>(false);
  ASSERT_TRUE(server->Running()) << "Xvfb is needed";
  Start(kHandleScript, {{"FONIX_CONSOLE", nullptr}, {"FONIX_KEYS", nullptr}});
  const std::string handle = WaitLine("saida.txt");
  ASSERT_FALSE(handle.empty()) << ReadFile("stderr");
  // HANDLE names the window shown on the display.
  const std::string info = XServer::Output({"xwininfo", "-id", handle});
  EXPECT_NE(info.find("IsViewable"), std::string::npos) << info;
  EXPECT_NE(info.find("prog.fnx"), std::string::npos) << "the title is the program's path: " << info;
  server.reset();
  EXPECT_EQ(Wait(10), 3) << ReadFile("stderr");
  EXPECT_NE(ReadFile("stderr").find("tela"), std::string::npos);
}

TEST_F(WindowRunTest, AKeyScriptKeepsTheHeadlessDeviceEvenWithADisplay) {
  XServer server(false);
  ASSERT_TRUE(server.Running()) << "Xvfb is needed";
  Start(kHandleScript, {{"FONIX_CONSOLE", nullptr}, {"FONIX_KEYS", "ok{ENTER}"}});
  const pid_t pid = pid_;
  EXPECT_EQ(Wait(20), 0) << ReadFile("stderr");
  // Without a window the process's number stands for the console.
  EXPECT_EQ(WaitLine("saida.txt"), std::to_string(pid));
  const std::string info = XServer::Output({"xwininfo", "-root", "-tree"});
  EXPECT_EQ(info.find("prog.fnx"), std::string::npos) << "a window was opened: " << info;
}

TEST_F(WindowRunTest, TheWindowAskedForWithoutADisplayIsABadStart) {
  Start(kHandleScript, {{"FONIX_CONSOLE", "window"}, {"FONIX_KEYS", nullptr}, {"DISPLAY", nullptr}, {"WAYLAND_DISPLAY", nullptr}});
  EXPECT_EQ(Wait(20), 2);
  EXPECT_NE(ReadFile("stderr").find("não foi possível abrir a tela"), std::string::npos) << ReadFile("stderr");
  EXPECT_FALSE(fs::exists(dir_ / "saida.txt"));
}

}  // namespace
