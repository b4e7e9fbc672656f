// The prosody file and its messages, tokens and patterns, durations, pitch points and
// diphone fillers.
#include <gtest/gtest.h>

#include "platform/text/cp1252.h"
#include "temp_files.h"
#include "tts/phrases.h"
#include "tts/prosody.h"
#include "tts/prosody_tables.h"

using namespace Sonora;

namespace {

using Lines = std::vector<std::string>;

const std::string kDurations = "[DURAÇÃO]\n; comment\n* comment\n\na=80\nk = 60 \n_,=250\nlongname=70\n";
const std::string kKeys = "[CHAVES]\nde=pr\nO=ARTIGO\n";
const std::string kPatterns = "[PROSÓDIA]\nhertz=200\nTABHERTZ=50,60,70,80,90,100,110,120,130,0\n|XX|?\?=486\n|PR|=?31\n";

bool Load(const TempFiles& files, const std::string& utf8) {
  return LoadProsody(files.Write("p.pro", Cp1252::FromUtf8(utf8)));
}

std::string Message() { return Prosody().messages.empty() ? "" : Cp1252::ToUtf8(Prosody().messages.back()); }

}  // namespace

TEST(LoadProsody, SectionsInAnyOrder) {
  TempFiles files;
  ASSERT_TRUE(Load(files, kPatterns + kKeys + kDurations));
  EXPECT_TRUE(Prosody().messages.empty());
  EXPECT_EQ(PhonemeDuration("a"), 80);
  EXPECT_EQ(PhonemeDuration("k"), 60);
  EXPECT_EQ(PhonemeDuration("lo"), 70);  // names are cut to two characters
  EXPECT_EQ(PhonemeDuration("z"), 100);
  EXPECT_EQ(KeyWordClass("DE"), "PR");
  EXPECT_EQ(KeyWordClass("O"), "AR");
  EXPECT_EQ(KeyWordClass("CASA"), "XX");
  EXPECT_EQ(Prosody().basePitch, 200);
  EXPECT_EQ(Prosody().pitchTable[9], 0);
  ASSERT_EQ(Prosody().patterns.size(), 2u);
  EXPECT_EQ(Prosody().patterns[1].current, "PR");
  EXPECT_EQ(Prosody().patterns[1].pattern, "?31");
}

TEST(LoadProsody, MessagesForBrokenFiles) {
  TempFiles files;
  EXPECT_FALSE(LoadProsody(files.Path("missing.pro")));
  EXPECT_EQ(Message(), "Configuração da prosódia não foi achada");
  EXPECT_FALSE(Load(files, kKeys + kPatterns));
  EXPECT_EQ(Message(), "Duração dos difones errada ou ausente");
  EXPECT_FALSE(Load(files, kDurations + kPatterns));
  EXPECT_EQ(Message(), "Prosódia: palavras chaves ausentes");
  EXPECT_FALSE(Load(files, kDurations + kKeys));
  EXPECT_EQ(Message(), "Prosódia: especificações ausentes");
  EXPECT_FALSE(Load(files, "[DURAÇÃO]\na 80\n" + kKeys + kPatterns));
  EXPECT_EQ(Message(), "Configuração da prosódia: fonema errado: a 80");
  EXPECT_FALSE(Load(files, kDurations + "[CHAVES]\nsem igual\n" + kPatterns));
  EXPECT_EQ(Message(), "Configuração da prosódia: chave errada: sem igual");
  EXPECT_FALSE(Load(files, kDurations + kKeys + "[PROSÓDIA]\n|XX|\n"));
  EXPECT_EQ(Message(), "Configuração da prosódia: chave errada: |XX|");
  // A duration that is not a number is reported, counts as 100, and loading goes on.
  EXPECT_TRUE(Load(files, "[DURAÇÃO]\na=muito\nb=1x\n" + kKeys + kPatterns));
  EXPECT_EQ(Prosody().messages.size(), 2u);
  EXPECT_EQ(Message(), "Configuração da prosódia: fonema errado: b=1x");
  ASSERT_EQ(Prosody().durations.size(), 2u);
  EXPECT_EQ(Prosody().durations[0], (std::pair<std::string, int>{"a", 100}));
}

TEST(LoadProsody, OversizedAndBinaryLinesStayInBounds) {
  TempFiles files;
  std::string big = kDurations + kKeys + "[PROSÓDIA]\n";
  big += std::string(100000, '|') + "=" + std::string(100000, '7') + "\n";
  big += "A|B|C|D|E=12\nTABHERTZ=1,2\nHERTZ=x\n";
  big += std::string("\x00\x01\xff=\x80", 5) + "\n";
  ASSERT_TRUE(LoadProsody(files.Write("big.pro", Cp1252::FromUtf8(big.substr(0, big.find('\x00'))) + big.substr(big.find('\x00')))));
  const auto& p = Prosody().patterns;
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].pattern, "777");
  EXPECT_EQ(p[1].previous, "A");
  EXPECT_EQ(p[1].current, "B");
  EXPECT_EQ(p[1].next, "C");
  EXPECT_EQ(p[1].pattern, "125");  // patterns are kept three digits wide
  EXPECT_EQ(p[2].pattern, "555");
  EXPECT_EQ(Prosody().pitchTable[0], 1);
  EXPECT_EQ(Prosody().pitchTable[1], 2);
  EXPECT_EQ(Prosody().pitchTable[2], ProsodyState{}.pitchTable[2]);  // the rest keep their values
  EXPECT_EQ(Prosody().basePitch, 230);
  ResetProsody();
}

TEST(LoadDiphoneList, NamesAndLookup) {
  TempFiles files;
  EXPECT_FALSE(LoadDiphoneList(files.Path("missing.dfn")));
  ASSERT_TRUE(LoadDiphoneList(files.Write("d.dfn", "; comment\n! comment\n* comment\n\n  a-b\nr2 _  12 34\ntS\ty\n@-E\n" +
                                                       std::string(100000, 'x') + "\n\x01\x02\n")));
  EXPECT_TRUE(HasDiphone("a", "b"));
  EXPECT_TRUE(HasDiphone("A", "B"));  // letter case does not count
  EXPECT_TRUE(HasDiphone("r2", "_"));
  EXPECT_TRUE(HasDiphone("tS", "y"));
  EXPECT_TRUE(HasDiphone("@", "e"));
  EXPECT_FALSE(HasDiphone("b", "a"));
  EXPECT_FALSE(HasDiphone("comment", ""));
  ResetProsody();
}

TEST(Tokenize, ClassesAndPhraseEnds) {
  TempFiles files;
  ASSERT_TRUE(Load(files, kDurations + kKeys + kPatterns));
  EXPECT_EQ(Tokenize("  casa de Ana, sim! ... fim"),
            (Lines{"[--]", "[XX]casa", "[PR]de", "[XX]Ana", "[,,],", "[XX]sim", "[!!]!", "[--]", "[.-].", "[--]", "[XX]fim"}));
  EXPECT_EQ(Tokenize(""), (Lines{"[--]"}));
  EXPECT_EQ(Tokenize("o?"), (Lines{"[--]", "[AR]o", "[??]?", "[--]"}));
}

TEST(ChoosePatterns, MatchesAndCarriedDigit) {
  TempFiles files;
  ASSERT_TRUE(Load(files, kDurations + kKeys + "[PROSÓDIA]\n|XX|?\?=486\n|PR|=?31\n|XX|=246\n"));
  EXPECT_EQ(ChoosePatterns({"[--]", "[XX]casa", "[PR]de", "[XX]quem", "[??]?", "[--]"}),
            (Lines{"555|", "246|casa", "631|de", "486|quem", "555|?", "555|"}));
  // The first line has no previous pattern: the carried digit is 5.
  EXPECT_EQ(ChoosePatterns({"[PR]de"}), (Lines{"531|de"}));
  EXPECT_EQ(ChoosePatterns({}), Lines{});
}

TEST(ApplyProsody, DurationsAndPitch) {
  TempFiles files;
  ASSERT_TRUE(Load(files, "[DURAÇÃO]\n_,=250\n__=200\n" + kKeys + "[PROSÓDIA]\nHERTZ=200\nTABHERTZ=50,60,70,80,90,100,110,120,130,0\n"));
  ASSERT_TRUE(LoadDiphoneList(files.Write("all.dfn", "_-_\n_-k\nk-a\na-z\nz-a\na-_\n_-p\np-a\nk-y\ny-p\n")));
  const Lines out = ApplyProsody({";246|casa", "k", ">a", "z", "\xA8" "a", "", ";555|,", "_,", ";555|", "_ 30", "", "__"}, 1.0, 1.0);
  EXPECT_EQ(out, (Lines{";casa", "k 100 50 140", "a 145 80 180", "z 100", "a 100 50 220", "", ";,", "_ 250 50 200",
                        ";", "_ 30 50 200", "", "_ 200"}));
  // Fourteen letters: before the stress 80 %, the stressed phoneme 145 %.
  const Lines longWord = ApplyProsody({";555|abcdefghijklm", "k", ">a", ""}, 1.0, 1.0);
  EXPECT_EQ(longWord[1], "k 80 50 200");
  EXPECT_EQ(longWord[2], "a 145 80 200");
  const Lines tenLetters = ApplyProsody({";555|abcdefghi", "k", ">a", ""}, 1.0, 1.0);
  EXPECT_EQ(tenLetters[1], "k 90 50 200");
  // Factors scale the products before the hundredths are dropped.
  const Lines scaled = ApplyProsody({";555|ka", "k", ">a", ""}, 1.05, 0.825);
  EXPECT_EQ(scaled[1], "k 82 50 210");
  EXPECT_EQ(scaled[2], "a 119 80 210");
  // Products are rounded, not cut: 1 x 0.5 x 29999 = 14999.5 gives 150 Hz, not 149.
  ASSERT_TRUE(Load(files, "[DURAÇÃO]\n" + kKeys + "[PROSÓDIA]\nHERTZ=29999\nTABHERTZ=1,1,1,1,1,1,1,1,1,0\n"));
  EXPECT_EQ(ApplyProsody({";555|ka", "k", ""}, 0.5, 1.0)[1], "k 100 50 150");
  // A digit whose table value is 0 gives no point.
  EXPECT_EQ(ApplyProsody({";995|ka", "k", ""}, 1.0, 1.0)[1], "k 100");
}

TEST(ApplyProsody, LengtheningEndsAtTheNextSyllable) {
  TempFiles files;
  ASSERT_TRUE(Load(files, "[DURAÇÃO]\n" + kKeys + "[PROSÓDIA]\nHERTZ=100\nTABHERTZ=0,0,0,0,0,0,0,0,0,0\n"));
  ASSERT_TRUE(LoadDiphoneList(files.Write("all.dfn", "_-p\np-O\nO-r2\nr2-t\nt-a\n_-o\no-w\nw-t\nt-r\nr-U\n_-m\nm-a\na-y\ny-s2\n")));
  // The coda of the stressed syllable stays long; the consonant that opens the next one does not.
  EXPECT_EQ(ApplyProsody({";555|porta", "p", ">O", "r2", "t", "a", ""}, 1.0, 1.0),
            (Lines{";porta", "p 100", "O 145", "r2 145", "t 100", "a 100", ""}));
  // An obstruent before a tap and a vowel opens the syllable too; a glide is still coda.
  EXPECT_EQ(ApplyProsody({";555|outro", ">o", "w", "t", "r", "U", ""}, 1.0, 1.0),
            (Lines{";outro", "o 145", "w 145", "t 100", "r 100", "U 100", ""}));
  // A stressed last syllable keeps its coda long to the end of the word.
  EXPECT_EQ(ApplyProsody({";555|mais", "m", ">a", "y", "s2", ""}, 1.0, 1.0),
            (Lines{";mais", "m 100", "a 145", "y 145", "s2 145", ""}));
  ResetProsody();
}

TEST(ApplyProsody, FillersForMissingDiphones) {
  TempFiles files;
  ASSERT_TRUE(Load(files, kDurations + kKeys + kPatterns));
  ASSERT_TRUE(LoadDiphoneList(files.Write("d.dfn", "_-k\nk-y\nr2-_\n_-p\n")));
  const Lines out = ApplyProsody({";000|kp", "k", "p", "", ";000|rp", "r2", "p", "", ";000|a", "a", ""}, 1.0, 1.0);
  EXPECT_EQ(out, (Lines{";kp", "k 60 50 100", "y 50", "p 100", "", ";rp", "_ 50", "r2 100 50 100", "_ 50", "p 100", "",
                        ";a", "_ 50", "a 80 50 100", ""}));
  ResetProsody();
}
