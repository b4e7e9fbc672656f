// The file handle and the file-system calls: the open modes' guarantees, reads and writes at
// offsets, the names a saved file takes, and the wait for a FIFO's data.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files/file_io.h"

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "file-io-XXXXXX").string();
    FileIo::File probe;
    ASSERT_EQ(FileIo::CreateUnique(pattern, probe), 0);
    FileIo::Remove(pattern);
    folder_ = pattern;
    fs::create_directory(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string At(const std::string& name) const { return (folder_ / name).string(); }

  fs::path folder_;
};

TEST_F(FileIoTest, CreateNewNeverTakesAnExistingNameNorALink) {
  FileIo::File file;
  ASSERT_EQ(file.Open(At("novo"), FileIo::Mode::CreateNew), 0);
  EXPECT_EQ(file.Write("abc", 3), 3);
  EXPECT_EQ(FileIo::File().Open(At("novo"), FileIo::Mode::CreateNew), EEXIST);
  fs::create_symlink(At("alvo"), At("elo"));
  EXPECT_EQ(FileIo::File().Open(At("elo"), FileIo::Mode::CreateNew), EEXIST);
  EXPECT_FALSE(FileIo::Exists(At("alvo")));  // the link's target was not made
  FileIo::Info info;
  ASSERT_EQ(FileIo::QueryLink(At("elo"), info), 0);
  EXPECT_EQ(info.kind, FileIo::Kind::Link);
  EXPECT_EQ(FileIo::Query(At("elo"), info), ENOENT);
  EXPECT_EQ(FileIo::File().Open(At("falta"), FileIo::Mode::Read), ENOENT);
}

TEST_F(FileIoTest, ReadsAtOffsetsSeeksTruncatesAndAppends) {
  FileIo::File file;
  ASSERT_EQ(file.Open(At("dados"), FileIo::Mode::WriteTruncate), 0);
  const FileIo::Piece pieces[2] = {{"linha", 5}, {"\r\n", 2}};
  EXPECT_EQ(file.WritePieces(pieces, 2), 7);
  EXPECT_EQ(file.Position(), 7);
  EXPECT_EQ(file.Truncate(5), 0);
  EXPECT_EQ(file.Seek(5), 5);
  EXPECT_EQ(file.Write("!", 1), 1);
  ASSERT_EQ(file.Close(), 0);
  ASSERT_EQ(file.Open(At("dados"), FileIo::Mode::AppendCreate), 0);
  EXPECT_EQ(file.Write("?", 1), 1);
  ASSERT_EQ(file.Open(At("dados"), FileIo::Mode::Read), 0);
  char bytes[8] = {};
  EXPECT_EQ(file.ReadAt(bytes, 3, 2), 3);
  EXPECT_EQ(std::string(bytes, 3), "nha");
  EXPECT_EQ(file.Read(bytes, sizeof bytes), 7);
  EXPECT_EQ(std::string(bytes, 7), "linha!?");
  EXPECT_EQ(file.Read(bytes, sizeof bytes), 0);
  FileIo::Info info;
  ASSERT_EQ(file.Query(info), 0);
  EXPECT_EQ(info.kind, FileIo::Kind::Regular);
  EXPECT_EQ(info.size, 7u);
  EXPECT_EQ(file.Write("x", 1), -EBADF);  // opened for reading only
}

TEST_F(FileIoTest, ATemporaryFileTakesItsNameWithTheUsersPermissions) {
  std::ofstream(At("velho")) << "velho";
  std::string temp = At(".velho.fonix-XXXXXX");
  FileIo::File file;
  ASSERT_EQ(FileIo::CreateUnique(temp, file), 0);
  EXPECT_EQ(temp.find("XXXXXX"), std::string::npos);
  ASSERT_EQ(file.SetPermissions(FileIo::NewFilePermissions()), 0);
  EXPECT_EQ(file.Write("novo", 4), 4);
  ASSERT_EQ(file.Close(), 0);
  const mode_t mask = umask(0);
  umask(mask);
  FileIo::Info info;
  ASSERT_EQ(FileIo::Query(temp, info), 0);
  EXPECT_EQ(info.permissions, 0666u & ~mask);
  EXPECT_EQ(FileIo::AddName(temp, At("velho")), EEXIST);
  EXPECT_EQ(FileIo::RenameNoReplace(temp, At("velho")), EEXIST);
  ASSERT_EQ(FileIo::Rename(temp, At("velho")), 0);
  std::string text;
  std::ifstream(At("velho")) >> text;
  EXPECT_EQ(text, "novo");
  EXPECT_EQ(FileIo::Remove(temp), ENOENT);
  EXPECT_EQ(FileIo::MakeFolder(At("pasta")), 0);
  EXPECT_EQ(FileIo::Remove(At("pasta")), EISDIR);
  EXPECT_EQ(FileIo::RemoveFolder(At("pasta")), 0);
}

TEST_F(FileIoTest, AFifoWithoutAWriterOpensAndTimesOut) {
  ASSERT_EQ(mkfifo(At("fila").c_str(), 0600), 0);
  EXPECT_FALSE(FileIo::IsRegularFile(At("fila")));
  FileIo::File file;
  ASSERT_EQ(file.Open(At("fila"), FileIo::Mode::ReadNonBlocking), 0);
  FileIo::Info info;
  ASSERT_EQ(file.Query(info), 0);
  EXPECT_EQ(info.kind, FileIo::Kind::Fifo);
  EXPECT_EQ(file.WaitReadable(30), 0);
  FileIo::File writer;
  ASSERT_EQ(writer.Open(At("fila"), FileIo::Mode::WriteTruncate), 0);
  EXPECT_EQ(writer.Write("a", 1), 1);
  EXPECT_EQ(file.WaitReadable(1000), 1);
  char c = 0;
  EXPECT_EQ(file.Read(&c, 1), 1);
  EXPECT_EQ(file.Read(&c, 1), -EAGAIN);
}
