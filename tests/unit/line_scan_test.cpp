// Lines read through their kept scanned forms behave exactly as lines scanned afresh each
// time, on random programs; and a line stored anew is read anew.
#include <random>

#include "interp_fixture.h"
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
      "debug",             "debug N",             "subtrai n 1",          "seja n (n*2+1)"};
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

}  // namespace
