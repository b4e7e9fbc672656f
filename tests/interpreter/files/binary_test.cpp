// The binary-file commands: the file is never overwritten, bytes come from texts and from
// ranges of files, the buffer is written once, and its 128 MiB are a hard limit.
#include <signal.h>
#include <sys/resource.h>

#include "tests/interpreter/files/files_fixture.h"

#include "interpreter/byte_buffer.h"

namespace {

class Binary : public FilesTest {};

TEST_F(Binary, BuildAFileFromBytes) {
  Put("fonte.bin", "0123456789abcdef");
  ASSERT_TRUE(Do("criabin \"saida.bin\""));
  EXPECT_EQ(ByteBuffer::State().bytes, nullptr);  // no memory before the first byte
  ASSERT_TRUE(Do("escrevebyte 65"));               // the text "65": two bytes
  ASSERT_TRUE(Do("seja c chr \"#255\""));
  ASSERT_TRUE(Do("escrevebyte c"));
  ASSERT_TRUE(Do("lebyte \"fonte.bin\" 0 10"));
  ASSERT_TRUE(Do("lebyte \"fonte.bin\" 5 5"));
  ASSERT_TRUE(Do("lebyte \"fonte.bin\" 14 99"));  // only the bytes the file holds
  ASSERT_TRUE(Do("gravabytes"));
  ASSERT_TRUE(Do("gravabytes"));  // nothing more to write
  ASSERT_TRUE(Do("escrevebyte \"!\""));
  ASSERT_TRUE(Do("limpabytes"));  // dropped before it was written
  ASSERT_TRUE(Do("escrevebyte \"fim\""));
  ASSERT_TRUE(Do("gravabytes"));
  ASSERT_TRUE(Do("fechabin"));
  EXPECT_EQ(Get("saida.bin"), "65\xFF" "01234567895ef" "fim");
}

TEST_F(Binary, Failures) {
  Put("existe.bin", "antigo");
  Put("fonte.bin", "0123456789");
  EXPECT_FALSE(Do("criabin \"existe.bin\""));
  EXPECT_EQ(Get("existe.bin"), "antigo");
  EXPECT_FALSE(Do("criabin \"EXISTE.BIN\""));
  EXPECT_FALSE(Do("criabin"));
  EXPECT_FALSE(Do("gravabytes"));  // no binary file open
  EXPECT_FALSE(Do("fechabin"));
  ASSERT_TRUE(Do("criabin \"novo.bin\""));
  EXPECT_FALSE(Do("criabin \"outro.bin\""));  // one at a time
  EXPECT_FALSE(Has("outro.bin"));
  EXPECT_FALSE(Do("lebyte \"fonte.bin\" 10 5"));
  EXPECT_FALSE(Do("lebyte \"fonte.bin\" 10 20"));  // starts at the end of the file
  EXPECT_FALSE(Do("lebyte \"fonte.bin\" -1 2"));
  EXPECT_FALSE(Do("lebyte \"fonte.bin\" \"x\" 2"));
  EXPECT_FALSE(Do("lebyte \"fonte.bin\" 1"));
  EXPECT_FALSE(Do("lebyte \"falta.bin\" 0 1"));
  std::filesystem::create_directory(Here("pasta"));
  EXPECT_FALSE(Do("lebyte \"pasta\" 0 1"));
  ASSERT_TRUE(Do("gravabytes"));
  ASSERT_TRUE(Do("fechabin"));
  EXPECT_EQ(Get("novo.bin"), "");
  EXPECT_FALSE(Do("criabin \"pasta\""));
  EXPECT_FALSE(Do("criabin \"falta\\x.bin\""));
  EXPECT_TRUE(Showed("Erro na criação do arquivo falta\\x.bin"));
}

TEST_F(Binary, TheBufferHoldsExactly128MiB) {
  constexpr uint64_t kFull = ByteBuffer::kCapacity;
  {
    std::ofstream(Here("cheio.bin"), std::ios::binary);
  }
  std::filesystem::resize_file(Here("cheio.bin"), kFull);
  {
    std::ofstream(Here("demais.bin"), std::ios::binary);
  }
  std::filesystem::resize_file(Here("demais.bin"), kFull + 1);
  EXPECT_FALSE(Do("lebyte \"demais.bin\" 0 1"));  // a file larger than the buffer
  ASSERT_TRUE(Do("escrevebyte \"abc\""));
  EXPECT_FALSE(Do("lebyte \"cheio.bin\" 0 " + std::to_string(kFull)));  // 3 bytes too many
  EXPECT_TRUE(Showed("Memória de bytes cheia (máximo 134217728 bytes)"));
  EXPECT_EQ(ByteBuffer::State().count, 3u);
  ASSERT_TRUE(Do("lebyte \"cheio.bin\" 3 " + std::to_string(kFull)));
  EXPECT_EQ(ByteBuffer::State().count, kFull);
  EXPECT_FALSE(Do("lebyte \"cheio.bin\" 0 1"));  // full
  EXPECT_FALSE(Do("escrevebyte \"x\""));
  EXPECT_EQ(ByteBuffer::State().count, kFull);
  ASSERT_TRUE(Do("escrevebyte \"\""));  // nothing to add fits
  ASSERT_TRUE(Do("limpabytes"));
  EXPECT_EQ(ByteBuffer::State().bytes, nullptr);  // the memory is given back
  ASSERT_TRUE(Do("escrevebyte \"x\""));
}

// A full disk: GRAVABYTES fails with its message, the file keeps what it had, and the
// bytes stay in the buffer for another try.
TEST_F(Binary, AFullDiskKeepsTheBytes) {
  signal(SIGXFSZ, SIG_IGN);
  Put("parte.bin", std::string(60000, 'p'));
  ASSERT_TRUE(Do("criabin \"disco.bin\""));
  ASSERT_TRUE(Do("lebyte \"parte.bin\" 0 60000"));
  ASSERT_TRUE(Do("gravabytes"));
  ASSERT_TRUE(Do("escrevebyte \"abc\""));
  ASSERT_TRUE(Do("lebyte \"parte.bin\" 0 60000"));
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 100000;  // room for the transcript, not for the second part
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = Do("gravabytes");
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(written);
  EXPECT_TRUE(Showed("Erro na escrita de arquivo disco.bin"));
  EXPECT_EQ(Get("disco.bin"), std::string(60000, 'p'));
  EXPECT_EQ(ByteBuffer::State().count, 60003u);
  ASSERT_TRUE(Do("gravabytes"));  // room again
  ASSERT_TRUE(Do("fechabin"));
  EXPECT_EQ(Get("disco.bin"), std::string(60000, 'p') + "abc" + std::string(60000, 'p'));
}

}  // namespace
