// Whether a program runs, by name: processes of the system found by command name,
// executable or first argument, whatever their folder and letter case; a name with a
// folder names that file alone; zombies do not run; the runtime's own children answer to
// the names they were started by and are reaped the moment they end.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "programs_fixture.h"

extern char** environ;

namespace {

using ChildProcess::ProcessRunning;

class SnapshotTest : public ProgramsTest {
 protected:
  void TearDown() override {
    for (pid_t pid : started_) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    ProgramsTest::TearDown();
  }
  // A process of the system, not a child the runtime knows of.
  pid_t Run(const std::string& path, std::vector<std::string> argv) {
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, path.c_str(), nullptr, nullptr, args.data(), environ), 0);
    started_.push_back(pid);
    return pid;
  }
  std::string Unique(const std::string& name) { return name + std::to_string(getpid()); }
  std::vector<pid_t> started_;
};

TEST_F(SnapshotTest, ProcessesOfTheSystemByName) {
  const std::string conv = Unique("Conv");
  const auto copy = dir_ / conv;
  std::filesystem::copy_file("/bin/sleep", copy);
  EXPECT_FALSE(ProcessRunning(conv));
  Run(copy.string(), {copy.string(), "30"});
  EXPECT_TRUE(ProcessRunning(conv));
  EXPECT_TRUE(ProcessRunning(Paths::FoldCase(conv) + ".EXE"));
  EXPECT_FALSE(ProcessRunning("  c:\\qualquer\\" + conv + ".exe  "));  // another folder
  EXPECT_TRUE(ProcessRunning(Paths::ToWindows(copy.string()) + ".exe"));          // its own folder
  EXPECT_FALSE(ProcessRunning(conv.substr(0, 4)));
  EXPECT_FALSE(ProcessRunning(""));
  // Known by its first argument (the command name and executable are sleep's).
  const std::string alias = Unique("apelido");
  Run("/bin/sleep", {"/algum/lugar/" + alias, "30"});
  EXPECT_TRUE(ProcessRunning(alias + ".exe"));
  // A name longer than the kernel keeps as the command name.
  const std::string longName = Unique("nome-de-programa-comprido-");
  std::filesystem::copy_file("/bin/sleep", dir_ / longName);
  Run((dir_ / longName).string(), {"x", "30"});
  EXPECT_TRUE(ProcessRunning(longName));
}

TEST_F(SnapshotTest, AZombieDoesNotRun) {
  const std::string name = Unique("zumbi");
  std::filesystem::copy_file("/bin/true", dir_ / name);
  const pid_t pid = Run((dir_ / name).string(), {name});
  ASSERT_TRUE(Until([&] { return !ProcessAlive(pid); }));
  EXPECT_TRUE(ProcessExists(pid));  // not reaped: a zombie
  EXPECT_FALSE(ProcessRunning(name));
}

TEST_F(SnapshotTest, AChildThatEndedIsNeverReportedRunning) {
  const std::string name = Unique("breve");
  std::filesystem::copy_file("/bin/sleep", dir_ / name);
  ASSERT_TRUE(ChildProcess::ChildStart((dir_ / name).string() + " 0.2"));
  const int pid = ChildProcess::CurrentChildPid();
  EXPECT_TRUE(ProcessRunning(name));
  // It ends while nothing runs the event loop: a zombie until asked about.
  while (ProcessAlive(pid)) usleep(10000);
  EXPECT_FALSE(ProcessRunning(name));
  EXPECT_FALSE(ProcessExists(pid));  // reaped by the question
}

}  // namespace
