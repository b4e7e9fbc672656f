// The platform's process interface: argument vectors reach the child whole, pipes and the
// readiness waits report what happened and time out, a gone reader does not end the runtime.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/processes/processes.h"
#include "platform/processes/readiness.h"

namespace {

// Everything the handle gives until its end.
std::string ReadAll(Processes::Handle handle) {
  std::string text;
  char buffer[256];
  for (;;) {
    const long n = Processes::Read(handle, buffer, sizeof buffer);
    if (n <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

Processes::SpawnRequest Shell(const std::string& script, std::vector<std::string> arguments = {}) {
  Processes::SpawnRequest request;
  request.path = "/bin/sh";
  request.argv = {"sh", "-c", script, "sh"};
  request.argv.insert(request.argv.end(), arguments.begin(), arguments.end());
  request.environment = Processes::Environment();
  return request;
}

TEST(ProcessesTest, EachArgumentArrivesWhole) {
  Processes::Pipe out;
  ASSERT_TRUE(Processes::MakePipe(out));
  Processes::SpawnRequest request = Shell("printf '%s|' \"$#\" \"$@\"", {"a b", "\"c\" 'd'", "$HOME; e", ""});
  request.output = out.write;
  Processes::SpawnFailure failure;
  const Processes::ProcessId pid = Processes::Spawn(request, failure);
  Processes::Close(out.write);
  ASSERT_GT(pid, 0);
  EXPECT_EQ(ReadAll(out.read), "4|a b|\"c\" 'd'|$HOME; e||");
  Processes::Close(out.read);
  const Processes::Exit exit = Processes::WaitFor(pid);
  EXPECT_TRUE(exit.normal);
  EXPECT_EQ(exit.code, 0);
}

TEST(ProcessesTest, MissingProgramIsNotFound) {
  Processes::SpawnRequest request = Shell("");
  request.path = "/nenhum/programa";
  Processes::SpawnFailure failure;
  EXPECT_LT(Processes::Spawn(request, failure), 0);
  EXPECT_EQ(failure, Processes::SpawnFailure::NotFound);
}

TEST(ProcessesTest, ExitCodeAndKilledGroup) {
  Processes::SpawnFailure failure;
  const Processes::ProcessId quick = Processes::Spawn(Shell("exit 7"), failure);
  ASSERT_GT(quick, 0);
  const Processes::Exit exit = Processes::WaitFor(quick);
  EXPECT_TRUE(exit.normal);
  EXPECT_EQ(exit.code, 7);

  Processes::SpawnRequest request = Shell("sleep 30");
  request.group = Processes::Group::OwnGroup;
  const Processes::ProcessId slow = Processes::Spawn(request, failure);
  ASSERT_GT(slow, 0);
  Processes::Exit ended;
  EXPECT_EQ(Processes::TryReap(slow, ended), Processes::Reaped::Running);
  Processes::KillGroup(slow);
  EXPECT_FALSE(Processes::WaitFor(slow).normal);
  EXPECT_EQ(Processes::TryReap(slow, ended), Processes::Reaped::NotOurs);
}

TEST(ProcessesTest, WaitAnyTimesOutThenSeesData) {
  Processes::Pipe pipe;
  ASSERT_TRUE(Processes::MakePipe(pipe));
  Readiness::Wait wait{pipe.read, Readiness::kReadable, 0};
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(Readiness::WaitAny(&wait, 1, 60), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
  EXPECT_FALSE(Readiness::ReadyNow(pipe.read, Readiness::kReadable));
  ASSERT_EQ(Processes::Write(pipe.write, "x", 1), 1);
  EXPECT_EQ(Readiness::WaitAny(&wait, 1, 1000), 1);
  EXPECT_TRUE(wait.happened & Readiness::kReadable);
  Processes::Close(pipe.read);
  Processes::Close(pipe.write);
}

TEST(ProcessesTest, SetReportsTokensAndGoneReaderFailsTheWrite) {
  Readiness::Set set;
  ASSERT_TRUE(set.Open());
  Processes::Pipe pipe;
  ASSERT_TRUE(Processes::MakePipe(pipe));
  Processes::SetNonBlocking(pipe.read);
  ASSERT_TRUE(set.Add(pipe.read, Readiness::kReadable, 42));
  Readiness::Set::Event events[4];
  EXPECT_EQ(set.ReadyNow(events, 4), 0);
  char byte = 0;
  EXPECT_EQ(Processes::Read(pipe.read, &byte, 1), Processes::kWouldBlock);
  ASSERT_EQ(Processes::Write(pipe.write, "y", 1), 1);
  ASSERT_EQ(set.ReadyNow(events, 4), 1);
  EXPECT_EQ(events[0].token, 42u);
  EXPECT_TRUE(events[0].happened & Readiness::kReadable);
  set.Remove(pipe.read);
  set.Close();
  Processes::Close(pipe.read);
  // The reader has gone: the write fails, and the test process goes on.
  EXPECT_EQ(Processes::Write(pipe.write, "z", 1), -1);
  Processes::Close(pipe.write);
}

}  // namespace
