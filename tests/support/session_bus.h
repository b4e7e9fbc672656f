// A private session bus for a test (dbus-daemon), named in DBUS_SESSION_BUS_ADDRESS; the
// accessibility bus it starts on demand ends with it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

// Started with the object, ended with it.
class SessionBus {
 public:
  SessionBus() {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string printFd = "--print-address=" + std::to_string(fds[1]);
    std::vector<std::string> argv{"dbus-daemon", "--session", "--nofork", printFd};
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string address;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (pid_ > 0 && poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') address.push_back(c);
    close(fds[0]);
    if (address.empty()) return;
    address_ = address;
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    unsetenv("AT_SPI_BUS_ADDRESS");
  }
  ~SessionBus() {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool Running() const { return !address_.empty(); }

 private:
  pid_t pid_ = -1;
  std::string address_;
};
