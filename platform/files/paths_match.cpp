// Name comparison as Windows file systems do it: case folding and wildcard patterns.
#include <vector>

#include "platform/files/paths.h"
#include "platform/text/text_kit.h"

namespace Paths {

char FoldCase(char c) { return TextKit::Cp1252Upper(c); }

std::string FoldCase(std::string_view text) { return TextKit::Cp1252UpperText(text); }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

namespace {

// Windows rewrites a pattern with DOS wildcards before matching: a "*" before a dot stops
// at the name's last dot, a run of "?" may match fewer characters when the name reaches a
// dot or its end, and a dot before a wildcard or at the end may match the end of a name.
enum class Kind { Char, Star, DosStar, DosQm, DosDot };
struct Token {
  Kind kind;
  char c = 0;          // Kind::Char
  std::size_t run = 0;  // Kind::DosQm: number of "?" in the run
};

std::vector<Token> Tokens(std::string_view p) {
  std::vector<Token> out;
  if (p == "*.*") return {Token{Kind::Star}};
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char next = i + 1 < p.size() ? p[i + 1] : '\0';
    if (p[i] == '?') {
      if (!out.empty() && out.back().kind == Kind::DosQm) ++out.back().run;
      else out.push_back(Token{Kind::DosQm, 0, 1});
    } else if (p[i] == '*') {
      out.push_back(Token{next == '.' ? Kind::DosStar : Kind::Star});
    } else if (p[i] == '.' && (next == '?' || next == '*' || next == '\0')) {
      out.push_back(Token{Kind::DosDot});
    } else {
      out.push_back(Token{Kind::Char, FoldCase(p[i])});
    }
  }
  return out;
}

// Longer than any path the Windows calls accept: never a file name, and it keeps the
// quadratic matching bounded whatever a script passes.
constexpr std::size_t kMaxLength = 4096;

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern.size() > kMaxLength || name.size() > kMaxLength) return false;
  const std::vector<Token> tokens = Tokens(pattern);
  const std::size_t N = name.size();
  const std::size_t lastDot = name.rfind('.');
  // next[j]: the tokens after the current one match name[j..]; filled from the last token
  // backwards, one row at a time.
  std::vector<char> next(N + 1, 0), cur(N + 1, 0);
  next[N] = 1;
  for (std::size_t t = tokens.size(); t-- > 0;) {
    const Token& tok = tokens[t];
    for (std::size_t j = N + 1; j-- > 0;) {
      const bool more = j < N;
      bool m = false;
      switch (tok.kind) {
        case Kind::Star: m = next[j] || (more && cur[j + 1]); break;
        case Kind::DosStar: m = next[j] || (more && j != lastDot && cur[j + 1]); break;
        case Kind::DosDot: m = more ? name[j] == '.' && next[j + 1] : next[j]; break;
        case Kind::Char: m = more && FoldCase(name[j]) == tok.c && next[j + 1]; break;
        case Kind::DosQm:
          for (std::size_t k = 0; k <= tok.run && !m; ++k) {
            const std::size_t e = j + k;
            if (e > N) break;
            if (k > 0 && name[e - 1] == '.') break;
            const bool stops = k == tok.run || e == N || name[e] == '.';
            m = stops && next[e];
          }
          break;
      }
      cur[j] = m;
    }
    std::swap(next, cur);
  }
  return next[0];
}

}  // namespace Paths
