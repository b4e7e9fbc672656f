// The work of the commands most loops run, once their arguments are read: shared by their
// handlers, which read the arguments from the line's text, and by the compiled line forms,
// which read them once when the line is stored.
#pragma once

#include <cstdint>
#include <string_view>

#include "interpreter/line_index.h"

namespace Steps {

// SOMA: adds `number` to the number at the end of the variable's text.
bool Soma(int code, int32_t number);
// COPIA: target := characters first..last of source.
void Copia(int target, int source, int32_t first, int32_t last);

// The line of a label as a jump finds it, kept while the index of the program stands.
struct LabelCache {
  int line = 0;
  unsigned generation = 0;  // 0: not looked up yet
};
// DESVIA and CHAMA to a label (the name as written, without "@"); false when it is missing.
bool JumpToLabel(std::string_view name, LabelCache& cache);
bool CallLabel(std::string_view name, LabelCache& cache);
// A false block SE: to its SENAO at the same depth, or to its FIM SE.
void SkipFalseBlock();
// To the next line that reads "FIM " + the word; past the last line when there is none.
void SkipToEnd(LineIndex::EndWord word);

}  // namespace Steps
