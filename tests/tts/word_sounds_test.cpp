// Sounds that depend on the stress (the pass after the rules), and the phonemes the shipped
// data files give for words whose spelling is easy to misread.
#include <gtest/gtest.h>

#include "platform/text/cp1252.h"
#include "sonora_words.h"
#include "tts/text_engine.h"
#include "tts/word_sounds.h"

using namespace Sonora;

namespace {

using Lines = std::vector<std::string>;

Lines Adjusted(Lines word) {
  AdjustWordSounds(word, 0, word.size());
  return word;
}

// The shipped data loaded.
class ShippedData : public SonoraData {};

}  // namespace

TEST(AdjustWordSounds, StressLeavesGlides) {
  EXPECT_EQ(Adjusted({"m", "a", ">y", "\xA8U"}), (Lines{"m", ">a", "y", "\xA8U"}));  // maio
  EXPECT_EQ(Adjusted({"k", "a", ">y", "w"}), (Lines{"k", "a", ">i", "w"}));          // caiu
  EXPECT_EQ(Adjusted({">y", "\xA8U"}), (Lines{">y", "\xA8U"}));                      // nothing before it
  EXPECT_EQ(Adjusted({"p", "a", "y"}), (Lines{"p", "a", "y"}));                      // no stress at all
}

TEST(AdjustWordSounds, NasalAndReducedA) {
  EXPECT_EQ(Adjusted({">a", "n", "\xA8U"}), (Lines{">an", "n", "\xA8U"}));                              // ano
  EXPECT_EQ(Adjusted({"Z", "a", "n", ">E", "l", "\xA8@"}), (Lines{"Z", "@", "n", ">E", "l", "\xA8@"}));  // janela
  EXPECT_EQ(Adjusted({"g", "a", "J", ">a", "r2"}), (Lines{"g", "an", "J", ">a", "r2"}));                // ganhar
  // Before a consonant, after the stress or at the end of the word, a stays as it is.
  EXPECT_EQ(Adjusted({"k", ">a", "m", "p", "U"}), (Lines{"k", ">a", "m", "p", "U"}));
  EXPECT_EQ(Adjusted({"k", ">a", "m", "a", "n", "\xA8@"}), (Lines{"k", ">an", "m", "a", "n", "\xA8@"}));
  EXPECT_EQ(Adjusted({"f", "a", ">n"}), (Lines{"f", "a", ">n"}));
}

TEST(AdjustWordSounds, GlidesAfterTheStress) {
  EXPECT_EQ(Adjusted({"v", ">a", "r", "i", "\xA8U", "s2"}), (Lines{"v", ">a", "r", "y", "\xA8U", "s2"}));  // vários
  EXPECT_EQ(Adjusted({"v", ">i", "d", "e", "\xA8U"}), (Lines{"v", ">i", "dZ", "y", "\xA8U"}));             // vídeo
  EXPECT_EQ(Adjusted({"p", "a", "t", "i", ">o"}), (Lines{"p", "a", "t", "i", ">o"}));  // before the stress: a vowel
  EXPECT_EQ(Adjusted({"p", ">e", "t", "e", "k", "a"}), (Lines{"p", ">e", "t", "e", "k", "a"}));
}

TEST_F(ShippedData, NasalVowels) {
  // Before a consonant the nasal vowel alone (the voice records its murmur with it).
  EXPECT_EQ(Words("tempo vinte comprar"), (Lines{"tempo: t >en p ¨U", "vinte: v >in tS ¨I", "comprar: k on p r >a r2"}));
  // A stressed a before a nasal consonant is nasal, an unstressed one before it reduced.
  EXPECT_EQ(Words("semana janela ganhar"),
            (Lines{"semana: s e m >an n ¨@", "janela: Z @ n >E l ¨@", "ganhar: g an J >a r2"}));
}

TEST_F(ShippedData, TapsGlidesAndStress) {
  EXPECT_EQ(Words("porta servidor"), (Lines{"porta: p >O r t ¨@", "servidor: s e r v i d >o r2"}));
  EXPECT_EQ(Words("praia leia caiu"), (Lines{"praia: p r >a y ¨@", "leia: l >e y ¨@", "caiu: k a >i w"}));
  EXPECT_EQ(Words("vídeo notícias"), (Lines{"vídeo: v >i dZ y ¨U", "notícias: n o tS >i s y ¨@ s2"}));
  EXPECT_EQ(Words("mensagens"), Lines{"mensagens: m en s >a Z ¨en y s2"});
}

TEST_F(ShippedData, FunctionWordsAndVowelQuality) {
  // The one-syllable words keep a full a; a final a of a longer word is reduced.
  EXPECT_EQ(Words("a casa da mãe na rua"),
            (Lines{"a: a", "casa: k >a z ¨@", "da: d a", "mãe: m >an y", "na: n a", "rua: R >u ¨@"}));
  EXPECT_EQ(Words("sucesso professora pelo"),
            (Lines{"sucesso: s u s >E s ¨U", "professora: p r o f e s >o r ¨@", "pelo: p >e l ¨U"}));
  EXPECT_EQ(Words("festa resto este"), (Lines{"festa: f >E s t ¨@", "resto: R >E s t ¨U", "este: >e s tS ¨I"}));
}

TEST_F(ShippedData, AStatementWithoutAStopFallsLikeOne) {
  // Without its full stop the last word still gets the falling pattern, and no pause is added.
  Lines bare = TextToPhonemeLines("o gato"), stopped = TextToPhonemeLines("o gato.");
  std::erase(stopped, std::string("_."));
  EXPECT_EQ(bare, stopped);
  bool falling = false;
  for (const std::string& l : bare) falling |= l == ";541|gato";
  EXPECT_TRUE(falling);
  // A question keeps its own ending and gets no stop.
  const Lines asked = TextToPhonemeLines("o gato?");
  EXPECT_EQ(std::count(asked.begin(), asked.end(), std::string("_?")), 1);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), std::string(";541|gato")), 0);
}
