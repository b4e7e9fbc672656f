// The diphone voice's notation: words with every spelling rule, the normalisation of
// accented letters and DOS letters, the stress finder's fixed cases, malformed rule files,
// and the diphone names the phones give.
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "platform/text/cp1252.h"
#include "speech/diphone_notation.h"
#include "speech/diphone_phones.h"
#include "tts/rules.h"

namespace {

const std::string kDir = FONIX_DIPHONE_RULES_DIR;

class Notation : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(DiphoneNotation::LoadFiles(kDir + "/regras.rgr", kDir + "/portug.exc"), 0); }
  void TearDown() override { DiphoneNotation::ResetFiles(); }
};

std::string Of(std::string_view text) { return DiphoneNotation::TextNotation(text); }

TEST_F(Notation, WordsWithEverySpellingRule) {
  EXPECT_EQ(Of("casa"), "[k/A/z/a]");
  EXPECT_EQ(Of("chave"), "[x/A/v/i]");
  EXPECT_EQ(Of("carro"), "[k/A/rr/u]");
  EXPECT_EQ(Of("cantar"), "[k/a^n/t/A/rh]");
  EXPECT_EQ(Of("carta"), "[k/A/rh/t/a]");
  EXPECT_EQ(Of("honra"), "[O^n/rr/a]");
  EXPECT_EQ(Of("manh\xE3"), "[m/a/nh/A^]");
  EXPECT_EQ(Of("cora\xE7\xE3o"), "[k/o/r/a/s/A~w]");
  EXPECT_EQ(Of("filho"), "[f/I/lh/u]");
  EXPECT_EQ(Of("t\xE1xi"), "[t/A/k/s/i]");
  EXPECT_EQ(Of("guerra"), "[g/Eh/rr/a]");
  EXPECT_EQ(Of("quero"), "[k/E/r/u]");
  EXPECT_EQ(Of("hospital"), "[o/s/p/i/t/A/w]");
  EXPECT_EQ(Of("Brasil"), "[b/r/a/z/I/w]");
  EXPECT_EQ(Of("computador"), "[k/o^m/p/u/t/a/d/O/rh]");
  EXPECT_EQ(Of("v\xED""deos"), "[v/I/dj/i/u/s]");
  EXPECT_EQ(Of("escola"), "[e/s/k/Oh/l/a]");
  EXPECT_EQ(Of("tempo bem"), "[t/E^m/p/u] [b/e~yn]");
  EXPECT_EQ(Of("dia"), "[dj/I/a]");
  EXPECT_EQ(Of("tia"), "[tch/I/a]");
  // Nasal diphthongs, x readings, s before voiced consonants, g before e, final z.
  EXPECT_EQ(Of("m\xE3""e"), "[m/A~y]");
  EXPECT_EQ(Of("caixa"), "[k/Ay/x/a]");
  EXPECT_EQ(Of("exame"), "[ez/A/m/i]");
  EXPECT_EQ(Of("mesmo"), "[m/E/z/m/u]");
  EXPECT_EQ(Of("gente"), "[j/E^n/tch/i]");
  EXPECT_EQ(Of("luz"), "[l/u/s]");
  EXPECT_EQ(Of("rato"), "[rr/A/t/u]");
  EXPECT_EQ(Of("casa chave"), "[k/A/z/a] [x/A/v/i]");
}

TEST_F(Notation, ConsonantWordsAreSpelledAndUnknownLettersKeptAsRecordedUnits) {
  EXPECT_EQ(Of("bcd"), "[ /_b][ /_c][ /_d]");
  EXPECT_EQ(Of("\xAB"), "[ /_\xAA]");  // the sign of 171 has no rule
}

TEST(DiphonePhones, EveryPairAndEveryPhoneAloneHasANameOfItsOwn) {
  std::map<std::string, std::string> owner;
  const int n = static_cast<int>(DiphonePhones::Table().size());
  auto claim = [&owner](const std::string& name, const std::string& what) {
    const auto [it, fresh] = owner.emplace(name, what);
    EXPECT_TRUE(fresh) << name << " names both " << it->second << " and " << what;
    EXPECT_LE(name.size(), 8u) << what;
  };
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b)
      if (a != DiphonePhones::kSilence || b != DiphonePhones::kSilence) claim(DiphonePhones::PairName(a, b), std::to_string(a) + "-" + std::to_string(b));
  for (int a = 1; a < n; ++a)
    if (DiphonePhones::Table()[std::size_t(a)].code.size() == 1) claim(DiphonePhones::SoloName(a), std::to_string(a) + " alone");
}

TEST(Normalise, AccentedLettersBecomeBaseAndMark) {
  using DiphoneNotation::Normalise;
  EXPECT_EQ(Normalise("\xE7\xC7"), "ssss");
  EXPECT_EQ(Normalise("\xE1\xE0\xE2\xE3\xE9\xEA\xED\xF3\xF4\xF5\xFA\xFC"), "a'a`a^a~e'e^i'o'o^o~u'u");
  EXPECT_EQ(Normalise("\xC4\xE4\xD6\xF6\xC5\xE6\xD1\xD7\xF7\xD8\xF8"), "a~a~o`o`aaenhxx00");
  EXPECT_EQ(Normalise("\xEB\xEF"), "e\"i\"");
  // Letters of the DOS code page.
  EXPECT_EQ(Normalise("\x80\x87\x81\x82\x83\x84\x85\x86\x88\x89\x8A"), "ssssu\"e'a^a~a`a'e^e\"e`");
  EXPECT_EQ(Normalise("\x8B\x8C\x8D\x8E\x8F\x90\x91\x92\x93\x94\x95"), "i\"i^i`a~a'e'ae-o^o~o`");
  EXPECT_EQ(Normalise("\x96\x97\x98\x99\x9A\xA0\xA1\xA2\xA3\xA4\xA5"), "u^u`y-o~u\"a'i'o'u'nhnh");
  EXPECT_EQ(Normalise("\xA7\xA8\xBF\xAB\xAD\xAE\xAF\xBB"), "\xA7??\xAA!\"\"\xBA");
  // Nothing to say: blank, NUL, blank.
  const std::string gap(" \0 ", 3);
  EXPECT_EQ(Normalise("\xDF"), gap);
  EXPECT_EQ(Normalise("\xFF\x01"), gap + gap);
  EXPECT_EQ(Normalise("\x9B"), gap);
  // w and y beside a letter; the apostrophe after d.
  EXPECT_EQ(Normalise("show yes w"), "shou ies w");
  EXPECT_EQ(Normalise("d'agua D'Ouro o'"), "dagua DOuro o'");
}

TEST(Stress, FixedCasesAndEndings) {
  using DiphoneNotation::FindStress;
  EXPECT_EQ(FindStress("cafe'"), 0u);
  EXPECT_EQ(FindStress("manha~"), 0u);
  EXPECT_EQ(FindStress("mar"), 0u);     // one vowel
  EXPECT_EQ(FindStress("sol"), 2u);     // one vowel, ends in l
  EXPECT_EQ(FindStress("casa"), 2u);
  EXPECT_EQ(FindStress("casas"), 2u);
  EXPECT_EQ(FindStress("cantar"), 5u);
  EXPECT_EQ(FindStress("quero"), 3u);   // the u of qu is no vowel
  EXPECT_EQ(FindStress("dia"), 2u);     // hiatus
  EXPECT_EQ(FindStress("meio"), 2u);    // glide
  EXPECT_EQ(FindStress("falam"), 2u);
  EXPECT_EQ(FindStress("jardim"), 5u);
  EXPECT_EQ(FindStress("papai"), 4u);
  EXPECT_EQ(FindStress("cadeira"), 4u);
}

std::string Write(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(RuleFile, MalformedLinesAreTakenAsTheyParse) {
  const std::string rules = Write("bad.rgr", "(A=a\nA)=x\n()=b\n(BBBBBBBB)=cccccccccccccccccc\n" + std::string(10000, '(') +
                                                 "\n(C)XXXXXXXX=k\n#(S)#=z\n");
  const std::string exc = Write("bad.exc", "\n=\nsem igual\n" + std::string(10000, 'x') + "\n");
  ASSERT_EQ(DiphoneNotation::LoadFiles(rules, exc), 0);
  const auto& lists = DiphoneNotation::Files().rules.byFirstLetter;
  ASSERT_EQ(lists['B'].size(), 1u);
  EXPECT_EQ(lists['B'][0].focus, "BBBBB");          // fields cut at their widths
  EXPECT_EQ(lists['B'][0].output, "ccccccccccc");   // 11 characters
  EXPECT_EQ(lists['C'][0].right, "XXXXX");
  EXPECT_TRUE(lists['('].empty() || lists['('].size() == 1);
  EXPECT_EQ(DiphoneNotation::TextNotation("casa"), "[ /_c /_A/z /_a]");
  DiphoneNotation::ResetFiles();
}

TEST(RuleFile, EmptyOrMissingFiles) {
  const std::string empty = Write("empty.rgr", "");
  EXPECT_EQ(DiphoneNotation::LoadFiles(empty, empty), 0);
  EXPECT_EQ(DiphoneNotation::TextNotation("casa"), "[ /_c /_A /_s /_a]");
  EXPECT_EQ(DiphoneNotation::LoadFiles(empty, "/nonexistent/portug.exc"), 2);
  EXPECT_EQ(DiphoneNotation::LoadFiles("/nonexistent/regras.rgr", empty), 2);
  DiphoneNotation::ResetFiles();
}

TEST(RuleFile, EveryContextSymbol) {
  // Outputs without vowels, so that the stressed vowel's capital does not show.
  const std::string rules = Write("ctx.rgr",
                                  "(A)#=1\n(A)%=2\n(E)&=3\n(I)*=4\n(O)+=5\n(U)[=6\n(Y)\\B=7\n"
                                  "#(K)=8\n%(K)=9\n](G)=x\n_(J)=w\n|(V)=z\n"
                                  "(A)=p\n(E)=t\n(I)=f\n(O)=k\n(U)=m\n(Y)=y\n(K)=k\n(G)=g\n(J)=j\n(V)=v\n");
  const std::string exc = Write("ctx.exc", "");
  ASSERT_EQ(DiphoneNotation::LoadFiles(rules, exc), 0);
  auto out = [](std::string_view w) { return DiphoneNotation::WordNotation(w); };
  EXPECT_EQ(out("ae"), "[1/t]");           // # a vowel
  EXPECT_EQ(out("ba"), "[ /_b/2]");        // % the end
  EXPECT_EQ(out("eb"), "[t /_b]");
  EXPECT_EQ(out("el"), "[3 /_l]");         // & L M N R Z
  EXPECT_EQ(out("it"), "[4 /_t]");         // * a consonant but L and R
  EXPECT_EQ(out("ir"), "[f /_r]");
  EXPECT_EQ(out("oe"), "[5/t]");           // + a front vowel
  EXPECT_EQ(out("oa"), "[k/2]");
  EXPECT_EQ(out("ub"), "[6 /_b]");         // [ a consonant but H, or the end
  EXPECT_EQ(out("uh"), "[m /_h]");
  EXPECT_EQ(out("bu"), "[ /_b/6]");
  EXPECT_EQ(out("aysb"), "[p/7 /_s /_b]"); // \ an optional S
  EXPECT_EQ(out("ayb"), "[p/7 /_b]");
  EXPECT_EQ(out("ak"), "[p/8]");           // # on the left
  EXPECT_EQ(out("ka"), "[9/2]");           // % the start
  EXPECT_EQ(out("og"), "[k/x]");           // ] a back vowel
  EXPECT_EQ(out("eg"), "[t/g]");
  EXPECT_EQ(out("ja"), "[w/2]");           // _ the start or a vowel
  EXPECT_EQ(out("aja"), "[p/w/2]");
  EXPECT_EQ(out("bja"), "[ /_b/j/2]");
  EXPECT_EQ(out("nva"), "[ /_n/z/2]");     // | N R S
  EXPECT_EQ(out("bva"), "[ /_b/v/2]");
  DiphoneNotation::ResetFiles();
}

}  // namespace
