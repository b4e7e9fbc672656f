// Text helpers of the language.
#include "interpreter/text.h"

namespace Text {

std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = FoldChar(c);
  return out;
}

}  // namespace Text
