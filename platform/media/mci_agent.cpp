// Asking the application's downloader for its User-Agent: the program runs with a time limit
// of its own, its standard error discarded, and only its first output line is taken.
#include "platform/media/mci_agent.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "platform/events/messages.h"
#include "platform/files/paths.h"

extern char** environ;

namespace MciAgent {
namespace {

constexpr const char* kBrowser =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 Safari/537.36";
constexpr int kLimitMs = 5000;

std::optional<std::string> gCached;

// The first line the program writes, or empty (missing, failing or too slow).
std::string AskProgram(const std::string& program) {
  struct stat st;
  if (stat(program.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(program.c_str(), X_OK) != 0) return {};
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--dump-user-agent"), nullptr};
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  std::string out;
  if (rc == 0) {
    const int64_t until = Messages::NowMs() + kLimitMs;
    for (;;) {
      const int64_t left = until - Messages::NowMs();
      if (left <= 0 || out.find('\n') != std::string::npos || out.size() > 4096) break;
      pollfd p{pipeFds[0], POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) break;
      char buf[512];
      const ssize_t n = read(pipeFds[0], buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, static_cast<std::size_t>(n));
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
  }
  close(pipeFds[0]);
  out = out.substr(0, out.find('\n'));
  while (!out.empty() && (out.back() == '\r' || out.back() == ' ')) out.pop_back();
  // A header value holds no control characters.
  for (char c : out)
    if (static_cast<unsigned char>(c) < 32) return {};
  return out;
}

}  // namespace

std::string UserAgent() {
  if (const char* env = std::getenv("FONIX_USER_AGENT"); env && *env) return env;
  if (!gCached) {
    const std::string program = Paths::ToHost("c:\\clipora-light\\youtube-dl.exe");
    const std::string asked = program.empty() ? std::string() : AskProgram(program);
    gCached = asked.empty() ? std::string(kBrowser) : asked;
  }
  return *gCached;
}

void ResetAgent() { gCached.reset(); }

}  // namespace MciAgent
