// The transcriber's rules (capitals, numbers, ordinals, parentheses, backtick signs, the
// replacement table) and the cell of every braille-alphabet character.
#include "console/braille_text.h"

#include <array>

#include "console/braille_input.h"
#include "platform/text/text_kit.h"

namespace BrailleText {
namespace {

struct State {
  bool parenthesisOpen = false;
};

State& S() {
  static State state;
  return state;
}

bool IsUpper(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 192 && c <= 223); }
bool IsLower(uint8_t c) { return (c >= 'a' && c <= 'z') || c >= 224; }
bool IsWord(uint8_t c) { return IsLower(c) || c == '-'; }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
// Capital letters of rule 2: the multiplication sign and the sharp s are not letters with a
// lower case of their own.
bool IsCapital(uint8_t c) { return IsUpper(c) && c != 215 && c != 223; }
uint8_t Lower(uint8_t c) { return static_cast<uint8_t>(TextKit::BlockLower(static_cast<char>(c))); }

// A digit in its lower form (the ordinals and the backtick numbers).
constexpr char kLowerDigits[] = "},;:/?!=\"*";
char LowerDigit(uint8_t d) { return kLowerDigits[d - '0']; }
// A digit as the letter of a number: 1..9 are a..i, 0 is j.
char DigitLetter(uint8_t d) { return d == '0' ? 'j' : static_cast<char>('a' + (d - '1')); }

class Walker {
 public:
  Walker(std::string_view text, std::vector<int>* sourceOf) : t_(text), map_(sourceOf) {
    if (map_) map_->clear();
  }

  std::string Run() {
    while (i_ < t_.size()) Step();
    return std::move(out_);
  }

 private:
  uint8_t At(std::size_t k) const { return k < t_.size() ? static_cast<uint8_t>(t_[k]) : 0; }
  bool Has(std::size_t k) const { return k < t_.size(); }

  void Put(std::string_view s, std::size_t from) {
    out_.append(s);
    if (map_) map_->insert(map_->end(), s.size(), static_cast<int>(from));
  }
  void Put(char c, std::size_t from) { Put(std::string_view(&c, 1), from); }
  void PutByte(uint8_t c, std::size_t from) { Put(static_cast<char>(c), from); }

  void Step() {
    const uint8_t c = At(i_);
    if (IsLower(c)) return WordRun();
    if (IsCapital(c)) return Capitals();
    if (IsDigit(c)) return Number();
    if ((c == '(' || c == '[') && IsDigit(At(i_ + 1)) && OpeningBeforeNumber(c)) return;
    if ((c == ')' || c == ']') && i_ > 0 && IsDigit(At(i_ - 1)) && !S().parenthesisOpen) {
      PutByte(c == ')' ? 227 : 250, i_);
      S().parenthesisOpen = false;
      ++i_;
      return;
    }
    if (c == '`' && Backtick()) return;
    Replace(c);
  }

  // Rule 1: a word is copied as it is.
  void WordRun() {
    const std::size_t from = i_;
    while (Has(i_) && (i_ == from || IsWord(At(i_)))) PutByte(At(i_), i_), ++i_;
  }

  // Rule 2: one capital sign before a letter, two before a run of capitals, and ~ where
  // lower-case letters follow such a run.
  void Capitals() {
    if (!IsCapital(At(i_ + 1))) {
      Put('{', i_);
      PutByte(Lower(At(i_)), i_);
      ++i_;
      return;
    }
    Put("{{", i_);
    while (Has(i_) && IsCapital(At(i_))) PutByte(Lower(At(i_)), i_), ++i_;
    if (Has(i_) && IsLower(At(i_))) Put('~', i_);
  }

  // The length of the ordinal suffix after the digits ending before `k` (0: none).
  std::size_t OrdinalSuffix(std::size_t k) const {
    const uint8_t c = At(k);
    if (!Has(k)) return 0;
    if (c == 170 || c == 186) return 1;
    if ((c == 'a' || c == 'o') && Has(k + 1) && At(k + 1) == '.') return 1;
    if ((c == 'a' || c == 'o') && At(k + 1) == 's' && Has(k + 2) && At(k + 2) == '.') return 2;
    return 0;
  }

  std::size_t DigitsBefore(std::size_t k) const {
    std::size_t n = 0;
    while (k > 0 && IsDigit(At(k - 1))) --k, ++n;
    return n;
  }
  std::size_t DigitsFrom(std::size_t k) const {
    std::size_t n = 0;
    while (Has(k) && IsDigit(At(k))) ++k, ++n;
    return n;
  }

  // Rule 3: numbers (the number sign, digits as letters, the decimal point) and ordinals.
  void Number() {
    Put('#', i_);
    const std::size_t end = i_ + DigitsFrom(i_);
    if (const std::size_t suffix = OrdinalSuffix(end)) {
      for (; i_ < end; ++i_) Put(LowerDigit(At(i_)), i_);
      const uint8_t s = At(i_);
      Put(s == 170 ? 'a' : s == 186 ? 'o' : static_cast<char>(s), i_);
      if (suffix == 2) Put('s', i_ + 1);
      i_ += suffix;
      return;
    }
    while (Has(i_)) {
      const uint8_t c = At(i_);
      if (IsDigit(c)) {
        Put(DigitLetter(c), i_);
      } else if (c == ',' || c == '$') {
        PutByte(c, i_);
      } else if (c == '.') {
        PutByte(c, i_);
        if (IsDigit(At(i_ + 1)) && DigitsBefore(i_) < 3 && DigitsFrom(i_ + 1) < 3) Put('#', i_);
      } else if (c >= 'a' && c <= 'j') {
        Put('~', i_);
        return;
      } else {
        return;
      }
      ++i_;
    }
  }

  // Rule 4: an opening sign directly before a number. True when it was transcribed here;
  // false when it goes on to the replacement table with the flag set.
  bool OpeningBeforeNumber(uint8_t c) {
    S().parenthesisOpen = false;
    const char closing = c == '(' ? ')' : ']';
    const std::size_t close = t_.find(closing, i_ + 1);
    if (close != std::string_view::npos && IsDigit(At(close - 1))) {
      PutByte(c == '(' ? 234 : 225, i_);
      ++i_;
      return true;
    }
    S().parenthesisOpen = true;
    return false;
  }

  // Rule 6: the signs written with a backtick. False when the backtick stands for itself.
  bool Backtick() {
    const std::size_t at = i_;
    const uint8_t n = At(i_ + 1);
    if (!Has(i_ + 1)) return false;
    if (IsDigit(n)) {
      Put('#', at);
      i_ += 1;
      while (Has(i_) && IsDigit(At(i_))) Put(LowerDigit(At(i_)), i_), ++i_;
      if (Has(i_) && At(i_) == '/') {
        ++i_;
        while (Has(i_) && IsDigit(At(i_))) PutByte(At(i_), i_), ++i_;
      }
      return true;
    }
    std::string sign;
    switch (n) {
      case '"': sign = "\xFC\xFC"; break;
      case '%': sign = "_}}"; break;
      case '\'': sign = "\xFC"; break;
      case '(': sign = "\xEA"; break;
      case ')': sign = "\xE3"; break;
      case '*': case 'x': case 'X': sign = "\xD7"; break;
      case '+': case '-': case '.': case '=': sign = std::string(1, static_cast<char>(n)); break;
      case '/': case ':': sign = "\xF7"; break;
      case 'E': case 'e': sign = "\x80" "e"; break;
      case 'O': case 'o': sign = "\xB0"; break;
      case '[': sign = "\xE1"; break;
      case ']': sign = "\xFA"; break;
      case '^': sign = "\xE5"; break;
      case '_': case 247: sign = "~\xF7"; break;
      case '{': sign = "~l"; break;
      case '}': sign = "_,"; break;
      case '`': break;
      default: return false;
    }
    Put(sign, at);
    i_ += 2;
    return true;
  }

  // Rule 7: the replacement table; anything else is copied.
  void Replace(uint8_t c) {
    const std::size_t at = i_++;
    switch (c) {
      case '.': Put('.', at); break;
      case '"': case 147: case 148: Put('"', at); break;
      case '%': Put("_}", at); break;
      case '(': Put("(.", at); S().parenthesisOpen = true; break;
      case ')': Put("\\)", at); S().parenthesisOpen = false; break;
      case '/': Put("\\,", at); break;
      case '[': Put("[.", at); break;
      case '\\': Put("~.", at); break;
      case ']': Put("\\]", at); break;
      case 128: Put("\x80" "e", at); break;
      case 133: Put("...", at); break;
      case 137: Put("_}}", at); break;
      case 145: case 146: Put("$\"", at); break;
      case 149: Put("\xF5o", at); break;
      case 150: case 151: case 173: Put("--", at); break;
      case 156: Put("oe", at); break;
      case 167: Put("ss", at); break;
      case 171: case 187: Put("\\\"", at); break;
      case 178: Put("\xE5#b", at); break;
      case 179: Put("\xE5#c", at); break;
      case 185: Put("\xE5#a", at); break;
      case 188: Put("#,d", at); break;
      case 189: Put("#,b", at); break;
      case 190: Put("#:d", at); break;
      case 223: Put("\xAC" "b", at); break;
      case 230: Put("ae", at); break;
      default: PutByte(c, at); break;
    }
  }

  std::string_view t_;
  std::vector<int>* map_;
  std::size_t i_ = 0;
  std::string out_;
};

// Characters outside the 64-character alphabet that share a cell with one of its members.
struct Shared {
  uint8_t dots;
  std::initializer_list<uint8_t> codes;
};

std::array<uint8_t, 256> BuildCells() {
  std::array<uint8_t, 256> cells{};
  for (int dots = 63; dots >= 0; --dots) cells[BrailleInput::TableEntry(dots)] = static_cast<uint8_t>(dots);
  for (uint8_t c : {'K', 'L', 'M', 'S', 'P', 'R', 'N', 'T', 'Q', 'U', 'V', 'X', 'Z', 'W', 'Y'})
    cells[c] = cells[Lower(c)];
  const Shared shared[] = {
      {0, {168}}, {1, {49, 65, 170, 185}}, {3, {50, 66, 178}}, {4, {46, 149, 205}}, {8, {128}},
      {9, {51, 67, 179}}, {10, {57, 73}}, {11, {54, 70}}, {12, {204, 236}}, {17, {53, 69}},
      {18, {195}}, {19, {56, 72}}, {20, {180}}, {21, {62, 79, 186}}, {22, {43, 161}},
      {25, {52, 68}}, {26, {48, 74}}, {27, {55, 71}}, {28, {41, 132, 196, 198, 228, 230}},
      {32, {92, 96}}, {33, {131, 194, 197, 229}}, {34, {191}}, {35, {40, 136, 202}},
      {38, {145, 146, 171, 187, 215}}, {40, {15}}, {41, {37, 141, 206}},
      {42, {60, 148, 212, 213, 246}}, {43, {133, 192, 203, 235}}, {44, {162, 210, 242}},
      {46, {138, 200}}, {47, {38, 135, 199}}, {49, {64, 151, 219}}, {50, {47, 247}},
      {51, {129, 220}}, {52, {176}}, {55, {91, 160, 193}}, {56, {124, 166}}, {57, {147, 211}},
      {59, {139, 207, 209, 241}}, {62, {93, 163, 217, 218, 249}}, {63, {127, 130, 201}},
  };
  for (const Shared& s : shared)
    for (uint8_t c : s.codes) cells[c] = s.dots;
  for (int c = 0; c < 32; ++c)
    if (c != 15) cells[c] = 0;
  // No cell: shown blank.
  for (int c : {134, 137, 140, 142, 143, 144, 150, 152, 153, 154, 155, 156, 157, 158, 159, 164,
                165, 167, 169, 173, 174, 175, 177, 181, 182, 183, 184, 188, 189, 190, 208, 214,
                216, 221, 222, 223, 240, 248, 254})
    cells[c] = 0;
  return cells;
}

const std::array<uint8_t, 256>& CellTable() {
  static const std::array<uint8_t, 256> table = BuildCells();
  return table;
}

}  // namespace

std::string BrailleTranscribe(std::string_view text, std::vector<int>* sourceOf) {
  return Walker(text, sourceOf).Run();
}

uint8_t CellOf(uint8_t character) { return CellTable()[character]; }

std::vector<uint8_t> Cells(std::string_view braille) {
  std::vector<uint8_t> cells;
  cells.reserve(braille.size());
  for (char c : braille) cells.push_back(CellOf(static_cast<uint8_t>(c)));
  return cells;
}

bool ParenthesisOpen() { return S().parenthesisOpen; }
void ResetBrailleText() { S() = State{}; }

}  // namespace BrailleText
