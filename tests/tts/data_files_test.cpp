// The engine's own Brazilian Portuguese data files, loaded and run through every stage.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text/cp1252.h"
#include "sonora_words.h"
#include "temp_files.h"
#include "tts/prosody_tables.h"
#include "tts/text_engine.h"

using namespace Sonora;

TEST_F(SonoraData, EverydayWords) {
  EXPECT_EQ(Words("casa"), std::vector<std::string>{"casa: k >a z ¨@"});
  EXPECT_EQ(Words("jardim café rua"),
            (std::vector<std::string>{"jardim: Z a r dZ >in", "café: k a f >E", "rua: R >u ¨@"}));
  EXPECT_EQ(Words("coração"), std::vector<std::string>{"coração: k o r a s >an w"});
  EXPECT_EQ(Words("aqui seguinte"), (std::vector<std::string>{"aqui: a k >i", "seguinte: s e g >in tS ¨I"}));
  EXPECT_EQ(Words("filho chave quero"),
            (std::vector<std::string>{"filho: f >i L ¨U", "chave: S >a v ¨I", "quero: k >e r ¨U"}));
}

TEST_F(SonoraData, NumbersAbbreviationsAndLiaison) {
  EXPECT_EQ(Words("Dr. Paz")[0], "doutor: d o w t >o r2");
  // "dez" and "anos" link: the final s2 of "dois" before a vowel is a z.
  EXPECT_EQ(Words("dois anos")[0], "dois: d >o y z");
  EXPECT_EQ(Words("mar azul")[0], "mar: m >a r");
  EXPECT_EQ(Words("mar seco")[0], "mar: m >a r2");
  EXPECT_EQ(Words("21").size(), 3u);  // vinte e um
}

TEST_F(SonoraData, MbrolaLinesOfAPhrase) {
  const auto lines = TextToMbrolaLines(Cp1252::FromUtf8("Você vem?"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), ";");
  EXPECT_EQ(lines.back(), "_ 150");
  bool question = false;
  for (const std::string& l : lines) {
    question |= l == ";?";
    if (l.empty() || l[0] == ';') continue;
    // Every MBROLA line is a name, a duration and pairs of position and pitch.
    std::size_t fields = 1;
    for (char c : l) fields += c == ' ';
    EXPECT_TRUE(fields == 2 || fields == 4) << l;
  }
  EXPECT_TRUE(question);
  EXPECT_TRUE(TextToMbrolaLines("   ").empty());
}

TEST(DataFilesMissing, EachFileHasItsMessage) {
  TempFiles files;
  const Sonora::DataFiles real = DataFilesIn(SONORA_DATA_DIR);
  std::string error;
  Sonora::DataFiles broken = real;
  broken.abbreviations = files.Path("none.abr");
  EXPECT_FALSE(LoadTextData(broken, error));
  EXPECT_EQ(error, "Erro no arquivo de abreviaturas");
  broken = real;
  broken.exceptions = files.Path("none.exc");
  EXPECT_FALSE(LoadTextData(broken, error));
  EXPECT_EQ(Cp1252::ToUtf8(error), "Erro na base de dados de português");
  broken = real;
  broken.diphones = files.Path("none.dfn");
  EXPECT_FALSE(LoadTextData(broken, error));
  EXPECT_EQ(Cp1252::ToUtf8(error), "Erro no arquivo de prosódia");
  broken = real;
  broken.prosody = files.Write("bad.pro", "[CHAVES]\n");
  EXPECT_FALSE(LoadTextData(broken, error));
  EXPECT_EQ(Cp1252::ToUtf8(error), "Erro no arquivo de prosódia");
  ResetTextData();
}
