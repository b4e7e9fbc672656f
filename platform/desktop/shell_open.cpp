// Children started for the user with posix_spawn: a fresh process group of their own is not
// made, so that a program started in the terminal gets the terminal's signals as the user
// expects; their ids are kept until they have been reaped.
#include "platform/desktop/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace ShellOpen {

static_assert(sizeof(Child) == sizeof(pid_t), "a child is a process id");

namespace {

std::vector<pid_t>& Children() {
  static std::vector<pid_t> children;
  return children;
}

void Forget(pid_t child) {
  auto& children = Children();
  children.erase(std::remove(children.begin(), children.end(), child), children.end());
}

}  // namespace

Child Start(const std::vector<std::string>& argv, const std::string& folder) {
  ReapEnded();
  if (argv.empty() || argv[0].empty()) return -1;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t child = -1;
  const bool byName = argv[0].find('/') == std::string::npos;
  const int rc = byName ? posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ)
                        : posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  Children().push_back(child);
  return child;
}

Child OpenDocument(const std::string& document, const std::string& folder) {
  return Start({"xdg-open", document}, folder);
}

bool Ended(Child child) {
  if (std::find(Children().begin(), Children().end(), child) == Children().end()) return true;
  int status = 0;
  const pid_t r = waitpid(child, &status, WNOHANG);
  if (r == 0) return false;
  if (r < 0 && errno == EINTR) return false;
  Forget(child);
  return true;
}

void WaitFor(Child child) {
  if (std::find(Children().begin(), Children().end(), child) == Children().end()) return;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  Forget(child);
}

void ReapEnded() {
  const std::vector<pid_t> children = Children();
  for (pid_t child : children) Ended(child);
}

}  // namespace ShellOpen
