// A real X server for a test or a benchmark: Xvfb on a free display (it names the display
// itself), named in DISPLAY, with openbox as the window manager when asked, and X clients
// started on it; everything is ended when the server object goes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class XServer {
 public:
  explicit XServer(bool windowManager, const std::string& screen = "1024x768x24") {
    int fds[2];
    if (pipe(fds) != 0) return;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    server_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp"});
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (server_ > 0 && poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    close(fds[0]);
    if (number.empty()) return;
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    if (windowManager) {
      // A loaded machine may take long, and now and then a manager dies or hangs before it
      // announces itself: it is started again, three times at most, each given 20 s.
      for (int attempt = 0; attempt < 3 && !managed_; ++attempt) {
        End(manager_);
        manager_ = Spawn({"openbox", "--sm-disable"}, ManagerLogPath());
        managed_ = Announced(20000) && ProbeManaged();
      }
    }
  }
  ~XServer() {
    for (auto it = clients_.rbegin(); it != clients_.rend(); ++it) End(*it);
    End(manager_);
    End(server_);
    if (!display_.empty()) unlink(ManagerLogPath().c_str());
    unsetenv("DISPLAY");
  }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  bool Running() const { return !display_.empty(); }
  // The display's name (":N"), empty when the server did not start.
  const std::string& Name() const { return display_; }
  bool Managed() const { return managed_; }
  // What the window manager wrote to its error output (for a failing test's message).
  std::string ManagerLog() const {
    std::string out;
    if (FILE* f = fopen(ManagerLogPath().c_str(), "r")) {
      char buf[4096];
      std::size_t n;
      while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
      fclose(f);
    }
    return out;
  }

  // An X client of the test, ended with the server.
  pid_t Client(std::vector<std::string> argv) {
    const pid_t pid = Spawn(std::move(argv));
    clients_.push_back(pid);
    return pid;
  }
  // True once the client has ended (it is reaped here).
  bool Ended(pid_t pid) {
    for (pid_t done : reaped_)
      if (done == pid) return true;
    int status;
    if (waitpid(pid, &status, WNOHANG) != pid) return false;
    reaped_.push_back(pid);
    return true;
  }

  // The standard output of a program run to its end (xprop, xwininfo).
  static std::string Output(const std::vector<std::string>& argv) {
    std::string command;
    for (const std::string& a : argv) command += "'" + a + "' ";
    command += "2>/dev/null";
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
      char buf[4096];
      std::size_t n;
      while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
      pclose(f);
    }
    return out;
  }

  // A program started with its output thrown away and its errors in `errors`; not ended
  // with the server (Client is).
  static pid_t Spawn(std::vector<std::string> argv, const std::string& errors = "/dev/null") {
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }

 private:
  std::string ManagerLogPath() const { return "/tmp/fonix-openbox" + display_.substr(1) + ".log"; }

  // The manager announces itself on the root window once it runs.
  bool Announced(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      if (Ended(manager_)) return false;
      if (Output({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  static bool ClientListed() { return Output({"xprop", "-root", "_NET_CLIENT_LIST"}).find("0x") != std::string::npos; }

  // The manager announces itself before it manages windows: a window mapped in between is
  // never managed. Ready once a probe window is.
  bool ProbeManaged() {
    for (int attempt = 0; attempt < 10 && !Ended(manager_); ++attempt) {
      const pid_t probe = Spawn({"xmessage", "-title", "sonda", "x"});
      bool listed = false;
      for (int i = 0; i < 40 && !(listed = ClientListed()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      End(probe);
      for (int i = 0; i < 100 && ClientListed(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (listed && !ClientListed()) return true;
    }
    return false;
  }

  void End(pid_t pid) {
    if (pid <= 0 || Ended(pid)) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
      if (Ended(pid)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }

  std::string display_;
  pid_t server_ = -1;
  pid_t manager_ = -1;
  bool managed_ = false;
  std::vector<pid_t> clients_;
  std::vector<pid_t> reaped_;
};
