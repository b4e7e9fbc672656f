// The child process with pipes, with real programs: the shape of what a script reads, lines
// typed into a child, children that print a lot, close their pipes or ignore SIGTERM, a
// second child beside the first, and nothing left behind (descriptors, zombies).
#include <fcntl.h>
#include <signal.h>

#include <dirent.h>

#include "programs_fixture.h"

namespace {

using ChildProcess::ChildReadOutput;
using ChildProcess::ChildSendLine;
using ChildProcess::ChildStart;
using ChildProcess::CurrentChildPid;
using ChildProcess::ProcessRunning;

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') ++count;
    closedir(dir);
  }
  return count - 1;  // the directory's own descriptor
}

class ChildProcessTest : public ProgramsTest {
 protected:
  // Starts the command line and returns all it printed, read as a script reads it.
  std::string RunAndRead(const std::string& commandLine) {
    EXPECT_TRUE(ChildStart(commandLine)) << commandLine;
    return OutputUntilEnd(CurrentChildPid());
  }
  // Output read once, after the child has ended (and been reaped by the loop).
  std::string ReadOnceAfterEnd(const std::string& commandLine) {
    EXPECT_TRUE(ChildStart(commandLine)) << commandLine;
    const int pid = CurrentChildPid();
    EXPECT_TRUE(Until([&] { return !ProcessExists(pid); }));
    return ChildReadOutput();
  }
  // A link to a system program under a name no other process has.
  std::string UniqueProgram(const std::string& name, const std::string& target) {
    const std::filesystem::path link = dir_ / (name + "-" + std::to_string(getpid()));
    std::filesystem::create_symlink(target, link);
    return link.string();
  }
};

TEST_F(ChildProcessTest, OutputHasTheShapeOfAWindowsRead) {
  EXPECT_EQ(ReadOnceAfterEnd("printf 1.0\\n"), "1.0\r\n\r\n\r\n");
  EXPECT_EQ(ReadOnceAfterEnd("sh -c \"printf falhou >&2\""), "falhou\r\n");
  EXPECT_EQ(ReadOnceAfterEnd("sh -c \"echo um; echo dois >&2\""), "um\r\n\r\ndois\r\n\r\n");
  EXPECT_EQ(ReadOnceAfterEnd("printf \"antes\\000depois\\n\""), "antes\r\n\r\n");
  EXPECT_EQ(ReadOnceAfterEnd("printf \"a\\r\\nb\\rc\""), "a\r\nb\rc\r\n\r\n");
  // The command line is Windows-1252 and reaches the program as UTF-8; its UTF-8 output
  // comes back as Windows-1252.
  EXPECT_EQ(ReadOnceAfterEnd("printf \"\xe7\xe3o\""), "\xe7\xe3o\r\n\r\n");
  EXPECT_EQ(ChildReadOutput(), "");  // nothing new: nothing read
  EXPECT_EQ(ReadOnceAfterEnd("true"), "");
}

TEST_F(ChildProcessTest, LinesTypedIntoTheChild) {
  ASSERT_TRUE(ChildStart("sh -c \"read a; echo [$a]; read b; echo [$b]\""));
  ChildSendLine("ol\xe1 mundo");
  ChildSendLine("");
  const int pid = CurrentChildPid();
  ASSERT_TRUE(Until([&] { return !ProcessExists(pid); }));
  EXPECT_EQ(ChildReadOutput(), "[ol\xe1 mundo]\r\n[]\r\n\r\n\r\n");
  ASSERT_TRUE(ChildStart("cat"));
  ChildSendLine("linha");
  std::string echoed;
  EXPECT_TRUE(Until([&] { return (echoed += ChildReadOutput()).size() >= 7; }));
  EXPECT_EQ(echoed, "linha\r\n\r\n\r\n");
}

TEST_F(ChildProcessTest, AChildThatPrintsALotIsNeverBlocked) {
  // 100 MB and then a mark, while the script reads nothing: the event loop drains the
  // pipe, so the child finishes; what is kept is the newest output, bounded.
  ASSERT_TRUE(ChildStart("sh -c \"head -c 100000000 /dev/zero | tr '\\000' a; printf fim\""));
  const int pid = CurrentChildPid();
  ASSERT_TRUE(Until([&] { return !ProcessExists(pid); }, 120000));
  std::string all, piece;
  while (!(piece = ChildReadOutput()).empty()) {
    EXPECT_LE(piece.size(), 65535u + 4);
    all += piece;
  }
  EXPECT_LE(all.size(), 2u * 1024 * 1024 + 64);
  EXPECT_GE(all.size(), 1024u * 1024);
  EXPECT_TRUE(all.ends_with("aaafim\r\n\r\n"));
}

TEST_F(ChildProcessTest, InputTheChildNeverReadsNeverBlocks) {
  ASSERT_TRUE(ChildStart("sleep 5"));
  const int pid = CurrentChildPid();
  for (int i = 0; i < 12; ++i) ChildSendLine(std::string(100000, 'x'));  // far beyond a pipe's size
  EXPECT_TRUE(ProcessAlive(pid));
}

TEST_F(ChildProcessTest, AChildThatClosesItsPipes) {
  const std::string sh = UniqueProgram("fechado", "/bin/sh");
  ASSERT_TRUE(ChildStart(sh + " -c \"exec 0<&- 1>&- 2>&-; sleep 1\""));
  const int pid = CurrentChildPid();
  EXPECT_TRUE(ProcessRunning(std::filesystem::path(sh).filename().string()));
  ChildSendLine("ninguem le");  // its input is closed: the write fails, the runtime goes on
  ChildSendLine("de novo");
  EXPECT_EQ(ChildReadOutput(), "");
  EXPECT_TRUE(Until([&] { return !ProcessExists(pid); }));
  EXPECT_FALSE(ProcessRunning(std::filesystem::path(sh).filename().string()));
}

TEST_F(ChildProcessTest, AChildThatIgnoresSigterm) {
  const std::string sh = UniqueProgram("teimoso", "/bin/sh");
  const std::string name = std::filesystem::path(sh).filename().string();
  ASSERT_TRUE(ChildStart(sh + " -c \"trap '' TERM; sleep 0.6; echo fim\""));
  const int pid = CurrentChildPid();
  ASSERT_TRUE(Until([] { return false; }, 150) == false);
  kill(pid, SIGTERM);
  EXPECT_TRUE(ProcessRunning(name));
  EXPECT_EQ(OutputUntilEnd(pid), "fim\r\n\r\n\r\n");
  EXPECT_FALSE(ProcessRunning(name));
  EXPECT_TRUE(Until([&] { return !ProcessExists(pid); }));
}

TEST_F(ChildProcessTest, ASecondChildBesideTheFirst) {
  ASSERT_TRUE(ChildStart("true"));  // the loop's own descriptors exist from here on
  OutputUntilEnd(CurrentChildPid());
  const int before = OpenDescriptors();
  const std::string sh = UniqueProgram("primeiro", "/bin/sh");
  const std::string name = std::filesystem::path(sh).filename().string();
  ASSERT_TRUE(ChildStart(sh + " -c \"sleep 0.5; echo primeiro; echo erro >&2\""));
  const int first = CurrentChildPid();
  ASSERT_TRUE(ChildStart("printf segundo"));
  const int second = CurrentChildPid();
  EXPECT_NE(first, second);
  EXPECT_TRUE(ProcessRunning(name));  // neither blocked nor killed by the second start
  std::string read;
  ASSERT_TRUE(Until([&] {
    read += ChildReadOutput();
    return !ProcessExists(first) && !ProcessExists(second);
  }));
  read += ChildReadOutput();
  EXPECT_EQ(read, "segundo\r\n\r\n");  // the first child's output is not the script's
  EXPECT_FALSE(ProcessRunning(name));
  // The first child's pipes were closed once it ended; the second's at its end of output.
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(ChildProcessTest, NoDescriptorOrZombieLeftAfterManyStarts) {
  ASSERT_TRUE(ChildStart("true"));
  OutputUntilEnd(CurrentChildPid());
  const int before = OpenDescriptors();
  std::vector<int> pids;
  for (int i = 0; i < 200; ++i) {
    // Half read to their end, half replaced by the next start while they may still run.
    ASSERT_TRUE(ChildStart(i % 2 ? "printf x" : "sh -c \"echo y; sleep 0.01\""));
    pids.push_back(CurrentChildPid());
    if (i % 2) OutputUntilEnd(CurrentChildPid());
  }
  EXPECT_TRUE(Until([&] {
    for (int pid : pids)
      if (ProcessExists(pid)) return false;
    return true;
  }));
  OutputUntilEnd(CurrentChildPid());
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(ChildProcessTest, ChildrenInheritNothingButTheirPipes) {
  const int file = open("/dev/null", O_RDONLY);  // no close-on-exec
  ASSERT_EQ(dup2(file, 77), 77);
  close(file);
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGINT, &ignore, &previous);
  sigset_t usr1, mask;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &usr1, &mask);
  const std::string out = RunAndRead(
      "sh -c \"ls /proc/self/fd | tr '\\n' ' '; echo; grep -E 'SigIgn|SigBlk' /proc/self/status; "
      "if (exec </dev/tty) 2>/dev/null; then echo terminal; else echo sem-terminal; fi\"");
  pthread_sigmask(SIG_SETMASK, &mask, nullptr);
  sigaction(SIGINT, &previous, nullptr);
  close(77);
  EXPECT_EQ(out.find("77"), std::string::npos) << out;
  EXPECT_NE(out.find("0 1 2 3 \r\n"), std::string::npos) << out;  // 3: ls reading the folder
  // No standard signal (1..31) ignored or blocked; the C library's own above them aside.
  for (const char* field : {"SigIgn:\t", "SigBlk:\t"}) {
    const std::size_t at = out.find(field);
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(std::stoull(out.substr(at + 8, 16), nullptr, 16) & 0x7fffffffULL, 0u) << field << out;
  }
  EXPECT_NE(out.find("sem-terminal"), std::string::npos) << out;
}

TEST_F(ChildProcessTest, BadStarts) {
  EXPECT_FALSE(ChildStart(""));
  EXPECT_FALSE(ChildStart("   "));
  EXPECT_FALSE(ChildStart("programa-que-nao-existe-xyz"));
  EXPECT_FALSE(ChildStart(dir_.string()));  // a folder
  const auto text = WriteFile("texto.sh", "#!/bin/sh\necho oi\n", 0644);
  EXPECT_FALSE(ChildStart(text.string()));  // no permission, and not on drive C
  EXPECT_FALSE(ChildStart("\"printf abc"));  // the quote left open takes the whole line as the name
  EXPECT_FALSE(ChildStart(std::string("printf\0x", 8)));
  EXPECT_EQ(ChildReadOutput(), "");
  ChildSendLine("para ninguem");  // no child: nothing happens
  // 10 000 characters of parameters reach the program whole.
  EXPECT_EQ(ReadOnceAfterEnd("printf " + std::string(10000, 'p')), std::string(10000, 'p') + "\r\n\r\n");
}

TEST_F(ChildProcessTest, ADownloadedProgramOnDriveCRuns) {
  // An ELF program and a script that lack the execute bit, as a download leaves them.
  std::filesystem::copy_file("/bin/echo", DriveC() / "Eco.exe");
  chmod((DriveC() / "Eco.exe").c_str(), 0644);
  std::ofstream(DriveC() / "ola") << "#!/bin/sh\necho ola \"$1\"\n";
  chmod((DriveC() / "ola").c_str(), 0600);
  std::ofstream(DriveC() / "leia.txt") << "apenas texto\n";
  EXPECT_EQ(ReadOnceAfterEnd("c:\\eco um dois"), "um dois\r\n\r\n\r\n");
  EXPECT_EQ(ReadOnceAfterEnd("C:\\OLA.EXE voce"), "ola voce\r\n\r\n\r\n");
  struct stat st {};
  ASSERT_EQ(stat((DriveC() / "Eco.exe").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
  EXPECT_FALSE(ChildStart("c:\\leia.txt"));  // no program at all
}

}  // namespace
