// Labels, block ends and loop heads found through the index land exactly where a scan of
// the stored lines lands, on random programs, and the skip of a false SE block still
// judges nested SE lines at the moment of the skip.
#include <random>

#include "interpreter/line_index.h"
#include "interpreter/text.h"
#include "tests/support/interp_fixture.h"

namespace {

bool Contains(const std::vector<std::string>& events, const std::string& event) {
  return std::find(events.begin(), events.end(), event) != events.end();
}

class LineIndexTest : public InterpTest {};

// The scans, written as the language defines them.
int ScanLabel(const std::vector<std::string>& lines, const std::string& name) {
  for (std::size_t n = 0; n < lines.size(); ++n)
    if (!lines[n].empty() && lines[n][0] == '@' && Text::Fold(lines[n].substr(1)) == Text::Fold(name))
      return static_cast<int>(n + 1);
  return 0;
}

int ScanEnd(const std::vector<std::string>& lines, const std::string& word, int from) {
  for (int n = from + 1; n <= static_cast<int>(lines.size()); ++n)
    if (LineIndex::Normalised(lines[static_cast<std::size_t>(n - 1)]) == "FIM " + word) return n;
  return 0;
}

int ScanHead(const std::vector<std::string>& lines, const std::string& word, int from) {
  for (int n = from - 1; n >= 1; --n) {
    std::string_view line = Text::Trim(lines[static_cast<std::size_t>(n - 1)]);
    const std::size_t space = line.find(' ');
    if (space != std::string_view::npos && Text::Fold(line.substr(0, space)) == word) return n;
  }
  return 0;
}

TEST_F(LineIndexTest, SameAnswersAsTheScans) {
  const std::vector<std::string> vocabulary = {
      "@a",         "@A",           " @a",          "@a ",           "@b",          "@ação",
      "@AÇÃO",      "se 1 = 1",     "SE  1 = 2",    "  se x",        "se",          "  fim   se",
      "FIM SE",     "fim se x",     "fim\tse",      "senao",         "SENÃO",       "senão ",
      "enquanto 1", "ENQUANTO",     "  enquanto x", "fim enquanto",  "FIM  ENQUANTO", "repete i 3",
      "REPETE",     "fim repete",   "fim repetE",   "escreve \"x\"", "* comentário", "",
      "fimse",      "fim",          "enquanto\t1",  "REPETE  i 2"};
  std::mt19937 random(1234);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> lines(1 + random() % 40);
    for (std::string& line : lines) line = Cp1252::FromUtf8(vocabulary[random() % vocabulary.size()]);
    for (std::size_t i = 0; i < lines.size(); ++i) Interp::StoreLine(lines[i], static_cast<int>(i + 1));
    const int count = static_cast<int>(lines.size());
    for (const char* name : {"a", "A", "b", "ação", "AÇÃO", "c", ""}) {
      const std::string cp = Cp1252::FromUtf8(name);
      EXPECT_EQ(LineIndex::FindLabel(Text::Fold(cp)), ScanLabel(lines, cp)) << name;
    }
    for (int from = 0; from <= count + 1; ++from) {
      EXPECT_EQ(LineIndex::NextEnd(LineIndex::EndWord::Se, from), ScanEnd(lines, "SE", from));
      EXPECT_EQ(LineIndex::NextEnd(LineIndex::EndWord::Enquanto, from), ScanEnd(lines, "ENQUANTO", from));
      EXPECT_EQ(LineIndex::NextEnd(LineIndex::EndWord::Repete, from), ScanEnd(lines, "REPETE", from));
      EXPECT_EQ(LineIndex::PreviousHead(LineIndex::EndWord::Enquanto, from), ScanHead(lines, "ENQUANTO", from));
      EXPECT_EQ(LineIndex::PreviousHead(LineIndex::EndWord::Repete, from), ScanHead(lines, "REPETE", from));
      // The block lines after `from` are exactly the lines a skip would stop at or count.
      std::vector<int> want, got;
      for (int n = from + 1; n <= count; ++n) {
        const std::string normal = LineIndex::Normalised(lines[static_cast<std::size_t>(n - 1)]);
        if (normal.starts_with("SE ") || normal == "FIM SE" || normal == "SENAO" || normal == Cp1252::FromUtf8("SENÃO"))
          want.push_back(n);
      }
      const auto& block = LineIndex::BlockLines();
      for (std::size_t i = LineIndex::FirstBlockLineAfter(from); i < block.size(); ++i) got.push_back(block[i].line);
      EXPECT_EQ(got, want) << "from line " << from;
    }
    if (HasFailure()) break;
  }
}

TEST_F(LineIndexTest, StoringAgainRebuildsTheIndex) {
  ASSERT_EQ(Run({"desvia @alvo", "escreve \"antes\"", "@alvo", "escreve \"um\""}).outcome, Interp::Outcome::Normal);
  Start("");
  ASSERT_EQ(Run({"desvia @alvo", "@alvo", "escreve \"dois\"", "@x"}).outcome, Interp::Outcome::Normal);
  EXPECT_TRUE(Contains(Events(), "line: dois"));
  EXPECT_FALSE(Contains(Events(), "line: antes"));
}

// A nested SE whose condition does not parse at the moment of the skip (its list does
// not exist yet) is no block, so its FIM SE closes the outer block.
TEST_F(LineIndexTest, NestedConditionsAreJudgedWhenTheBlockIsSkipped) {
  const std::vector<std::string> program = {
      "se 1 = 2",         "se \"a\" em [nomes]", "escreve \"dentro\"", "fim se",
      "escreve \"meio\"", "fim se",              "escreve \"fim\""};
  ASSERT_EQ(Run(program).outcome, Interp::Outcome::Normal);
  EXPECT_TRUE(Contains(Events(), "line: meio"));
  Start("");
  std::vector<std::string> withList = {"lista [NOMES] cria"};  // the skip sees the line folded
  withList.insert(withList.end(), program.begin(), program.end());
  ASSERT_EQ(Run(withList).outcome, Interp::Outcome::Normal);
  EXPECT_FALSE(Contains(Events(), "line: meio"));
  EXPECT_TRUE(Contains(Events(), "line: fim"));
}

}  // namespace
