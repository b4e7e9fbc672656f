// BUSCA: first match, PROXIMO filtered by files or folders, FIM, the current folder, and
// the stable order of a listing.
#include "tests/interpreter/files/files_fixture.h"

namespace {

class Search : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    Put("beta.txt", "b");
    Put("Alfa.TXT", "a");
    Put("gama.doc", "g");
    std::filesystem::create_directory(Here("Pasta"));
    std::filesystem::create_directory(Here("outra"));
  }

  // Every name PROXIMO gives after the first, until the empty text.
  std::vector<std::string> Rest() {
    std::vector<std::string> out;
    for (int i = 0; i < 20; ++i) {
      EXPECT_TRUE(Do("busca $n proximo"));
      if (Var("$n").empty()) break;
      out.push_back(Var("$n"));
    }
    return out;
  }
};

TEST_F(Search, FilesInAStableOrder) {
  ASSERT_TRUE(Do("busca $n \"*.*\""));
  EXPECT_EQ(Var("$n"), ".");  // the first match is taken whatever it is
  EXPECT_EQ(Rest(), (std::vector<std::string>{"Alfa.TXT", "beta.txt", "gama.doc"}));
  EXPECT_TRUE(Do("busca $n proximo"));  // the search has ended
  EXPECT_EQ(Var("$n"), "");

  ASSERT_TRUE(Do("busca $n \"*.txt\""));
  EXPECT_EQ(Var("$n"), "Alfa.TXT");
  EXPECT_EQ(Rest(), (std::vector<std::string>{"beta.txt"}));

  ASSERT_TRUE(Do("busca $n \"c:\\trabalho\\G*\""));
  EXPECT_EQ(Var("$n"), "gama.doc");  // the bare name, without its folder
  ASSERT_TRUE(Do("busca $n \"nada.*\""));
  EXPECT_EQ(Var("$n"), "");
  ASSERT_TRUE(Do("busca $n \"falta\\*.*\""));
  EXPECT_EQ(Var("$n"), "");
}

TEST_F(Search, Folders) {
  ASSERT_TRUE(Do("busca $n dir \"*\""));
  EXPECT_EQ(Var("$n"), ".");
  EXPECT_EQ(Rest(), (std::vector<std::string>{"..", "outra", "Pasta"}));
  // PRÓXIMO with its accent, in any case.
  ASSERT_TRUE(Do("busca $n DIR \"*\""));
  ASSERT_TRUE(Do("busca $n PRÓXIMO"));
  EXPECT_EQ(Var("$n"), "..");
  ASSERT_TRUE(Do("busca $n próximo"));
  EXPECT_EQ(Var("$n"), "outra");
  // FIM ends the search.
  ASSERT_TRUE(Do("busca $n fim"));
  ASSERT_TRUE(Do("busca $n proximo"));
  EXPECT_EQ(Var("$n"), "");
  // At a drive's root there is no "." nor "..".
  ASSERT_TRUE(Do("busca $n dir \"c:\\*\""));
  EXPECT_EQ(Var("$n"), "trabalho");
}

TEST_F(Search, Operands) {
  ASSERT_TRUE(Do("busca $n dir"));
  EXPECT_EQ(Var("$n"), "c:\\trabalho");
  EXPECT_FALSE(Do("busca $n"));
  EXPECT_FALSE(Do("busca"));
  EXPECT_FALSE(Do("busca \"x\" \"*.*\""));
  EXPECT_FALSE(Do("busca $n \"*.*\" \"mais\""));
  ASSERT_TRUE(Do("busca $n \"*.*\""));
  EXPECT_FALSE(Do("busca $n proximo agora"));
  ASSERT_TRUE(Do("busca $n \"a|b\""));  // no name Windows accepts: no match
  EXPECT_EQ(Var("$n"), "");
  // A file that vanishes during a search is still listed by name; it is gone when used.
  ASSERT_TRUE(Do("busca $n \"*.txt\""));
  std::filesystem::remove(Here("beta.txt"));
  ASSERT_TRUE(Do("busca $n proximo"));
  EXPECT_EQ(Var("$n"), "beta.txt");
  EXPECT_FALSE(Do("remove $n"));
  EXPECT_TRUE(Do("remove $n &"));
}

}  // namespace
