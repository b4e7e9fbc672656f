// Splitting MCI command strings into words and reading their keywords.
#include "platform/media/mci_command.h"

#include "platform/text/text_kit.h"

namespace Mci {
namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The words of the text; false when a quote is left open.
bool SplitWords(std::string_view text, std::vector<std::string>& words) {
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && Blank(text[i])) ++i;
    if (i == text.size()) break;
    std::string word;
    // A word may join quoted and plain runs ("c:\a b".wav is unusual but one word).
    while (i < text.size() && !Blank(text[i])) {
      if (text[i] == '"') {
        const std::size_t close = text.find('"', i + 1);
        if (close == std::string_view::npos) return false;
        word.append(text.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        word.push_back(text[i++]);
      }
    }
    words.push_back(std::move(word));
  }
  return true;
}

}  // namespace

std::optional<int64_t> ParseNumber(std::string_view text) {
  const std::optional<uint64_t> value = TextKit::ReadDigits(text, 18);
  if (!value) return std::nullopt;
  return static_cast<int64_t>(*value);
}

int ParseCommand(std::string_view text, Command& out) {
  out = Command{};
  std::vector<std::string> words;
  if (!SplitWords(text, words)) return kErrNoClosingQuote;
  if (words.empty()) return kErrMissingCommandString;
  out.verb = TextKit::AsciiLowerText(words[0]);
  if (words.size() < 2) return kErrMissingDeviceName;
  out.device = words[1];
  out.words.assign(words.begin() + 2, words.end());
  return kOk;
}

int Words::Find(std::string_view keyword) const {
  for (std::size_t i = 0; i < words_.size(); ++i)
    if (!used_[i] && TextKit::AsciiLowerText(words_[i]) == keyword) return static_cast<int>(i);
  return -1;
}

bool Words::Flag(std::string_view keyword) {
  const int at = Find(keyword);
  if (at < 0) return false;
  used_[at] = true;
  return true;
}

std::optional<std::string> Words::Value(std::string_view keyword, int& error) {
  const int at = Find(keyword);
  if (at < 0) return std::nullopt;
  used_[at] = true;
  if (static_cast<std::size_t>(at + 1) >= words_.size() || used_[at + 1]) {
    error = kErrMissingParameter;
    return std::nullopt;
  }
  used_[at + 1] = true;
  return words_[at + 1];
}

std::optional<int64_t> Words::Number(std::string_view keyword, int& error) {
  int missing = 0;
  const std::optional<std::string> text = Value(keyword, missing);
  if (missing) error = missing;
  if (!text) return std::nullopt;
  const std::optional<int64_t> n = ParseNumber(*text);
  if (!n) error = kErrBadInteger;
  return n;
}

int Words::Leftover() const {
  for (std::size_t i = 0; i < words_.size(); ++i)
    if (!used_[i]) return kErrUnrecognizedKeyword;
  return kOk;
}

}  // namespace Mci
