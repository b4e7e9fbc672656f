// An index of the stored program, built once at the first jump, so that labels, block ends
// and loop heads are found where a line-by-line scan would find them, without the scan.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace LineIndex {

enum class EndWord { Se, Enquanto, Repete };

// A line that the skip of a false SE block looks at.
struct BlockLine {
  enum class Kind { If, EndIf, Else } kind;
  int line;
  std::string condition;  // If: the normalised text after "SE "
};

// The first line (1..line count) whose first character is "@" and whose name, folded,
// equals `foldedName`; 0 when there is none.
int FindLabel(std::string_view foldedName);

// The first line after `from` whose normalised text is "FIM " + the word; 0 when none.
int NextEnd(EndWord word, int from);

// The nearest line before `from` whose first word is ENQUANTO (or REPETE); 0 when none.
int PreviousHead(EndWord word, int from);

// The lines that begin with "SE ", or read "FIM SE", "SENAO" or "SENÃO" (normalised), in
// order; the first one after `from` is at the index returned.
const std::vector<BlockLine>& BlockLines();
std::size_t FirstBlockLineAfter(int from);

// Changes whenever the index is built again (answers kept by callers are then stale).
unsigned Generation();

// The stored program changed: the index is built again at its next use.
void Invalidate();

// The stored line trimmed, folded, with every run of spaces reduced to one.
std::string Normalised(std::string_view line);

}  // namespace LineIndex
