// Text helpers of the language.
#include "interpreter/text.h"

namespace Text {

std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = FoldChar(c);
  return out;
}

std::string_view TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  std::size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

bool StartsWithFolded(std::string_view s, std::string_view upperPrefix) {
  if (s.size() < upperPrefix.size()) return false;
  for (std::size_t i = 0; i < upperPrefix.size(); ++i)
    if (FoldChar(s[i]) != upperPrefix[i]) return false;
  return true;
}

bool EqualsFolded(std::string_view s, std::string_view upper) {
  return s.size() == upper.size() && StartsWithFolded(s, upper);
}

}  // namespace Text
