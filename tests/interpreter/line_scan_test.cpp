// Lines read through their kept scanned forms (and the compiled arguments of the commands
// loops run most) behave exactly as lines scanned afresh each time, on random programs; a
// line stored anew is read anew, and names and labels kept by a line follow the program.
#include <random>

#include "tests/support/interp_fixture.h"
#include "interpreter/line_scan.h"

namespace {

class LineScanTest : public InterpTest {
 protected:
  struct Result {
    std::vector<std::string> events;
    std::vector<std::string> variables;
    bool errorFlag;
    bool stopFlag;
    int line;
  };

  // Runs the stored program as the run loop does, at most `steps` lines. With `fresh`, each
  // line is handed over as a copy, which the kept forms never match: it is scanned anew,
  // and so is the part of it after a condition.
  Result RunStored(const std::vector<std::string>& lines, bool fresh, int steps) {
    Start("");
    for (std::size_t i = 0; i < lines.size(); ++i) Interp::StoreLine(lines[i], static_cast<int>(i + 1));
    Interp::State& s = Interp::St();
    s.currentLine = 1;
    s.errorFlag = s.stopFlag = false;
    s.callDepth = 0;
    for (int step = 0; step < steps && s.currentLine <= s.lineCount && !s.stopFlag && !s.errorFlag; ++step) {
      const std::string& stored = s.lines[static_cast<std::size_t>(s.currentLine)];
      if (fresh) {
        const std::string copy = stored;
        Interp::ExecuteLine(copy, false);
      } else {
        Interp::ExecuteLine(stored, false);
      }
      if (!s.stopFlag && !s.errorFlag) ++s.currentLine;
    }
    Result r{Events(), {}, s.errorFlag, s.stopFlag, s.currentLine};
    for (int code = 0; code < 256; ++code) r.variables.push_back(Variables::GetVariable(code));
    return r;
  }
};

TEST_F(LineScanTest, KeptFormsReadLinesAsAFreshScanDoes) {
  // Lines of every shape the scan distinguishes: blanks and tabs around and inside, comments
  // and labels, letter case and accents in command words, unknown words, conditions with a
  // command after them (nested, several deep), loop words refused after a condition, and
  // the commands whose arguments are read from the line's text.
  const std::vector<std::string> vocabulary = {
      "soma n 1",          "  SOMA   n   2  ",    "soma $conta 1",        "Soma n -3",
      "se n < 5 desvia @a", "se n >= 3 desvia @b", "SE n = 2 chama @r",    "se n > 1 se n < 9 escreve \"dentro\" n",
      "se 1 = 1 fim se",   "se 1 = 1 senão",      "se 1 = 1 enquanto 1 = 1", "se n <> 4 retorna",
      "@a",                "@b",                  "@r",                   "  @a",
      "* comentário",      "",                    "   ",                  "\t",
      "escreve \"x\" n",   "escreve\t\"tab\"",    "ESCREVE  \"a\"  $t",   "fala \"falado\" &",
      "retorna",           "chama @r",            "desvia @a",            "termina mudo",
      "concatena $t \"ab\"", "concatena $t $t",   "copia $c $t 2 3",      "copia $t $t 1 2",
      "seja $p pos \"b\" $t", "seja $t \"abc\"",  "seja x tamanho $t",    "seja $m maiusc \"ação\"",
      "deleta $t 1 1",     "substitui $t \"a\" \"aa\"", "lista [l] cria",   "lista [l] adiciona n",
      "lista [l] tamanho $q", "se n em [l] escreve \"achou\"", "comandoerrado 1", "lê \"nada\"",
      "título \"x\"",      "senao",               "fim se",               "se n < 3",
      "debug",             "debug N",             "subtrai n 1",          "seja n (n*2+1)",
      // Arguments read once when the line is stored: literals with their numbers (blanks
      // inside quotes count), variables by name and letter, negation, EM, the forms of SEJA
      // kept and those read anew, leftover text, labels that are missing or held in a value.
      "soma $conta $passo", "seja $passo \" 2\"", "seja $passo \"2 \"",  "soma n \"4\"",
      "soma n \" 4\"",     "soma x n",             "soma $t 1",            "soma n",
      "se não n < 5 soma n 1", "se nao $t *=* \"b\" escreve $t", "se $t = \"ABC\" escreve \"igual\"",
      "se n == 2 escreve n", "se \"a\"\"b\" =* \"a\" escreve \"aspas\"", "se $t *= \"c\" desvia @b",
      "se n em [l] soma n 1", "se não n em [l] lista [l] adiciona n", "se n em [nada] escreve n",
      "se n <= $conta", "senão", "se $t > \"abd\" soma $conta 2", "se (n) < 3 soma n 1",
      "seja $t = \"x\" \"y\"", "seja $t =",           "seja $u $t",           "seja x tamanho \"\"",
      "seja $p pos \"\" $t", "seja $p pos $t \"abcabc\" sobra", "seja $p pos \"c\" $t", "seja $t crlf",
      "seja $t \"a\"\"b\"", "seja $t 007",          "seja ab 1",            "seja $t = -",
      "concatena $t n",    "concatena $u $t",     "concatena $t \"a\" b", "copia $c $t n 3",
      "copia $c $t \" 2 \" \"3\"", "copia $c $t 0 $p", "copia $t $t $p 9", "copia $c $t \"x\" 2",
      "desvia @ausente",   "chama @ausente",      "desvia $t",            "chama @r",
      "se n < 3 se n > 0 se n <> 7 soma $conta 1", "se 1 = 1 * nada", "desvia @a b",
      "enquanto n < 4",    "fim enquanto",        "enquanto não $t = \"abc\" sobra", "enquanto n em [l]",
      "enquanto $conta <", "ENQUANTO  $conta  <=  9"};
  std::mt19937 random(2026);
  for (int round = 0; round < 150; ++round) {
    std::vector<std::string> lines(1 + random() % 30);
    for (std::string& line : lines) line = Cp1252::FromUtf8(vocabulary[random() % vocabulary.size()]);
    const Result kept = RunStored(lines, false, 400);
    const Result fresh = RunStored(lines, true, 400);
    EXPECT_EQ(kept.events, fresh.events) << "round " << round;
    EXPECT_EQ(kept.variables, fresh.variables) << "round " << round;
    EXPECT_EQ(kept.errorFlag, fresh.errorFlag) << "round " << round;
    EXPECT_EQ(kept.stopFlag, fresh.stopFlag) << "round " << round;
    EXPECT_EQ(kept.line, fresh.line) << "round " << round;
    if (HasFailure()) break;
  }
}

TEST_F(LineScanTest, ALineStoredAnewIsReadAnew) {
  // The same numbers, texts of the same length: each line must be read from its new text.
  ASSERT_EQ(Run({"soma n 1", "se n = 1 escreve \"a\"", "escreve n"}).outcome, Interp::Outcome::Normal);
  EXPECT_EQ(Var("N"), "1");
  Start("");
  ASSERT_EQ(Run({"soma n 2", "se n = 2 escreve \"b\"", "escreve n"}).outcome, Interp::Outcome::Normal);
  EXPECT_EQ(Var("N"), "2");
  const auto events = Events();
  EXPECT_NE(std::find(events.begin(), events.end(), "line: b"), events.end());
  EXPECT_EQ(std::find(events.begin(), events.end(), "line: a"), events.end());

  // One line stored again after a run, in the middle of a kept program: a command word
  // that changes, and a comment that becomes a command.
  Start("");
  ASSERT_EQ(Run({"seja $t \"um\"", "* nada", "escreve $t"}).outcome, Interp::Outcome::Normal);
  Start("");
  Interp::StoreLine("seja $t \"um\"", 1);
  Interp::StoreLine("concatena $t \"+\"", 2);
  Interp::StoreLine("escreve $t", 3);
  ASSERT_EQ(Interp::RunProgram().outcome, Interp::Outcome::Normal);
  EXPECT_EQ(Var("$T"), "um+");
  Start("");
  Interp::StoreLine("seja $t \"um\"", 1);
  Interp::StoreLine("erradíssimo", 2);  // no command: the run ends at line 2
  Interp::StoreLine("escreve $t", 3);
  const auto r = Interp::RunProgram();
  EXPECT_EQ(r.outcome, Interp::Outcome::Error);
  EXPECT_EQ(r.line, 2);
}

TEST_F(LineScanTest, ScanMarksWordHandlerAndArguments) {
  LineScan::Scanned s;
  LineScan::Scan(Cp1252::FromUtf8("  lê\t#1  x  "), s);
  // A tab does not end the word: "LÊ\t#1" is no command.
  EXPECT_FALSE(s.nothing);
  EXPECT_EQ(s.handler, nullptr);
  const std::string text = Cp1252::FromUtf8("  senão   ");
  LineScan::Scan(text, s);
  EXPECT_TRUE(s.loopWord == false);  // the executor upper-cases a..z only: "SENãO" is no loop word
  EXPECT_EQ(s.folded, Cp1252::FromUtf8("SENÃO"));
  EXPECT_NE(s.handler, nullptr);
  const std::string line = "  soma   n   1  ";
  LineScan::Scan(line, s);
  EXPECT_EQ(s.word, "SOMA");
  EXPECT_EQ(line.substr(s.argsStart, s.argsLength), "n   1");
  for (const char* blank : {"", "   ", "* x", "@rótulo", " \t@a"}) {
    LineScan::Scan(Cp1252::FromUtf8(blank), s);
    EXPECT_TRUE(s.nothing) << blank;
  }
}

TEST_F(LineScanTest, CompiledArgumentsAreReadAsTheHandlersReadThem) {
  // Small programs on each point where a line read once could differ from its text read
  // again: numbers of quoted texts with blanks (SOMA takes them as they are, COPIA trimmed),
  // doubled quotes, EM with keys, leftover text, the SEJA forms, labels, loops and blocks.
  const std::vector<std::vector<std::string>> programs = {
      {"seja $passo \"2 \"", "soma $conta $passo", "escreve $conta"},
      {"seja $passo \" 2\"", "soma $conta $passo", "soma n \" 4\"", "escreve $conta n"},
      {"seja $p \" 2 \"", "seja $t \"abcdef\"", "copia $c $t $p 4", "copia $d $t 0 \"3 \"", "escreve $c $d"},
      {"seja $t \"abc\"", "copia $c $t \"x\" 2"},
      {"seja $t \"a\"\"b\"", "se $t =* \"a\"\"\" escreve \"sim\"", "se $t == \"A\"\"B\" escreve \"não\""},
      {"lista [l] cria", "lista [l] adiciona 7", "se 07 em [l] escreve \"em\"", "se não 8 em [l] escreve \"fora\"",
       "se 1 em [x] escreve 1"},
      {"seja $t = \"x\" \"y\"", "escreve $t"},
      {"seja $t crlf", "seja x tamanho $t", "seja y tamanho \"\"", "escreve x y"},
      {"seja $t \"abcabc\"", "seja $p pos \"c\" $t", "seja $q pos \"\" $t", "seja $r pos \"d\" $t", "escreve $p $q $r"},
      {"concatena $t \"a\"", "concatena $t $t", "concatena $t n", "escreve $t"},
      {"@a", "soma n 1", "se n < 3 desvia @a", "chama @r", "termina", "@r", "escreve n", "retorna"},
      {"desvia @ausente"},
      {"chama @ausente"},
      {"soma n 1", "enquanto n < 4", "soma n 1", "fim enquanto", "escreve n"},
      {"enquanto não $t = \"xx\"", "concatena $t \"x\"", "fim enquanto", "escreve $t"},
      {"se n > 0", "escreve \"não\"", "senão", "escreve \"sim\"", "fim se", "se n = 0 se 1 = 1 escreve \"dois\""},
      {"se (n+1) = 1 escreve \"expressão\"", "seja n (n+5)", "se n = 5 soma n -6", "escreve n"},
      {"seja $t = abc", "seja $u $t", "escreve $u"},
  };
  for (const auto& program : programs) {
    std::vector<std::string> lines;
    for (const std::string& line : program) lines.push_back(Cp1252::FromUtf8(line));
    const Result kept = RunStored(lines, false, 200);
    const Result fresh = RunStored(lines, true, 200);
    EXPECT_EQ(kept.events, fresh.events) << program[0];
    EXPECT_EQ(kept.variables, fresh.variables) << program[0];
    EXPECT_EQ(kept.errorFlag, fresh.errorFlag) << program[0];
    EXPECT_EQ(kept.line, fresh.line) << program[0];
  }
}

TEST_F(LineScanTest, KeptNamesAndLabelsFollowTheProgram) {
  // A line that names variables keeps their codes; the codes come from the names' first
  // mention while the program runs, the 231st name fails its line, and a name list emptied
  // under a kept line is asked again.
  std::vector<std::string> lines;
  for (int i = 1; i <= 228; ++i) lines.push_back("seja $v" + std::to_string(i) + " " + std::to_string(i));
  lines.push_back("@volta");
  lines.push_back("soma $primeiro $v2");
  lines.push_back("se $primeiro < 9 desvia @volta");
  lines.push_back("copia $segundo $v100 1 $v1");
  lines.push_back("seja $terceiro 1");
  lines.push_back("escreve $primeiro");
  const Result kept = RunStored(lines, false, 2000);
  const Result fresh = RunStored(lines, true, 2000);
  EXPECT_EQ(kept.events, fresh.events);
  EXPECT_EQ(kept.variables, fresh.variables);
  EXPECT_EQ(kept.errorFlag, fresh.errorFlag);
  EXPECT_EQ(kept.line, fresh.line);
  EXPECT_TRUE(kept.errorFlag);
  EXPECT_EQ(kept.line, 233);  // the 231st name
  EXPECT_EQ(Var("$PRIMEIRO"), "10");

  Start("");
  ASSERT_EQ(Run({"seja $a \"x\"", "soma $b 1", "concatena $a $b"}).outcome, Interp::Outcome::Normal);
  EXPECT_EQ(Var("$A"), "x1");
  // The same stored lines run again after the names were emptied and given in another order.
  Variables::ClearVariables();
  Variables::VariableCodeForName("B");
  Interp::St().lineCount = 3;
  ASSERT_EQ(Interp::RunProgram().outcome, Interp::Outcome::Normal);
  EXPECT_EQ(Var("$A"), "x1");
  EXPECT_EQ(Var("$B"), "1");
  EXPECT_EQ(Variables::NameCount(), 2);

  // A label found by a kept jump moves when the program is stored anew.
  Start("");
  ASSERT_EQ(Run({"desvia @fim", "escreve \"um\"", "@fim", "escreve \"dois\""}).outcome, Interp::Outcome::Normal);
  Start("");
  ASSERT_EQ(Run({"desvia @fim", "@fim", "escreve \"um\"", "escreve \"dois\""}).outcome, Interp::Outcome::Normal);
  const auto events = Events();
  EXPECT_NE(std::find(events.begin(), events.end(), "line: um"), events.end());
}

}  // namespace
