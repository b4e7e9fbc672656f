// ABRE, FECHA, CHECA and the channel side of ESCREVE and LE, run as a program would run
// them: messages, status codes, and files that a failed command leaves as they were.
#include "tests/interpreter/files/files_fixture.h"

#include "interpreter/channels.h"

namespace {

class ChannelCommands : public FilesTest {};

TEST_F(ChannelCommands, BadChannelsAndNamesFailWithTheirMessage) {
  Put("a.txt", "conteudo\r\n");
  EXPECT_FALSE(Do("abre #12 \"a.txt\""));  // one digit, then a blank or the end
  EXPECT_TRUE(Showed("Erro na abertura do arquivo "));
  EXPECT_FALSE(Do("abre #x \"a.txt\""));
  EXPECT_FALSE(Do("abre #1 \"\""));
  EXPECT_FALSE(Do("abre #1 \"pasta\\\""));
  EXPECT_FALSE(Do("abre #1 \"fa\x01lta.txt\""));  // a control character: Windows refuses the name
  EXPECT_FALSE(Has("fa\x01lta.txt"));
  EXPECT_FALSE(Do("abre #1 \"a|b.txt\" &"));
  EXPECT_FALSE(Do("abre #1 \"falta.txt\""));
  EXPECT_TRUE(Showed("Erro na abertura do arquivo falta.txt"));
  std::filesystem::create_directory(Here("pasta"));
  EXPECT_FALSE(Do("abre #1 \"pasta\""));
  EXPECT_FALSE(Do("abre #1 \"pasta\" &"));
  EXPECT_TRUE(Showed("Erro na abertura do arquivo pasta"));
  EXPECT_FALSE(Do("abre #1 \"nada\\novo.txt\" &"));  // the folder does not exist
  EXPECT_FALSE(Has("nada"));

  EXPECT_FALSE(Do("fecha #x"));
  EXPECT_TRUE(Showed("Erro no fechamento do arquivo"));
  EXPECT_TRUE(Do("fecha #3"));  // never opened: nothing to do

  EXPECT_FALSE(Do("escreve #4 \"x\""));
  EXPECT_TRUE(Showed("Erro no processamento de arquivo"));
  EXPECT_FALSE(Do("escreve #"));
  EXPECT_FALSE(Do("le #4 x"));  // a channel never opened is no file to read
  ASSERT_TRUE(Do("abre #4 \"a.txt\""));
  EXPECT_FALSE(Do("le #4"));
  EXPECT_FALSE(Do("le #4 &"));
  EXPECT_FALSE(Do("le #4 \"literal\""));
  EXPECT_TRUE(Do("le #4 x"));
  EXPECT_EQ(Var("x"), "conteudo");
}

TEST_F(ChannelCommands, AFailedOpenLeavesTheChannelAsItWas) {
  Put("a.txt", "um\r\ndois\r\n");
  ASSERT_TRUE(Do("abre #1 \"a.txt\""));
  ASSERT_TRUE(Do("le #1 x"));
  EXPECT_FALSE(Do("abre #1 \"falta.txt\""));
  ASSERT_TRUE(Do("le #1 x"));
  EXPECT_EQ(Var("x"), "dois");

  // Rebinding an open channel closes what it held; nothing written is lost.
  ASSERT_TRUE(Do("abre #2 \"b.txt\" &"));
  ASSERT_TRUE(Do("escreve #2 \"linha\" &"));
  ASSERT_TRUE(Do("abre #2 \"a.txt\""));
  EXPECT_EQ(Get("b.txt"), "linha");
  ASSERT_TRUE(Do("le #2 y"));
  EXPECT_EQ(Var("y"), "um");
}

TEST_F(ChannelCommands, StatusCodes) {
  ASSERT_TRUE(Do("abre #0 \"s.txt\" &"));
  ASSERT_TRUE(Do("escreve #0 \"a\""));
  ASSERT_TRUE(Do("checa s"));
  EXPECT_EQ(Var("s"), "0");
  EXPECT_FALSE(Do("checa"));
  EXPECT_FALSE(Do("checa \"s\""));
  EXPECT_FALSE(Do("checa s t"));
  ASSERT_TRUE(Do("le #0 x"));  // open for writing
  ASSERT_TRUE(Do("checa $st"));
  EXPECT_EQ(Var("$st"), "104");
  ASSERT_TRUE(Do("fecha #0"));
  ASSERT_TRUE(Do("abre #0 \"s.txt\""));
  ASSERT_TRUE(Do("escreve #0 \"b\""));  // open for reading
  ASSERT_TRUE(Do("checa s"));
  EXPECT_EQ(Var("s"), "105");
  // ESCREVE and LE on the console set the status code to 0.
  ASSERT_TRUE(Do("escreve mudo \"\""));
  ASSERT_TRUE(Do("checa s"));
  EXPECT_EQ(Var("s"), "0");
  ASSERT_TRUE(Do("le #0 x"));
  ASSERT_TRUE(Do("le #0 x"));
  ASSERT_TRUE(Do("checa s"));
  EXPECT_EQ(Var("s"), "1");
  EXPECT_EQ(Var("x"), "");
  EXPECT_EQ(Get("s.txt"), "a\r\n");
}

TEST_F(ChannelCommands, WritingForms) {
  ASSERT_TRUE(Do("abre #9 \"w.txt\" &"));
  ASSERT_TRUE(Do("seja $v \"valor\""));
  ASSERT_TRUE(Do("escreve #9\"colado\" $v"));
  ASSERT_TRUE(Do("escreve #9 mudo"));  // MUDO is no keyword on a channel: the letter variable m
  ASSERT_TRUE(Do("escreve #9 &"));     // nothing: an empty line, line end and all
  ASSERT_TRUE(Do("escreve #9 \"sem fim\" &"));
  EXPECT_FALSE(Do("escreve #9 \"resto\" @"));  // written, then the leftover fails
  EXPECT_EQ(Get("w.txt"), "coladovalor\r\n\r\n\r\nsem fimresto\r\n");
  // Accented text is written in Windows-1252, as the runtime holds it.
  ASSERT_TRUE(Do("escreve #9 \"ação\""));
  EXPECT_EQ(Get("w.txt").substr(Get("w.txt").size() - 6), "a\xE7\xE3o\r\n");
}

TEST_F(ChannelCommands, NamesAreDrivePaths) {
  Put("Dados/Nota.TXT", "dentro\r\n");
  ASSERT_TRUE(Do("abre #1 \"DADOS\\NOTA.txt\""));
  ASSERT_TRUE(Do("le #1 x"));
  EXPECT_EQ(Var("x"), "dentro");
  ASSERT_TRUE(Do("abre #2 \"c:\\trabalho\\dados\\nota.txt\""));
  ASSERT_TRUE(Do("le #2 x"));
  EXPECT_EQ(Var("x"), "dentro");
  // A new file keeps the case written, in the folder found without regard to case.
  ASSERT_TRUE(Do("abre #3 \"dados\\Novo.Txt\" &"));
  ASSERT_TRUE(Do("fecha #3"));
  EXPECT_TRUE(Has("Dados/Novo.Txt"));
  // ".." never leaves the drive: this names c:\etc\passwd, which does not exist.
  EXPECT_FALSE(Do("abre #4 \"..\\..\\..\\..\\..\\..\\..\\..\\etc\\passwd\""));
}

TEST_F(ChannelCommands, AFileThatVanishesKeepsItsChannel) {
  Put("some.txt", "um\r\ndois\r\n");
  ASSERT_TRUE(Do("abre #1 \"some.txt\""));
  std::filesystem::remove(Here("some.txt"));
  ASSERT_TRUE(Do("le #1 x"));
  EXPECT_EQ(Var("x"), "um");
  ASSERT_TRUE(Do("abre #2 \"some2.txt\" &"));
  std::filesystem::remove(Here("some2.txt"));
  ASSERT_TRUE(Do("escreve #2 \"perdido\""));
  EXPECT_TRUE(Do("fecha #2"));
  EXPECT_TRUE(Do("fecha #1"));
}

TEST_F(ChannelCommands, LinesLongerThanAVariableEndTheRunWithAMessage) {
  Put("enorme.txt", std::string(Variables::kMaxTextLength + 10, 'z') + "\r\ncurta\r\n");
  ASSERT_TRUE(Do("abre #1 \"enorme.txt\""));
  EXPECT_FALSE(Do("le #1 x"));
  EXPECT_TRUE(Showed("Linha grande demais no arquivo enorme.txt"));
  EXPECT_TRUE(Do("le #1 x"));
  EXPECT_EQ(Var("x"), "curta");
}

}  // namespace
