// The index of labels, block ends and loop heads of the stored program.
#include "interpreter/line_index.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "interpreter/state.h"
#include "interpreter/text.h"
#include "platform/text/cp1252.h"

namespace LineIndex {
namespace {

struct Hash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct IndexState {
  bool built = false;
  unsigned generation = 0;
  int lineCount = 0;
  std::unordered_map<std::string, int, Hash, std::equal_to<>> labels;  // first line of each folded name
  std::array<std::vector<int>, 3> ends;   // lines reading "FIM SE", "FIM ENQUANTO", "FIM REPETE"
  std::array<std::vector<int>, 3> heads;  // lines whose first word is SE (unused), ENQUANTO, REPETE
  std::vector<BlockLine> blockLines;
};

IndexState& S() {
  static IndexState state;
  return state;
}

constexpr std::array<std::string_view, 3> kWords = {"SE", "ENQUANTO", "REPETE"};

// The trimmed, folded line up to its first space; empty when it has no space.
std::string FirstWord(std::string_view line) {
  line = Text::Trim(line);
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos) return {};
  return Text::Fold(line.substr(0, space));
}

void Build() {
  IndexState& x = S();
  const Interp::State& s = Interp::St();
  const unsigned generation = x.generation + 1;
  x = IndexState{};
  x.generation = generation;
  for (int n = 1; n <= s.lineCount; ++n) {
    const std::string& line = s.lines[static_cast<std::size_t>(n)];
    if (!line.empty() && line[0] == '@') x.labels.try_emplace(Text::Fold(std::string_view(line).substr(1)), n);
    const std::string normal = Normalised(line);
    for (std::size_t w = 0; w < kWords.size(); ++w) {
      if (normal.size() == 4 + kWords[w].size() && normal.starts_with("FIM ") && normal.ends_with(kWords[w]))
        x.ends[w].push_back(n);
    }
    const std::string first = FirstWord(line);
    for (std::size_t w = 1; w < kWords.size(); ++w)
      if (first == kWords[w]) x.heads[w].push_back(n);
    if (normal.starts_with("SE ")) x.blockLines.push_back({BlockLine::Kind::If, n, normal.substr(3)});
    else if (normal == "FIM SE") x.blockLines.push_back({BlockLine::Kind::EndIf, n, {}});
    else if (normal == "SENAO" || normal == "SENÃO"_cp) x.blockLines.push_back({BlockLine::Kind::Else, n, {}});
  }
  x.lineCount = s.lineCount;
  x.built = true;
}

IndexState& Index() {
  IndexState& x = S();
  if (!x.built || x.lineCount != Interp::St().lineCount) Build();
  return x;
}

}  // namespace

std::string Normalised(std::string_view line) {
  line = Text::Trim(line);
  std::string out;
  out.reserve(line.size());
  for (char c : line) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out.push_back(Text::FoldChar(c));
  }
  return out;
}

int FindLabel(std::string_view foldedName) {
  const IndexState& x = Index();
  const auto it = x.labels.find(foldedName);
  return it == x.labels.end() ? 0 : it->second;
}

int NextEnd(EndWord word, int from) {
  const std::vector<int>& lines = Index().ends[static_cast<std::size_t>(word)];
  const auto it = std::upper_bound(lines.begin(), lines.end(), from);
  return it == lines.end() ? 0 : *it;
}

int PreviousHead(EndWord word, int from) {
  const std::vector<int>& lines = Index().heads[static_cast<std::size_t>(word)];
  auto it = std::lower_bound(lines.begin(), lines.end(), from);
  return it == lines.begin() ? 0 : *--it;
}

const std::vector<BlockLine>& BlockLines() { return Index().blockLines; }

std::size_t FirstBlockLineAfter(int from) {
  const std::vector<BlockLine>& lines = Index().blockLines;
  return static_cast<std::size_t>(
      std::upper_bound(lines.begin(), lines.end(), from, [](int n, const BlockLine& b) { return n < b.line; }) -
      lines.begin());
}

unsigned Generation() { return Index().generation; }

void Invalidate() { S().built = false; }

}  // namespace LineIndex
