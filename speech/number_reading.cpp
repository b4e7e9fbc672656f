// The words of a cardinal number in the plain spellings the recorded word files are named
// by: the engine's number reading with the files' spellings.
#include "speech/number_reading.h"

#include "tts/number_words.h"

namespace Speech {
namespace {

// The engine's number words in the plain spellings the word files are named by.
const Sonora::NumberTables& RecordedTables() {
  static const Sonora::NumberTables tables = [] {
    Sonora::NumberTables t = Sonora::CardinalTables();
    t.units = {"zero", "um", "dois", "tres", "quatro", "cinco", "seis", "sete", "oito", "nove"};
    t.tens = {"", "", "vinte", "trinta", "quarenta", "cinquenta", "sessenta", "setenta", "oitenta", "noventa"};
    t.groupSingular = {"trilhao ", "bilhao ", "milhao ", "mil "};
    t.groupPlural = {"trilhoes ", "bilhoes ", "milhoes ", "mil "};
    return t;
  }();
  return tables;
}

constexpr uint64_t kLimit = 1000000000000000ULL;

}  // namespace

std::string CardinalNumberWords(uint64_t value) {
  std::string out;
  if (value >= kLimit) {
    // Beyond the trillions there is no group name: the digits are read one by one.
    for (char d : std::to_string(value)) {
      if (!out.empty()) out += ' ';
      out += RecordedTables().units[static_cast<std::size_t>(d - '0')];
    }
    return out;
  }
  // One blank between words (the group names keep a blank of their own).
  for (char c : Sonora::CardinalWords(value, RecordedTables()))
    if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace Speech
