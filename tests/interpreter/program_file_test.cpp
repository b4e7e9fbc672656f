// Program files are read within bounds: a file too long in bytes or lines, a device that
// never ends and a FIFO that never brings data are refused without exhausting anything.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "interpreter/program_file.h"

namespace {

namespace fs = std::filesystem;

class ProgramFileTest : public ::testing::Test {
 protected:
  fs::path dir = fs::path(::testing::TempDir()) / ("fonix_program_file_" + std::to_string(getpid()));
  std::string bytes, error;
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
};

TEST_F(ProgramFileTest, RegularFilesAndTheirBounds) {
  std::ofstream(dir / "ok.fnx") << "escreve \"ol\xC3\xA1\"\n";
  ASSERT_TRUE(ProgramFile::Read((dir / "ok.fnx").string(), bytes, error)) << error;
  EXPECT_EQ(bytes, "escreve \"ol\xC3\xA1\"\n");
  std::ofstream(dir / "empty.fnx");
  EXPECT_TRUE(ProgramFile::Read((dir / "empty.fnx").string(), bytes, error));
  EXPECT_TRUE(bytes.empty());

  EXPECT_FALSE(ProgramFile::Read(dir.string(), bytes, error));
  EXPECT_FALSE(ProgramFile::Read((dir / "missing.fnx").string(), bytes, error));
  EXPECT_EQ(error, "não foi possível ler o arquivo");

  // Reading stops at the line feed that starts line 5001, wherever the file goes on.
  {
    std::ofstream many(dir / "many.fnx");
    for (int i = 0; i < 6000; ++i) many << "*\n";
  }
  EXPECT_FALSE(ProgramFile::Read((dir / "many.fnx").string(), bytes, error));
  EXPECT_EQ(error, "o programa tem mais de 5000 linhas");
  {
    std::ofstream exact(dir / "exact.fnx");
    for (int i = 0; i < 5000; ++i) exact << "*\n";
  }
  EXPECT_TRUE(ProgramFile::Read((dir / "exact.fnx").string(), bytes, error));

  // One long line: the byte bound.
  std::ofstream(dir / "long.fnx") << std::string(ProgramFile::kMaxBytes + 1, 'x');
  EXPECT_FALSE(ProgramFile::Read((dir / "long.fnx").string(), bytes, error));
  EXPECT_EQ(error, "o programa tem mais de 16 MiB");
  EXPECT_TRUE(bytes.size() <= ProgramFile::kMaxBytes);
}

TEST_F(ProgramFileTest, DevicesAndPipesThatNeverEnd) {
  EXPECT_FALSE(ProgramFile::Read("/dev/zero", bytes, error));
  EXPECT_EQ(error, "o programa tem mais de 16 MiB");

  // A writer that never stops, as `fonix <(yes)`.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    close(fds[0]);
    const char line[] = "y\n";
    while (write(fds[1], line, 2) == 2) {
    }
    _exit(0);
  }
  close(fds[1]);
  EXPECT_FALSE(ProgramFile::Read("/proc/self/fd/" + std::to_string(fds[0]), bytes, error));
  EXPECT_EQ(error, "o programa tem mais de 5000 linhas");
  close(fds[0]);
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
}

TEST_F(ProgramFileTest, AFifoWithoutWriterIsRefusedInTime) {
  const fs::path fifo = dir / "fifo.fnx";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ProgramFile::Read(fifo.string(), bytes, error));
  EXPECT_EQ(error, "nenhum dado chegou em 5 segundos");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));

  // A FIFO whose writer comes and goes is read to its end.
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    std::ofstream(fifo) << "termina\n";
    _exit(0);
  }
  EXPECT_TRUE(ProgramFile::Read(fifo.string(), bytes, error)) << error;
  EXPECT_EQ(bytes, "termina\n");
  waitpid(writer, nullptr, 0);
}

}  // namespace
