// The text file of a channel: line ends in every position of the read buffer, reading on
// after the file grew, overlong lines, and writes that a full disk refuses.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "interpreter/file_names.h"
#include "interpreter/text_file.h"

namespace {

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/fonix-textfile-XXXXXX";
    dir_ = mkdtemp(name);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  std::filesystem::path dir_;
};

// Reads every line with the given buffer size; the last element is the status after them.
std::vector<std::string> AllLines(const std::string& path, std::size_t capacity, int& status) {
  TextFiles::TextFile f;
  f.capacity = capacity;
  EXPECT_EQ(TextFiles::OpenRead(f, path), 0);
  std::vector<std::string> lines;
  std::string line;
  while ((status = TextFiles::ReadLine(f, line, 1 << 20)) == 0) lines.push_back(line);
  EXPECT_EQ(line, "");
  return lines;
}

TEST_F(TextFileTest, LineEndsInEveryBufferPosition) {
  Put("a.txt", "um\r\ndois\ntr\res\r\n\r\n\n\rsete\r\r\noito");
  const std::vector<std::string> want = {"um", "dois", "tres", "", "", "sete", "oito"};
  for (std::size_t capacity : {1, 2, 3, 5, 7, 64 * 1024}) {
    int status = -5;
    EXPECT_EQ(AllLines(Path("a.txt"), capacity, status), want) << "buffer " << capacity;
    EXPECT_EQ(status, 1);
  }
  // A last line ended by CR LF gives no empty line after it.
  Put("b.txt", "x\r\n");
  int status;
  EXPECT_EQ(AllLines(Path("b.txt"), 2, status), std::vector<std::string>{"x"});
  Put("c.txt", "");
  EXPECT_TRUE(AllLines(Path("c.txt"), 4, status).empty());
  EXPECT_EQ(status, 1);
}

TEST_F(TextFileTest, ReadingGoesOnWhenTheFileGrows) {
  Put("log.txt", "a\n");
  TextFiles::TextFile f;
  ASSERT_EQ(TextFiles::OpenRead(f, Path("log.txt")), 0);
  std::string line;
  EXPECT_EQ(TextFiles::ReadLine(f, line, 100), 0);
  EXPECT_EQ(TextFiles::ReadLine(f, line, 100), 1);
  EXPECT_EQ(TextFiles::ReadLine(f, line, 100), 1);  // the end stays the end
  std::ofstream(Path("log.txt"), std::ios::app) << "b\r\n";
  EXPECT_EQ(TextFiles::ReadLine(f, line, 100), 0);
  EXPECT_EQ(line, "b");
}

TEST_F(TextFileTest, OverlongLineIsSkippedWhole) {
  Put("longa.txt", std::string(50, 'x') + "\r\nseguinte\n" + std::string(60, 'y'));
  TextFiles::TextFile f;
  f.capacity = 16;
  ASSERT_EQ(TextFiles::OpenRead(f, Path("longa.txt")), 0);
  std::string line;
  EXPECT_EQ(TextFiles::ReadLine(f, line, 40), TextFiles::kLineTooLong);
  EXPECT_EQ(line, "");
  EXPECT_EQ(TextFiles::ReadLine(f, line, 40), 0);
  EXPECT_EQ(line, "seguinte");
  EXPECT_EQ(TextFiles::ReadLine(f, line, 40), TextFiles::kLineTooLong);  // the last one, without an end
  EXPECT_EQ(TextFiles::ReadLine(f, line, 40), 1);
}

TEST_F(TextFileTest, OpenErrorsCarryWindowsNumbers) {
  TextFiles::TextFile f;
  EXPECT_EQ(TextFiles::OpenRead(f, Path("falta.txt")), FileNames::kFileNotFound);
  EXPECT_EQ(TextFiles::OpenRead(f, Path("pasta/falta.txt")), FileNames::kPathNotFound);
  EXPECT_EQ(TextFiles::OpenAppend(f, Path("pasta/falta.txt")), FileNames::kPathNotFound);
  std::filesystem::create_directory(dir_ / "pasta");
  EXPECT_EQ(TextFiles::OpenRead(f, Path("pasta")), FileNames::kAccessDenied);
  EXPECT_EQ(TextFiles::OpenAppend(f, Path("pasta")), FileNames::kAccessDenied);
  EXPECT_EQ(f.mode, TextFiles::Mode::Closed);
  // Appending to an existing file never truncates it.
  Put("dados.txt", "antigo\r\n");
  ASSERT_EQ(TextFiles::OpenAppend(f, Path("dados.txt")), 0);
  EXPECT_EQ(TextFiles::Write(f, "novo", true), 0);
  std::string line;
  EXPECT_EQ(TextFiles::ReadLine(f, line, 100), FileNames::kNotOpenForInput);
  EXPECT_EQ(TextFiles::Close(f), 0);
  EXPECT_EQ(Get("dados.txt"), "antigo\r\nnovo\r\n");
  ASSERT_EQ(TextFiles::OpenRead(f, Path("dados.txt")), 0);
  EXPECT_EQ(TextFiles::Write(f, "x", true), FileNames::kNotOpenForOutput);
}

// A full disk: the file-size limit refuses the write; the file keeps its whole lines.
TEST_F(TextFileTest, FullDiskTakesBackTheHalfWrittenLine) {
  signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  TextFiles::TextFile f;
  ASSERT_EQ(TextFiles::OpenAppend(f, Path("cheio.txt")), 0);
  rlimit small = old;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_EQ(TextFiles::Write(f, "12345678", true), 0);     // 10 bytes
  EXPECT_EQ(TextFiles::Write(f, "abcdefgh", true), FileNames::kDiskFull);  // would reach 20
  EXPECT_EQ(TextFiles::Write(f, "abcd", false), 0);        // 14
  EXPECT_EQ(TextFiles::Write(f, "xyz", true), FileNames::kDiskFull);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(TextFiles::Close(f), 0);
  EXPECT_EQ(Get("cheio.txt"), "12345678\r\nabcd");
}

}  // namespace
