// Numbers, symbols, abbreviations and acronyms read out by the preprocessing stage.
#include <gtest/gtest.h>

#include "platform/text/cp1252.h"
#include "temp_files.h"
#include "tts/abbreviations.h"
#include "tts/character_names.h"
#include "tts/number_words.h"
#include "tts/preprocess.h"

using namespace Sonora;

namespace {
std::string Pre(std::string_view utf8) { return Cp1252::ToUtf8(PreprocessText(Cp1252::FromUtf8(utf8))); }
// Blanks do not matter to the later stages; the words and marks do.
std::string Squeeze(std::string s) {
  std::string out;
  for (char c : s)
    if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}
}  // namespace

TEST(CardinalWords, GroupsAndConjunctions) {
  EXPECT_EQ(CardinalWords(0), "zero");
  EXPECT_EQ(CardinalWords(21), "vinte e um");
  EXPECT_EQ(CardinalWords(100), "cem");
  EXPECT_EQ(CardinalWords(101), "cento e um");
  EXPECT_EQ(CardinalWords(1000), "mil ");
  EXPECT_EQ(CardinalWords(1001), "mil e um");
  EXPECT_EQ(CardinalWords(2000000), "dois milhões "_cp);
  EXPECT_EQ(CardinalWords(1000000), "um milhão "_cp);
  EXPECT_EQ(CardinalWords(15), "quinze");
  EXPECT_EQ(CardinalWords(50), "cinqüenta"_cp);
  EXPECT_EQ(CardinalWords(110), "cento e dez");
  EXPECT_EQ(CardinalWords(200), "duzentos");
}

// "e" joins the last group only when that group is below one hundred or a whole hundred.
TEST(CardinalWords, ConjunctionBeforeTheLastGroup) {
  const struct {
    uint64_t value;
    const char* words;
  } cases[] = {
      {1050, "mil e cinqüenta"},
      {1100, "mil e cem"},
      {1200, "mil e duzentos"},
      {1234, "mil duzentos e trinta e quatro"},
      {1998, "mil novecentos e noventa e oito"},
      {1101, "mil cento e um"},
      {2024, "dois mil e vinte e quatro"},
      {21500, "vinte e um mil e quinhentos"},
      {21501, "vinte e um mil quinhentos e um"},
      {1000100, "um milhão e cem"},
      {1000250, "um milhão duzentos e cinqüenta"},
      {1001000, "um milhão e mil "},
      {1200000, "um milhão e duzentos mil "},
      {1250000, "um milhão duzentos e cinqüenta mil "},
      {2000000300, "dois bilhões e trezentos"},
      {3000001999, "três bilhões mil novecentos e noventa e nove"},
  };
  for (const auto& c : cases) EXPECT_EQ(Cp1252::ToUtf8(CardinalWords(c.value)), c.words) << c.value;
}

TEST(CardinalWords, BeyondTrillionsReadsDigits) {
  EXPECT_EQ(CardinalWords(1000000000000000ULL), "um zero zero zero zero zero zero zero zero zero zero zero zero zero zero zero");
}

TEST(OrdinalWords, GenderAndLimits) {
  EXPECT_EQ(OrdinalWords('m', 1), "primeiro");
  EXPECT_EQ(OrdinalWords('f', 21), "vigésima primeira"_cp);
  EXPECT_EQ(OrdinalWords('m', 1999), "milésimo nongentésimo nonagésimo nono"_cp);
  EXPECT_EQ(OrdinalWords('f', 1000), "milésima"_cp);
  EXPECT_EQ(OrdinalWords('m', 10), "décimo"_cp);
  EXPECT_EQ(OrdinalWords('m', 0), "zero");
  EXPECT_EQ(OrdinalWords('m', 2000), "dois mil ");
}

TEST(CharacterName, TableKeepsAccentsAndBlanks) {
  EXPECT_EQ(CharacterName('?'), "interrogação"_cp);
  EXPECT_EQ(CharacterName('0'), "zéro"_cp);
  EXPECT_EQ(CharacterName('7'), "séte"_cp);
  EXPECT_EQ(CharacterName('C'), " sê"_cp);
  EXPECT_EQ(CharacterName('d'), " dê"_cp);
  EXPECT_EQ(CharacterName('J'), "jóta"_cp);
  EXPECT_EQ(CharacterName('j'), "jota");
  EXPECT_EQ(CharacterName('~'), "til");
  EXPECT_EQ(CharacterName(161), "exclamação reversa"_cp);
  EXPECT_EQ(CharacterName(191), "interrogação reversa"_cp);
  EXPECT_EQ(CharacterName(220), "U com trema");
  EXPECT_EQ(CharacterName(224), "A grave");  // lower case takes the capital's name
  EXPECT_EQ(CharacterName(247), "vezes");
  EXPECT_EQ(CharacterName(252), "U com trema");
  for (int code : {0, 10, 31, 127, 128, 150, 160, 221, 223, 253, 255}) EXPECT_EQ(CharacterName(code), "") << code;
}

TEST(PreprocessText, Numbers) {
  EXPECT_EQ(Squeeze(Pre("-5")), "menos cinco");
  EXPECT_EQ(Squeeze(Pre("10-5")), "um zero traço cinco");
  EXPECT_EQ(Squeeze(Pre("007")), "zero zero sete");
  EXPECT_EQ(Squeeze(Pre("1.000")), "mil");
  EXPECT_EQ(Squeeze(Pre("1.000 pessoas")), "mil pessoas");
  EXPECT_EQ(Squeeze(Pre("1.0000")), "um ponto zero zero zero zero");
  EXPECT_EQ(Squeeze(Pre("3,5")), "três vírgula cinco");
  EXPECT_EQ(Squeeze(Pre("1.234.567")), "um milhão duzentos e trinta e quatro mil quinhentos e sessenta e sete");
  EXPECT_EQ(Squeeze(Pre("2º")), "segundo");
  EXPECT_EQ(Squeeze(Pre("21ª")), "vigésima primeira");
  EXPECT_EQ(Squeeze(Pre("2as.")), "segundas");
  EXPECT_EQ(Squeeze(Pre("3o. lugar")), "terceiro lugar");
  EXPECT_EQ(Squeeze(Pre("01º")), "primeiro");  // an ordinal replaces the leading zeros
  EXPECT_EQ(Squeeze(Pre("5 anos")), "cinco anos");
  EXPECT_EQ(Squeeze(Pre("10h30")), "dez agá trinta");  // the number does not stick to the word
  // More than 15 digits: the rest is a new number.
  EXPECT_EQ(Squeeze(Pre("1000000000000000")), Squeeze(Cp1252::ToUtf8(CardinalWords(100000000000000ULL))) + " zero");
}

TEST(PreprocessText, SymbolsAndMarks) {
  EXPECT_EQ(Pre("?"), "interrogação");
  EXPECT_EQ(Pre("x"), "xis");
  EXPECT_EQ(Squeeze(Pre("A - B")), "A , bê");
  EXPECT_EQ(Squeeze(Pre("abc.def")), "abc ponto def");
  EXPECT_EQ(Squeeze(Pre("fim...")), "fim...");
  EXPECT_EQ(Squeeze(Pre("a@b")), "a arrôba bê");
  EXPECT_EQ(Squeeze(Pre("50%")), "cinqüenta porcento");
  EXPECT_EQ(Pre("Olá, tudo bem?"), "Olá, tudo bem?");
  EXPECT_EQ(Squeeze(Pre("guarda-chuva")), "guarda-chuva");
  // Tabs and line ends keep words apart.
  EXPECT_EQ(Squeeze(Pre("casa\tazul\nmar")), "casa azul mar");
}

TEST(PreprocessText, ConsonantWordsAreSpelled) {
  EXPECT_EQ(Pre("BBC"), "bêbê sê");
  EXPECT_EQ(Squeeze(Pre("o PT e o PSDB")), "o pêtê e o pêésse dêbê");
}

TEST(PreprocessText, Abbreviations) {
  TempFiles files;
  ASSERT_TRUE(LoadAbbreviations(files.Write("a.abr", Cp1252::FromUtf8(
      "; comentário\n\n  Dr = doutor  \nDR=segundo doutor\nsra=senhora\np. ex=por exemplo\netc=et cétera\nsem igual\n"))));
  EXPECT_EQ(Squeeze(Pre("Dr. Silva")), "doutor Silva");
  EXPECT_EQ(Squeeze(Pre("dr. Silva")), "doutor Silva");
  EXPECT_EQ(Squeeze(Pre("Sra. Lima")), "senhora Lima");
  EXPECT_EQ(Squeeze(Pre("Dr.Silva")), "Dr ponto Silva");  // no blank after the full stop
  EXPECT_EQ(Squeeze(Pre("Dr Silva")), "dêérre Silva");
  EXPECT_EQ(Squeeze(Pre("frutas, p. ex. maçãs")), "frutas, por exemplo maçãs");
  // At the end of the text the abbreviation is expanded and the sentence still ends.
  EXPECT_EQ(Squeeze(Pre("peras etc.")), "peras et cétera.");
  EXPECT_EQ(Abbreviations().entries.size(), 6u);  // the line without "=" has an empty key
  ResetAbbreviations();
  EXPECT_EQ(Squeeze(Pre("Dr. Silva")), "dêérre. Silva");
}

TEST(LoadAbbreviations, LimitsAndMissingFile) {
  TempFiles files;
  EXPECT_FALSE(LoadAbbreviations(files.Path("missing.abr")));
  EXPECT_FALSE(LoadAbbreviations(files.Path("")));  // a folder is not a file
  std::string many;
  for (int i = 0; i < 2500; ++i) many += "K" + std::to_string(i) + "=x\n";
  many += std::string(100000, 'Z') + "=" + std::string(5000, 'y') + "\n";
  ASSERT_TRUE(LoadAbbreviations(files.Write("many.abr", many)));
  EXPECT_EQ(Abbreviations().entries.size(), kMaxAbbreviations);
  ASSERT_TRUE(LoadAbbreviations(files.Write("long.abr", "A=" + std::string(5000, 'y') + "\n\x01\xff=\x80\n")));
  EXPECT_EQ(Abbreviations().entries[0].expansion.size(), kMaxExpansion);
  ResetAbbreviations();
}
