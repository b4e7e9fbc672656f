// Building the list of spoken files from the engine's character names and cardinal
// numbers and from the word tables of this folder.
#include "tools/voicebuild/recorded_words.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"
#include "tts/character_names.h"
#include "tts/number_words.h"

namespace RecordedWords {
namespace {

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

// Values whose words, together, are every word a cardinal number is made of: all of one
// group (0..999), "mil" and the joining "e" (1001), and each larger group name in its
// singular and plural form.
std::vector<uint64_t> CoveringValues() {
  std::vector<uint64_t> values;
  for (uint64_t v = 0; v < 1000; ++v) values.push_back(v);
  values.push_back(1001);
  for (uint64_t group = 1000000; group <= 1000000000000ULL; group *= 1000) {
    values.push_back(group);
    values.push_back(2 * group);
  }
  return values;
}

std::vector<std::string> SplitWords(const std::string& words) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < words.size();) {
    const std::size_t end = std::min(words.find(' ', at), words.size());
    if (end > at) out.push_back(words.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

}  // namespace

bool CharacterWords(const std::vector<WordTable::Row>& extra, std::vector<Word>& out, std::string& error) {
  std::vector<int> codes = {0, 12};
  for (int c = 32; c <= 255; ++c) codes.push_back(c);
  for (int code : codes) {
    std::string text = Cp1252::ToUtf8(Sonora::CharacterName(static_cast<unsigned char>(code)));
    for (const WordTable::Row& row : extra)
      if (row.key == std::to_string(code)) text = row.text;
    if (text.find_first_not_of(' ') == std::string::npos) {
      error = "character " + std::to_string(code) + " has no name";
      return false;
    }
    out.push_back({"_" + std::to_string(code), text});
  }
  return true;
}

std::string NumberFileName(std::string_view word) {
  std::string w = Replace(Replace(std::string(word), "ã"_cp, "a"), "õ"_cp, "o");
  w = Replace(w, "dezessete", "dezeset");
  return ("_" + w).substr(0, 8);
}

const Sonora::NumberTables& RecordedNumberTables() {
  static const Sonora::NumberTables tables = [] {
    Sonora::NumberTables t = Sonora::CardinalTables();
    // The recorded words' own spellings: the files of 3 and 50 are named without accents.
    t.units[3] = "tres";
    t.tens[5] = "cinquenta";
    return t;
  }();
  return tables;
}

std::vector<Word> NumberWords() {
  std::set<std::string> seen;
  std::vector<Word> out;
  for (uint64_t value : CoveringValues()) {
    // Both tables give the same words in the same places: names from the one, what is
    // said (with the engine's accents) from the other.
    const std::vector<std::string> names = SplitWords(Sonora::CardinalWords(value, RecordedNumberTables()));
    const std::vector<std::string> said = SplitWords(Sonora::CardinalWords(value));
    for (std::size_t i = 0; i < names.size() && i < said.size(); ++i) {
      const std::string name = NumberFileName(names[i]);
      if (seen.insert(name).second) out.push_back({name, Cp1252::ToUtf8(said[i])});
    }
  }
  return out;
}

bool SpellingWords(const std::vector<WordTable::Row>& letters, std::vector<Word>& out, std::string& error) {
  std::set<char> done;
  for (const WordTable::Row& row : letters) {
    const char letter = row.key.size() == 1 ? TextKit::AsciiUpper(row.key[0]) : 0;
    if (letter < 'A' || letter > 'Z' || !done.insert(letter).second) {
      error = "spelling table: \"" + row.key + "\" is not a new letter A..Z";
      return false;
    }
    out.push_back({"_FON" + std::to_string(letter), row.text});
    out.push_back({"_FON" + std::to_string(letter - 'A' + 'a'), row.text});
  }
  if (done.size() != 26) {
    error = "spelling table: " + std::to_string(26 - done.size()) + " letters have no word";
    return false;
  }
  return true;
}

void AddWords(const std::vector<WordTable::Row>& rows, std::vector<Word>& out) {
  for (const WordTable::Row& row : rows) {
    const auto same = std::find_if(out.begin(), out.end(), [&](const Word& w) { return TextKit::EqualsAsciiNoCase(w.name, row.key); });
    if (same != out.end()) same->text = row.text;
    else out.push_back({row.key, row.text});
  }
}

}  // namespace RecordedWords
