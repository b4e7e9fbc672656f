// Benchmark of starting programs, each figure beside its peer in the same run:
// - EXISTEPROG with 1000 other processes running (a name that runs nowhere, so that every
//   process is looked at, and one that runs), beside pgrep -x of the same name (a whole
//   pgrep run, as a script without EXISTEPROG would have to start it);
// - EXECUTA "printf x" &&& until LE CONSOLE has the first byte, the event loop woken by the
//   output, beside posix_spawn of the same program with a pipe, poll and read.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/run.h"
#include "interpreter/state.h"
#include "interpreter/variables.h"
#include "platform/headless/console_headless.h"
#include "platform/events/messages.h"
#include "services/child_process.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Figures {
  double median, p90, min;
};

Figures Measure(int tries, const std::function<void()>& once) {
  std::vector<double> ms;
  for (int i = 0; i < tries; ++i) {
    const auto start = Clock::now();
    once();
    ms.push_back(Ms(Clock::now() - start));
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.front()};
}

void Print(const char* what, const Figures& f) {
  std::printf("  %-44s median %8.3f ms  p90 %8.3f ms  min %8.3f ms\n", what, f.median, f.p90, f.min);
}

pid_t Spawn(const std::string& path, std::vector<std::string> argv, posix_spawn_file_actions_t* actions = nullptr) {
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, path.c_str(), actions, nullptr, args.data(), environ) != 0) return -1;
  return pid;
}

// pgrep -x NAME, run to its end, output to /dev/null; true when it found the name.
bool Pgrep(const std::string& pgrep, const std::string& name) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const pid_t pid = Spawn(pgrep, {"pgrep", "-x", name}, &actions);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Variable(const char* letter) { return Variables::GetVariable(Variables::LetterCode(letter[0])); }

bool Line(const std::string& line) { return Interp::ExecuteLine(line, false); }

void ExisteprogBeside(int tries, const std::string& pgrep) {
  constexpr int kOthers = 1000;
  std::vector<pid_t> others;
  for (int i = 0; i < kOthers; ++i) {
    const pid_t pid = Spawn("/bin/sleep", {"sleep", "300"});
    if (pid > 0) others.push_back(pid);
  }
  int processes = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc"))
    processes += std::isdigit(static_cast<unsigned char>(entry.path().filename().string()[0])) ? 1 : 0;
  std::printf("EXISTEPROG with %zu other processes running (%d in /proc):\n", others.size(), processes);
  bool answers = true;
  Print("EXISTEPROG \"nao-roda.exe\" (every process)", Measure(tries, [&] {
          Line("existeprog \"nao-roda.exe\" r");
          answers = answers && Variable("r") == "0";
        }));
  Print("pgrep -x nao-roda", Measure(tries, [&] { answers = answers && !Pgrep(pgrep, "nao-roda"); }));
  Print("EXISTEPROG \"SLEEP.EXE\" (runs)", Measure(tries, [&] {
          Line("existeprog \"SLEEP.EXE\" r");
          answers = answers && Variable("r") == "1";
        }));
  Print("pgrep -x sleep", Measure(tries, [&] { answers = answers && Pgrep(pgrep, "sleep"); }));
  if (!answers) std::printf("  WRONG ANSWER from one of them\n");
  for (pid_t pid : others) kill(pid, SIGKILL);
  for (pid_t pid : others) waitpid(pid, nullptr, 0);
}

void FirstByteBeside(int tries, const std::string& printf) {
  std::printf("From the start of \"printf x\" to its first byte read:\n");
  bool answers = true;
  Print("EXECUTA \"printf x\" &&&, LE CONSOLE", Measure(tries, [&] {
          Line("executa \"printf x\" &&&");
          for (;;) {
            Line("le console v");
            if (!Variable("v").empty()) break;
            Messages::WaitMessage(1000);  // woken by the child's output
          }
          answers = answers && Variable("v") == "x\r\n\r\n";
        }));
  // The child's end is reaped by the loop: nothing is left for the next measure.
  const int pid = ChildProcess::CurrentChildPid();
  while (std::filesystem::exists("/proc/" + std::to_string(pid))) {
    Messages::PumpMessages();
    Messages::WaitMessage(10);
  }
  Print("posix_spawn, poll, read", Measure(tries, [&] {
          int fds[2];
          if (pipe2(fds, O_CLOEXEC) != 0) return;
          posix_spawn_file_actions_t actions;
          posix_spawn_file_actions_init(&actions);
          posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
          const pid_t child = Spawn(printf, {"printf", "x"}, &actions);
          posix_spawn_file_actions_destroy(&actions);
          close(fds[1]);
          pollfd p{fds[0], POLLIN, 0};
          char c = 0;
          poll(&p, 1, 1000);
          answers = answers && read(fds[0], &c, 1) == 1 && c == 'x';
          close(fds[0]);
          waitpid(child, nullptr, 0);
        }));
  if (!answers) std::printf("  WRONG ANSWER from one of them\n");
}

}  // namespace

int main(int argc, char** argv) {
  const int tries = argc > 1 ? std::max(5, std::atoi(argv[1])) : 100;
  setenv("FONIX_AUDIO", "null", 1);
  Console::UseDevice(ConsoleDevice::OpenHeadless({}, [] { return Keyboard::QueueCount() == 0; }));
  Interp::ResetInterpreter();
  const std::string pgrep = std::filesystem::exists("/usr/bin/pgrep") ? "/usr/bin/pgrep" : "/bin/pgrep";
  const std::string printf = std::filesystem::exists("/usr/bin/printf") ? "/usr/bin/printf" : "/bin/printf";
  std::printf("%d tries each\n", tries);
  FirstByteBeside(tries, printf);
  ExisteprogBeside(tries, pgrep);
  ChildProcess::ResetChildProcess();
  return 0;
}
