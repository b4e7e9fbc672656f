// REMOVE, RENOMEIA, REPLICA, DIR, TAMARQ and HTAMARQ: what they do to the files, their
// messages, the trailing "&", and the files a failed command must leave alone.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/interpreter/files/files_fixture.h"

namespace {

class FileCommands : public FilesTest {};

TEST_F(FileCommands, Remove) {
  Put("a.txt", "x");
  EXPECT_TRUE(Do("remove \"A.TXT\""));
  EXPECT_FALSE(Has("a.txt"));
  EXPECT_FALSE(Do("remove \"a.txt\""));
  EXPECT_TRUE(Showed("Erro no apagamento do arquivo a.txt"));
  EXPECT_TRUE(Do("remove \"a.txt\" &"));
  EXPECT_FALSE(Do("remove \"\" &"));  // an empty name is a bad operand, "&" or not
  EXPECT_FALSE(Do("remove"));
  std::filesystem::create_directory(Here("pasta"));
  EXPECT_FALSE(Do("remove \"pasta\""));  // a folder is not a file
  EXPECT_TRUE(Do("remove \"pasta\" &"));
  EXPECT_TRUE(Has("pasta"));
  EXPECT_FALSE(Do("remove \"*.txt\""));  // no wildcards in a file name
}

TEST_F(FileCommands, RenameNeverReplaces) {
  Put("a.txt", "A");
  Put("b.txt", "B");
  EXPECT_FALSE(Do("renomeia \"a.txt\" \"b.txt\""));
  EXPECT_TRUE(Do("renomeia \"a.txt\" \"b.txt\" &"));
  EXPECT_EQ(Get("a.txt"), "A");
  EXPECT_EQ(Get("b.txt"), "B");
  EXPECT_TRUE(Do("renomeia \"a.txt\" \"c.txt\""));
  EXPECT_EQ(Get("c.txt"), "A");
  EXPECT_FALSE(Has("a.txt"));
  EXPECT_FALSE(Do("renomeia \"a.txt\" \"d.txt\""));  // gone
  EXPECT_TRUE(Do("renomeia \"a.txt\" \"d.txt\" &"));
  EXPECT_FALSE(Do("renomeia \"c.txt\""));
  EXPECT_FALSE(Do("renomeia \"c.txt\" \"d.txt\" \"e.txt\""));
  // Only the letter case changes: the same file takes the new spelling.
  EXPECT_TRUE(Do("renomeia \"c.txt\" \"C.TXT\""));
  EXPECT_TRUE(Has("C.TXT"));
  EXPECT_EQ(Get("C.TXT"), "A");
  // Into another folder, and folders themselves.
  std::filesystem::create_directory(Here("pasta"));
  EXPECT_TRUE(Do("renomeia \"c.txt\" \"pasta\\c.txt\""));
  EXPECT_EQ(Get("pasta/c.txt"), "A");
  EXPECT_TRUE(Do("renomeia \"pasta\" \"Caixa\""));
  EXPECT_EQ(Get("Caixa/c.txt"), "A");
  EXPECT_FALSE(Do("renomeia \"b.txt\" \"falta\\b.txt\""));
  EXPECT_EQ(Get("b.txt"), "B");
}

TEST_F(FileCommands, RenameToAnotherDriveMovesTheFile) {
  // Drive D is a folder on the same disk here; /dev/shm is another file system when present.
  const std::filesystem::path other = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
  const std::filesystem::path d = other / ("fonix-d-" + std::to_string(getpid()));
  std::filesystem::create_directories(d);
  setenv("FONIX_DRIVE_D", d.c_str(), 1);
  Paths::ResetPaths();
  Put("mover.txt", "conteúdo");
  EXPECT_TRUE(Do("renomeia \"mover.txt\" \"d:\\movido.txt\""));
  EXPECT_FALSE(Has("mover.txt"));
  std::ifstream in(d / "movido.txt", std::ios::binary);
  std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(got, "conteúdo");
  Put("outro.txt", "x");
  EXPECT_FALSE(Do("renomeia \"outro.txt\" \"d:\\movido.txt\""));
  EXPECT_TRUE(Has("outro.txt"));
  unsetenv("FONIX_DRIVE_D");
  std::filesystem::remove_all(d);
}

TEST_F(FileCommands, ReplicaCopiesByteForByte) {
  std::string all;
  for (int round = 0; round < 400; ++round)
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));  // 102 400 bytes: several blocks
  Put("origem.bin", all);
  EXPECT_TRUE(Do("replica \"origem.bin\" \"copia.bin\""));
  EXPECT_EQ(Get("copia.bin"), all);
  Put("vazio.bin", "");
  EXPECT_TRUE(Do("replica \"vazio.bin\" \"copia.bin\""));  // replaces the old copy
  EXPECT_EQ(Get("copia.bin"), "");
  // A file copied onto itself keeps its bytes.
  EXPECT_TRUE(Do("replica \"origem.bin\" \"ORIGEM.BIN\""));
  EXPECT_EQ(Get("origem.bin"), all);
  // Open errors fail without a message, or count as success with "&".
  EXPECT_FALSE(Do("replica \"falta.bin\" \"x.bin\""));
  EXPECT_TRUE(Do("replica \"falta.bin\" \"x.bin\" &"));
  EXPECT_FALSE(Has("x.bin"));
  std::filesystem::create_directory(Here("pasta"));
  EXPECT_FALSE(Do("replica \"origem.bin\" \"pasta\""));
  EXPECT_FALSE(Do("replica \"pasta\" \"y.bin\""));
  EXPECT_FALSE(Do("replica \"origem.bin\" \"falta\\y.bin\""));
  EXPECT_FALSE(Do("replica \"origem.bin\""));
  EXPECT_FALSE(Do("replica \"origem.bin\" \"a\" \"b\""));
  for (const auto& e : std::filesystem::directory_iterator(here_))
    EXPECT_EQ(e.path().filename().string().find(".fonix-"), std::string::npos) << "temporary file left";
}

TEST_F(FileCommands, ReplicaOnAFullDiskKeepsTheOldDestination) {
  signal(SIGXFSZ, SIG_IGN);
  Put("grande.bin", std::string(100000, 'g'));
  Put("destino.bin", "antigo");
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 50000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool plain = Do("replica \"grande.bin\" \"destino.bin\"");
  const bool lenient = Do("replica \"grande.bin\" \"destino.bin\" &");
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(plain);
  EXPECT_TRUE(Showed("Erro na escrita de arquivo destino.bin"));
  EXPECT_TRUE(lenient);
  EXPECT_EQ(Get("destino.bin"), "antigo");
  for (const auto& e : std::filesystem::directory_iterator(here_))
    EXPECT_EQ(e.path().filename().string().find(".fonix-"), std::string::npos) << "temporary file left";
}

TEST_F(FileCommands, Folders) {
  EXPECT_TRUE(Do("dir cria \"Nova\""));
  EXPECT_TRUE(std::filesystem::is_directory(Here("Nova")));
  EXPECT_FALSE(Do("dir cria \"nova\""));  // exists already, in another case
  EXPECT_TRUE(Showed("Erro no processamento do diretório nova"));
  EXPECT_TRUE(Do("dir cria \"nova\" &"));
  EXPECT_TRUE(Do("DIR TROCA \"NOVA\""));
  EXPECT_TRUE(Do("busca $c dir"));
  EXPECT_EQ(Var("$c"), "c:\\trabalho\\Nova");
  EXPECT_TRUE(Do("abre #1 \"aqui.txt\" &"));
  EXPECT_TRUE(Do("fecha #1"));
  EXPECT_TRUE(Has("Nova/aqui.txt"));
  EXPECT_TRUE(Do("dir troca \"..\""));
  EXPECT_FALSE(Do("dir remove \"nova\""));  // not empty
  EXPECT_TRUE(Do("dir remove \"nova\" &"));
  EXPECT_TRUE(Has("Nova/aqui.txt"));
  EXPECT_TRUE(Do("remove \"nova\\aqui.txt\""));
  EXPECT_TRUE(Do("dir remove \"nova\""));
  EXPECT_FALSE(Has("Nova"));
  EXPECT_FALSE(Do("dir troca \"nova\""));
  EXPECT_FALSE(Do("dir apaga \"x\""));      // unknown word: no message
  EXPECT_FALSE(Do("dir cria\"x\""));        // the word needs its blank
  EXPECT_FALSE(Do("dir cria \"x\" \"y\""));
  EXPECT_FALSE(Do("dir cria \"a?b\""));
  // The drive's root has no parent.
  EXPECT_TRUE(Do("dir troca \"c:\\\""));
  EXPECT_TRUE(Do("dir troca \"..\""));
  EXPECT_TRUE(Do("busca $c dir"));
  EXPECT_EQ(Var("$c"), "c:\\");
}

TEST_F(FileCommands, SizesOfSmallAndHugeFiles) {
  struct Case {
    uint64_t size;
    const char* exact;
    const char* human;
  };
  const Case cases[] = {
      {0, "0", "0,00 B"},
      {500, "500", "500,00 B"},
      {1023, "1023", "1023,00 B"},
      {1536, "1536", "1,50KB"},
      {1152, "1152", "1,13KB"},  // 1,125: the half goes up
      {1048575, "1048575", "1024,00KB"},
      {3 * 1024 * 1024 + 512 * 1024, "3670016", "3,50 MB"},
      {5ull * 1024 * 1024 * 1024, "5368709120", "5,00GB"},  // sparse: no disk is used
      {2ull << 40, "2199023255552", "2,00 TB"},
  };
  setenv("LC_ALL", "C", 1);
  for (const Case& c : cases) {
    {
      std::ofstream(Here("f.bin"), std::ios::binary);
    }
    std::filesystem::resize_file(Here("f.bin"), c.size);
    ASSERT_TRUE(Do("tamarq \"f.bin\" t"));
    EXPECT_EQ(Var("t"), c.exact);
    ASSERT_TRUE(Do("htamarq \"f.bin\" $h"));
    EXPECT_EQ(Var("$h"), c.human);
  }
  unsetenv("LC_ALL");
  EXPECT_FALSE(Do("tamarq \"falta.bin\" t"));
  EXPECT_TRUE(Showed("Erro na abertura do arquivo falta.bin"));
  std::filesystem::create_directory(Here("pasta"));
  EXPECT_FALSE(Do("htamarq \"pasta\" t"));
  EXPECT_FALSE(Do("tamarq \"f.bin\""));
  EXPECT_FALSE(Do("tamarq \"f.bin\" \"t\""));
}

// The user's locale decides the separator; a locale made for the test shows a point.
TEST_F(FileCommands, SizeWithTheLocalesDecimalPoint) {
  const std::filesystem::path locales = here_ / "locales";
  std::filesystem::create_directories(locales);
  const std::string make = "localedef -i en_US -f UTF-8 " + (locales / "en_US.UTF-8").string() + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(make.c_str()), 0) << "localedef (package locales) is needed";
  setenv("LOCPATH", locales.c_str(), 1);
  setenv("LC_ALL", "en_US.UTF-8", 1);
  Put("f.bin", std::string(1536, 'x'));
  const bool ok = Do("htamarq \"f.bin\" $h");
  setenv("LC_ALL", "xx_YY.UTF-8", 1);  // not installed: the comma of the Portuguese texts
  const bool ok2 = Do("htamarq \"f.bin\" $k");
  unsetenv("LC_ALL");
  unsetenv("LOCPATH");
  ASSERT_TRUE(ok && ok2);
  EXPECT_EQ(Var("$h"), "1.50KB");
  EXPECT_EQ(Var("$k"), "1,50KB");
}

}  // namespace
