// Every file the speech parts ask the letters folder for was generated: characters, the
// number words of every number said with recorded words, times, dates, editor words, tones
// and the fast copies.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "platform/text/cp1252.h"
#include "tests/tools/voicebuild/letters_folder.h"
#include "tests/tools/voicebuild/wave_reader.h"
#include "tts/number_words.h"

namespace fs = std::filesystem;

namespace {

bool Has(const fs::path& folder, const std::string& name) { return fs::is_regular_file(folder / (name + ".wav")); }

// Each word of the cardinal numbers and the file it is recorded in (accents and the
// eight-character limit of the names).
const std::map<std::string, std::string>& NumberFiles() {
  static const std::map<std::string, std::string> files = {
      {"zero", "_zero"}, {"um", "_um"}, {"dois", "_dois"}, {std::string("três"_cp), "_tres"},
      {"quatro", "_quatro"}, {"cinco", "_cinco"}, {"seis", "_seis"}, {"sete", "_sete"}, {"oito", "_oito"},
      {"nove", "_nove"}, {"dez", "_dez"}, {"onze", "_onze"}, {"doze", "_doze"}, {"treze", "_treze"},
      {"quatorze", "_quatorz"}, {"quinze", "_quinze"}, {"dezesseis", "_dezesse"}, {"dezessete", "_dezeset"},
      {"dezoito", "_dezoito"}, {"dezenove", "_dezenov"}, {"vinte", "_vinte"}, {"trinta", "_trinta"},
      {"quarenta", "_quarent"}, {std::string("cinqüenta"_cp), "_cinquen"}, {"sessenta", "_sessent"},
      {"setenta", "_setenta"}, {"oitenta", "_oitenta"}, {"noventa", "_noventa"}, {"cem", "_cem"},
      {"cento", "_cento"}, {"duzentos", "_duzento"}, {"trezentos", "_trezent"}, {"quatrocentos", "_quatroc"},
      {"quinhentos", "_quinhen"}, {"seiscentos", "_seiscen"}, {"setecentos", "_setecen"},
      {"oitocentos", "_oitocen"}, {"novecentos", "_novecen"}, {"mil", "_mil"}, {"e", "_e"},
      {std::string("milhão"_cp), "_milhao"}, {std::string("milhões"_cp), "_milhoes"},
      {std::string("bilhão"_cp), "_bilhao"}, {std::string("bilhões"_cp), "_bilhoes"},
      {std::string("trilhão"_cp), "_trilhao"}, {std::string("trilhões"_cp), "_trilhoe"}};
  return files;
}

// The distinct words of the cardinals of these values; words without a known file name
// are gathered apart.
void CollectWords(uint64_t value, std::set<std::string>& files, std::set<std::string>& unknown) {
  const std::string words = Sonora::CardinalWords(value);
  for (std::size_t at = 0; at < words.size();) {
    const std::size_t end = std::min(words.find(' ', at), words.size());
    const std::string word = words.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    const auto it = NumberFiles().find(word);
    if (it == NumberFiles().end()) unknown.insert(word);
    else files.insert(it->second);
  }
}

}  // namespace

TEST(LettersFolder, HasAFileForEveryCharacterThatCanBeSaid) {
  for (int code : SpokenCharacterCodes()) EXPECT_TRUE(Has(LettersFolder(), "_" + std::to_string(code))) << code;
  EXPECT_TRUE(Has(LettersFolder(), "_unknown"));
}

TEST(LettersFolder, HasEveryNumberWordOfTheNumbersSaidWithRecordedWords) {
  // Up to six digits are said as a number; years are said with the words of 2000.
  std::set<std::string> files, unknown;
  for (uint64_t v = 0; v <= 999999; ++v) CollectWords(v, files, unknown);
  for (uint64_t big : {1000000ULL, 2000000ULL, 1000000000ULL, 3000000000ULL, 1000000000000ULL, 5000000000000ULL})
    CollectWords(big, files, unknown);
  EXPECT_TRUE(unknown.empty()) << "words without a file name, first: " << Cp1252::ToUtf8(*unknown.begin());
  EXPECT_EQ(files.size(), NumberFiles().size());
  for (const std::string& name : files) EXPECT_TRUE(Has(LettersFolder(), name)) << name;
  // The feminine forms of one and two (one o'clock, two o'clock).
  EXPECT_TRUE(Has(LettersFolder(), "_uma"));
  EXPECT_TRUE(Has(LettersFolder(), "_duas"));
}

TEST(LettersFolder, HasTheWordsOfTimesDatesTheEditorAndThePowerStatus) {
  for (const std::string& name : NamedWords()) EXPECT_TRUE(Has(LettersFolder(), name)) << name;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    EXPECT_TRUE(Has(LettersFolder(), "_FON" + std::to_string(letter))) << letter;
    EXPECT_TRUE(Has(LettersFolder(), "_FON" + std::to_string(letter - 'A' + 'a'))) << letter;
  }
}

TEST(LettersFolder, HasATelephoneToneForEveryKey) {
  for (const char* key : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "#", "X"})
    EXPECT_TRUE(Has(LettersFolder(), std::string("dtmf_") + key)) << key;
}

TEST(LettersFolder, EverySpokenFileHasAShorterFastCopy) {
  const fs::path fast = LettersFolder() / "rapido";
  int spoken = 0;
  for (const auto& entry : fs::directory_iterator(LettersFolder())) {
    const std::string name = entry.path().stem().string();
    if (entry.path().extension() != ".wav" || name.starts_with("dtmf_")) continue;
    ++spoken;
    ASSERT_TRUE(Has(fast, name)) << name;
    // The shortest names ("_a") leave little to shorten; the long ones must gain clearly.
    const double normal = ReadWave8(entry.path().string()).Seconds();
    const double quick = ReadWave8((fast / (name + ".wav")).string()).Seconds();
    EXPECT_LT(quick, normal * (normal > 0.5 ? 0.85 : 1.0)) << name;
  }
  EXPECT_GT(spoken, 300);
}
