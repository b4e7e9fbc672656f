// How runs end: normal ends, failures at the right line, and the rules of the scans.
#include "tests/support/interp_fixture.h"
#include "interpreter/startup.h"

namespace {

using Interp::Outcome;

bool Contains(const std::vector<std::string>& events, const std::string& event) {
  return std::find(events.begin(), events.end(), event) != events.end();
}

class RunTest : public InterpTest {};

TEST_F(RunTest, EndsAndTransfers) {
  auto r = Run({"escreve \"a\"", "desvia @fim", "escreve \"nunca\"", "@fim"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_FALSE(Contains(Events(), "line: nunca"));

  Start("");
  // A false ENQUANTO without its end runs to the end of the program.
  r = Run({"enquanto 1 = 2", "escreve \"nunca\""});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_FALSE(Contains(Events(), "line: nunca"));

  Start("");
  // A label with blanks before the "@" or after its name is never found.
  r = Run({"desvia @alvo", " @alvo"});
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_EQ(r.line, 1);
  Start("");
  r = Run({"desvia @alvo", "@alvo "});
  EXPECT_EQ(r.outcome, Outcome::Error);

  Start("");
  // Duplicate labels: the first wins; labels compare folded.
  r = Run({"desvia \"DUPLO\"", "@duplo", "escreve \"primeiro\"", "termina", "@duplo", "escreve \"segundo\""});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_TRUE(Contains(Events(), "line: primeiro"));
  EXPECT_FALSE(Contains(Events(), "line: segundo"));
}

TEST_F(RunTest, FailuresReportTheirLine) {
  auto r = Run({"escreve \"a\"", "", "* nada", "@rotulo", "fim enquanto"});
  EXPECT_EQ(r.outcome, Outcome::Error);  // no ENQUANTO above it
  EXPECT_EQ(r.line, 5);

  Start("");
  r = Run({"se 1 = 1 fim se"});  // loop ends and FIM may not follow a condition
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_EQ(r.line, 1);

  Start("");
  r = Run({"se 1 = 1 repete i 3"});
  EXPECT_EQ(r.outcome, Outcome::Error);

  Start("");
  // Lower-case "senão" after a condition reaches the dispatcher and runs SENAO.
  r = Run({"se 1 = 1 senão", "escreve \"pulado\"", "fim se", "escreve \"depois\""});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_FALSE(Contains(Events(), "line: pulado"));
  EXPECT_TRUE(Contains(Events(), "line: depois"));

  Start("");
  r = Run({"se 1 = 1 desvia @x", "@y", "@x", "se 1 = 1 chama @r", "termina", "@r", "retorna"});
  EXPECT_EQ(r.outcome, Outcome::Normal);

  Start("");
  r = Run({"desvia @dois palavras"});
  EXPECT_EQ(r.outcome, Outcome::Error);

  Start("");
  r = Run({"retorna agora"});
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_FALSE(Contains(Events(), "line: Retorno sem chamada"));  // argument text fails first

  Start("");
  r = Run({"fim"});
  EXPECT_EQ(r.outcome, Outcome::Error);
  Start("");
  r = Run({"fim qualquer", "fim se"});
  EXPECT_EQ(r.outcome, Outcome::Normal);
}

TEST_F(RunTest, CommandsThatFailAfterOrWithoutAssigning) {
  EXPECT_FALSE(Line("seja x 5 6"));
  EXPECT_EQ(Var("X"), "5");  // assigned, then failed on the leftover
  EXPECT_FALSE(Line("seja y tamanho \"a\" \"b\""));
  EXPECT_EQ(Var("Y"), "");
  ASSERT_TRUE(Line("seja z \"abc\""));
  EXPECT_FALSE(Line("subtrai z 1"));
  EXPECT_FALSE(Line("concatena z \"d\" e"));
  EXPECT_EQ(Var("Z"), "abc");
  ASSERT_TRUE(Line("seja w 7"));
  EXPECT_FALSE(Line("divide w 2 x"));
  EXPECT_EQ(Var("W"), "3");
  EXPECT_FALSE(Line("divide w 0"));
  EXPECT_EQ(Var("W"), "3");
  EXPECT_FALSE(Line("seja w rand -1"));
  EXPECT_FALSE(Line("seja w palavra 0 \"a b\""));
  EXPECT_FALSE(Line("randomiza agora"));
  EXPECT_TRUE(Line("randomiza"));
  EXPECT_FALSE(Line("seja"));
  EXPECT_FALSE(Line("seja x ="));
  EXPECT_FALSE(Line("repete i"));
  EXPECT_FALSE(Line("repete i dez"));
  ASSERT_TRUE(Line("seja m -2147483648"));
  ASSERT_TRUE(Line("subtrai m 1"));
  EXPECT_EQ(Var("M"), "2147483647");  // 32-bit arithmetic wraps
  ASSERT_TRUE(Line("seja m -2147483648"));
  ASSERT_TRUE(Line("divide m -1"));
  EXPECT_EQ(Var("M"), "-2147483648");
}

TEST_F(RunTest, ConsoleCommandArguments) {
  EXPECT_FALSE(Line("cor verde"));
  EXPECT_TRUE(Line("cor 14"));
  EXPECT_FALSE(Line("tela"));
  EXPECT_FALSE(Line("tela @1"));
  EXPECT_FALSE(Line("tela @a,1"));
  EXPECT_TRUE(Line("tela @-2147483648,-2147483648"));
  EXPECT_EQ(Console::ConsoleWhereX() * 100 + Console::ConsoleWhereY(), 101);
  EXPECT_FALSE(Line("tela limpar"));
  EXPECT_TRUE(Line("tela limpa"));
  ASSERT_TRUE(Line("seja t \"limpa\""));
  EXPECT_FALSE(Line("tela t"));  // a variable's text is not folded
  EXPECT_FALSE(Line("titulo"));
  EXPECT_FALSE(Line("soletra"));
  EXPECT_FALSE(Line("fala \"a\" @"));
  EXPECT_FALSE(Line("escreve \"a\" @"));
  EXPECT_TRUE(Contains(Events(), "line: a"));  // written before the leftover fails
  EXPECT_FALSE(Line("escreve #x"));
  EXPECT_TRUE(Contains(Events(), "line: Erro no processamento de arquivo"));
  EXPECT_FALSE(Line("le #"));
  EXPECT_FALSE(Line("le #1 x"));
  EXPECT_FALSE(Line("falahora"));
  EXPECT_FALSE(Line("falahora \"1030\""));
  EXPECT_FALSE(Line("falahora \"ab:cd\""));
  EXPECT_FALSE(Line("falahora \"10:-5\""));
  EXPECT_TRUE(Line("falahora \"10:30\""));
  EXPECT_TRUE(Contains(Events(), "word: _horas"));
  EXPECT_FALSE(Line("abre #1 \"x\""));
  EXPECT_TRUE(Contains(Events(), "line: Erro na abertura do arquivo x"));
}

TEST_F(RunTest, NestedLinesAreBoundedLikeExpressions) {
  std::string deep;
  for (int i = 0; i < 99; ++i) deep += "se 1 = 1 ";
  auto r = Run({deep + "escreve \"fundo\""});
  EXPECT_EQ(r.outcome, Outcome::Normal);
  EXPECT_TRUE(Contains(Events(), "line: fundo"));

  // A line that nests without end fails at that line instead of overflowing the stack.
  Start("");
  deep.clear();
  for (int i = 0; i < 40000; ++i) deep += "SE 1 = 1 ";
  r = Run({"escreve \"antes\"", deep + "escreve \"nunca\""});
  EXPECT_EQ(r.outcome, Outcome::Error);
  EXPECT_EQ(r.line, 2);
  EXPECT_FALSE(Contains(Events(), "line: nunca"));
  EXPECT_TRUE(Contains(Events(), "line: Comandos aninhados demais na linha (máximo 100)"));
  // The limit is per line: the next run nests as deep as the first.
  Start("");
  r = Run({"se 1 = 1 se 2 = 2 escreve \"de novo\""});
  EXPECT_EQ(r.outcome, Outcome::Normal);
}

TEST_F(RunTest, DebugSwitches) {
  EXPECT_TRUE(Line("debug"));
  EXPECT_TRUE(Interp::St().debug);
  EXPECT_TRUE(Line("debug n"));  // only a capital N switches it off
  EXPECT_TRUE(Interp::St().debug);
  EXPECT_TRUE(Line("debug Não"));
  EXPECT_FALSE(Interp::St().debug);
  EXPECT_TRUE(Line("debug -"));
  EXPECT_FALSE(Interp::St().debug);
  EXPECT_TRUE(Line("debug --"));
  EXPECT_TRUE(Interp::St().debug);
}

}  // namespace

namespace {

TEST(ProgramText, LinesAsWrittenInEitherEncoding) {
  std::vector<std::string> lines;
  std::string error;
  ASSERT_TRUE(Interp::SplitProgram("\xEF\xBB\xBF  escreve \"ação\"\r\n\r\n@fim\n", lines, error));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "  escreve \"a\xE7\xE3o\"");  // leading blanks kept, UTF-8 to Windows-1252
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "@fim");
  ASSERT_TRUE(Interp::SplitProgram("fala \"n\xE3o\"", lines, error));  // Windows-1252, no final line end
  EXPECT_EQ(lines, std::vector<std::string>{"fala \"n\xE3o\""});
  ASSERT_TRUE(Interp::SplitProgram("", lines, error));
  EXPECT_TRUE(lines.empty());
  // Lines ended by CR alone, as old editors write them.
  ASSERT_TRUE(Interp::SplitProgram("seja x 1\rescreve x\r\rtermina", lines, error));
  EXPECT_EQ(lines, (std::vector<std::string>{"seja x 1", "escreve x", "", "termina"}));
  // With any LF in the file, a CR stays inside its line unless it ends one.
  ASSERT_TRUE(Interp::SplitProgram("fala \"a\rb\"\r\nfim\n", lines, error));
  EXPECT_EQ(lines, (std::vector<std::string>{"fala \"a\rb\"", "fim"}));
  // One Windows-1252 byte in a UTF-8 file spoils nothing else.
  ASSERT_TRUE(Interp::SplitProgram("escreve \"a\xC3\xA7\xC3\xA3o\"\n* caf\xE9\n", lines, error));
  EXPECT_EQ(lines, (std::vector<std::string>{"escreve \"a\xE7\xE3o\"", "* caf\xE9"}));
}

TEST(ProgramText, NoMoreLinesThanTheStoreHolds) {
  std::vector<std::string> lines;
  std::string error;
  std::string text;
  for (int i = 0; i < Interp::kMaxLines; ++i) text += "* linha\n";
  EXPECT_TRUE(Interp::SplitProgram(text, lines, error));
  EXPECT_EQ(lines.size(), 5000u);
  text += "* demais\n";
  EXPECT_FALSE(Interp::SplitProgram(text, lines, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
