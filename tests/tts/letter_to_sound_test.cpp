// Stress, rule matching, exceptions and liaison of the letter-to-sound stage.
#include <gtest/gtest.h>

#include "platform/text/cp1252.h"
#include "temp_files.h"
#include "tts/exceptions.h"
#include "tts/letter_to_sound.h"
#include "tts/rules.h"
#include "tts/stress.h"

using namespace Sonora;

namespace {

std::vector<std::string> Convert(std::string_view word, std::size_t stress = 0) {
  std::vector<std::string> lines;
  ConvertWord(Cp1252::FromUtf8(word), stress, lines);
  return lines;
}

// Loads the rules (UTF-8 source text, stored as Windows-1252).
void Rules(const TempFiles& files, std::string_view utf8) {
  ASSERT_TRUE(LoadRules(files.Write("r.nrl", Cp1252::FromUtf8(utf8))));
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(FindStress, DiphthongsAndPluralsInNs) {
  EXPECT_EQ(FindStress("homens"), 2u);
  EXPECT_EQ(FindStress("mensagens"), 5u);
  EXPECT_EQ(FindStress("jardins"), 5u);
  EXPECT_EQ(FindStress("reais"), 3u);
  EXPECT_EQ(FindStress("pai"), 2u);
}

TEST(FindStress, AccentsAndEndings) {
  EXPECT_EQ(FindStress("CASA"), 2u);
  EXPECT_EQ(FindStress("casas"), 2u);
  EXPECT_EQ(FindStress("JARDIM"), 5u);
  EXPECT_EQ(FindStress(Cp1252::FromUtf8("CAFÉ")), 4u);
  EXPECT_EQ(FindStress("RUA"), 2u);
  EXPECT_EQ(FindStress("PARA"), 2u);
  EXPECT_EQ(FindStress("falar"), 4u);
  EXPECT_EQ(FindStress("tatu"), 4u);
  EXPECT_EQ(FindStress("aqui"), 4u);
  EXPECT_EQ(FindStress("homem"), 2u);
  EXPECT_EQ(FindStress("bem"), 2u);
  EXPECT_EQ(FindStress("quero"), 3u);
  EXPECT_EQ(FindStress("leite"), 2u);
  EXPECT_EQ(FindStress("qual"), 3u);
  EXPECT_EQ(FindStress("pst"), 0u);
  EXPECT_EQ(FindStress(""), 0u);
  // An acute or circumflex accent wins over a later tilde.
  EXPECT_EQ(FindStress(Cp1252::FromUtf8("órgão")), 1u);
  EXPECT_EQ(FindStress(Cp1252::FromUtf8("bênção")), 2u);
  EXPECT_EQ(FindStress(Cp1252::FromUtf8("mamão")), 4u);
}

TEST(ConvertWord, ContextSymbols) {
  TempFiles files;
  Rules(files,
        "; right context\n"
        "(A)#=1\n(A)%=2\n(A)&=3\n(A)*B=4\n(A)+=5\n(A)\\X=7\n(A)[=6\n"
        "; left context\n"
        "#(B)=b1\n%(B)=b2\n](C)=c1\n_(D)=d1\n|(F)=f1\n"
        "(B)=b\n(C)=c\n(D)=d\n(F)=f\n(X)=x\n(L)=l\n(H)=h\n(S)=s\n(E)=e\n(O)=o\n(I)=i\n");
  EXPECT_EQ(Convert("AO"), (Lines{"1", "o", ""}));        // # a vowel, consumed
  EXPECT_EQ(Convert("BA"), (Lines{"b2", "2", ""}));       // % both ends
  EXPECT_EQ(Convert("AL"), (Lines{"3", "l", ""}));        // & L M N R Z
  EXPECT_EQ(Convert("AB"), (Lines{"4", "b1", ""}));       // * not consumed: B is tested again
  EXPECT_EQ(Convert("AI"), (Lines{"1", "i", ""}));        // I is a vowel first
  EXPECT_EQ(Convert("ASX"), (Lines{"7", "s", "x", ""}));  // \ takes the optional S
  EXPECT_EQ(Convert("AX"), (Lines{"7", "x", ""}));        // ... and never fails
  EXPECT_EQ(Convert("AT"), (Lines{"6", ""}));             // [ a consonant ...
  EXPECT_EQ(Convert("AH"), (Lines{"h", ""}));             // ... but not H
  EXPECT_EQ(Convert("OC"), (Lines{"o", "c1", ""}));       // ] a back vowel
  EXPECT_EQ(Convert("EC"), (Lines{"e", "c", ""}));
  EXPECT_EQ(Convert("D"), (Lines{"d1", ""}));             // _ the start ...
  EXPECT_EQ(Convert("ED"), (Lines{"e", "d1", ""}));       // ... or a vowel
  EXPECT_EQ(Convert("BD"), (Lines{"b2", "d", ""}));
  EXPECT_EQ(Convert("SF"), (Lines{"s", "f1", ""}));       // | N R S
  EXPECT_EQ(Convert("LF"), (Lines{"l", "f", ""}));
}

TEST(ConvertWord, OutputsStressAndUnknownLetters) {
  TempFiles files;
  Rules(files, "(CH)=S\n(C)=k\n(A)=a&@|two phonemes\n(S)=\n(H)=\n(O)=o\n");
  EXPECT_EQ(Convert("CHA"), (Lines{"S", "a", "@", ""}));
  EXPECT_EQ(Convert("CAS", 2), (Lines{"k", ">a", "@", ""}));
  // A letter without a rule is skipped; so is a silent one, and the mark moves on.
  EXPECT_EQ(Convert("CZO"), (Lines{"k", "o", ""}));
  EXPECT_EQ(Convert("CHO", 2), (Lines{"S", ">o", ""}));
  EXPECT_EQ(Convert("CSHO", 2), (Lines{"k", ">o", ""}));
  EXPECT_EQ(Convert(""), (Lines{""}));
}

TEST(LoadRules, BrokenLinesAreIgnored) {
  TempFiles files;
  EXPECT_FALSE(LoadRules(files.Path("missing.nrl")));
  std::string broken = "no parenthesis=x\n(=y\n()=z\n(A=w\n(\x01)=q\n";
  broken += "(A)" + std::string(100000, 'B') + "=" + std::string(100000, 'c') + "\n";
  broken += std::string("\x00\xff(\xff)\x80=\x00", 8) + "\n";
  broken += "LONGLEFT(BBBBBBB)=b\n";
  ASSERT_TRUE(LoadRules(files.Write("broken.nrl", broken)));
  ASSERT_EQ(Rules().byFirstLetter['A'].size(), 1u);
  const Rule& r = Rules().byFirstLetter['A'][0];
  EXPECT_EQ(r.right.size(), kMaxContext);
  EXPECT_EQ(r.output.size(), kMaxOutput);
  EXPECT_EQ(Rules().byFirstLetter['B'][0].focus, "BBBBB");
  EXPECT_EQ(Rules().byFirstLetter['B'][0].left, "LONGL");
  EXPECT_EQ(Rules().byFirstLetter[1].size(), 0u);  // control characters never start a focus
  EXPECT_EQ(Rules().byFirstLetter[0xff].size(), 1u);
  ResetRules();
}

TEST(Exceptions, WholeWordsAndSuffixes) {
  TempFiles files;
  EXPECT_FALSE(LoadExceptions(files.Path("missing.exc")));
  ASSERT_TRUE(LoadExceptions(files.Write("e.exc", Cp1252::FromUtf8(
      "casa=kaza | comment\nCASA=second\nsexo=sécso\nvazio\n\n" + std::string(300, 'Q') + "=x\n"))));
  EXPECT_EQ(ApplyExceptions("CASA"), "KAZA");
  EXPECT_EQ(ApplyExceptions("CASAS"), "KAZAS");
  EXPECT_EQ(ApplyExceptions("CASAM"), "KAZAM");
  EXPECT_EQ(ApplyExceptions("CASASMS"), "KAZASMS");
  EXPECT_EQ(ApplyExceptions(Cp1252::FromUtf8("SEXOS")), Cp1252::FromUtf8("SÉCSOS"));
  EXPECT_EQ(ApplyExceptions("VAZIO"), "");
  EXPECT_EQ(ApplyExceptions("CASO"), "CASO");
  EXPECT_EQ(ApplyExceptions("SS"), "SS");
  EXPECT_EQ(ApplyExceptions(""), "");
  // The 255-character cut leaves a key of Qs and no "=".
  EXPECT_EQ(ApplyExceptions(std::string(255, 'Q')), "");

  std::string many;
  for (int i = 0; i < 16000; ++i) many += "W" + std::to_string(i) + "=Z\n";
  ASSERT_TRUE(LoadExceptions(files.Write("many.exc", many)));
  EXPECT_EQ(Exceptions().words.size(), kMaxExceptions);
  EXPECT_EQ(ApplyExceptions("W14999"), "Z");
  EXPECT_EQ(ApplyExceptions("W15000"), "W15000");
  ResetExceptions();
}

TEST(TokensToPhonemes, TokensPausesAndStress) {
  TempFiles files;
  Rules(files, "(C)=k\n(A)=a\n(S)=s\n(D)=d\n(E)=e\n(P)=p\n(R)=r\n(N)=n\n(Ã)=an&w\n(O)=o\n(M)=m\n");
  ASSERT_TRUE(LoadExceptions(files.Write("e.exc", "CASA=CAZA\n")));
  const Lines out = TokensToPhonemes({"555|", "456|casas", "555|,", "555| ", "555|de", "555|para", "555|" + Cp1252::FromUtf8("não"), "555|com"});
  const Lines expected = {";555|", "__", "", ";456|casas", "k", ">a", "a", "s", "",  // CAZA + S, no Z rule
                          ";555|,", "_,", ";555| ", ";555|de", "d", "e", "", ";555|para", "p", ">a", "r", "a", "",
                          ";555|" + Cp1252::FromUtf8("não"), "n", "an", "w", "o", "", ";555|com", "k", "o", "m", "", "__"};
  EXPECT_EQ(out, expected);
}

TEST(ApplyLiaison, FinalRAndSBeforeVowels) {
  Lines lines = {";555|", "__", "", ";555|mar", "m", ">a", "r2", "", ";555|azul", "a", ">z", "u", "w", "",
                 ";555|dois", "d", ">o", "y", "s2", "", ";555|olhos", ">O", "L", "U", "s2", "",
                 ";555|mar", "m", ">a", "r2", "", ";555|seco", "s", ">e", "k", "U", "", "__"};
  ApplyLiaison(lines);
  EXPECT_EQ(lines[6], "r");   // mar azul
  EXPECT_EQ(lines[18], "z");  // dois olhos: the open vowel links too
  EXPECT_EQ(lines[29], "r2");  // mar seco
  EXPECT_EQ(lines[24], "s2");  // the last word links to nothing
  Lines tiny = {";555|"};
  ApplyLiaison(tiny);
  EXPECT_EQ(tiny.size(), 1u);
}
