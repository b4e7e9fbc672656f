// Opening and closing the Sonora engine: each data file missing in turn, a missing, damaged
// or incomplete synthesizer, and the output file whose header is completed at close.
#include <cmath>

#include "platform/text/cp1252.h"
#include "tests/tts/sonora/engine_fixture.h"

namespace {

void CopyDataFilesExcept(const std::string& to, const std::string& leftOut) {
  std::filesystem::create_directories(to);
  for (const char* ext : {".nrl", ".exc", ".abr", ".pro", ".dfn"})
    if (leftOut != ext)
      std::filesystem::copy_file(Sonora::GeneratedSonoraFolder() + "/portug" + ext, to + "/portug" + ext,
                                 std::filesystem::copy_options::overwrite_existing);
}

TEST_F(EngineTest, OpensWithTheInstalledDataAndSpeaksBlanksAsNothing) {
  ASSERT_TRUE(Sonora::SonoraOpen("")) << Sonora::SonoraLastError();
  EXPECT_TRUE(Sonora::SonoraIsOpen());
  EXPECT_TRUE(Sonora::SonoraSpeak("   "));
  EXPECT_FALSE(Sonora::SonoraIsPlaying());
  Sonora::SonoraClose();
  EXPECT_FALSE(Sonora::SonoraIsOpen());
  EXPECT_FALSE(Sonora::SonoraSpeak("Bom dia")) << "a closed engine says nothing";
}

TEST_F(EngineTest, EachMissingDataFileHasItsMessage) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {".nrl", "Erro na base de dados de português"}, {".exc", "Erro na base de dados de português"},
      {".abr", "Erro no arquivo de abreviaturas"},     {".pro", "Erro no arquivo de prosódia"},
      {".dfn", "Erro no arquivo de prosódia"},
  };
  for (const auto& [ext, message] : cases) {
    std::filesystem::remove_all(Drive() + "/dados");
    CopyDataFilesExcept(Drive() + "/dados", ext);
    Settings("[SONORATTS]\r\nDIR=c:\\dados\r\n");
    Sonora::ResetEngine();
    EXPECT_FALSE(Sonora::SonoraOpen("")) << ext;
    EXPECT_EQ(Sonora::SonoraLastError(), Cp1252::FromUtf8(message)) << ext;
    EXPECT_FALSE(Sonora::SonoraIsOpen());
    EXPECT_EQ(Sonora::Engine().library, nullptr) << ext << ": the library stays loaded";
  }
  // All five there, under another base name given by BASE.
  std::filesystem::remove_all(Drive() + "/dados");
  CopyDataFilesExcept(Drive() + "/dados", "");
  for (const char* ext : {".nrl", ".exc", ".abr", ".pro", ".dfn"})
    std::filesystem::rename(Drive() + "/dados/portug" + ext, Drive() + "/dados/voz" + ext);
  Settings("[SONORATTS]\r\nDIR=c:\\dados\r\nBASE=voz\r\n");
  Sonora::ResetEngine();
  EXPECT_TRUE(Sonora::SonoraOpen("")) << Sonora::SonoraLastError();
}

TEST_F(EngineTest, ASynthesizerThatCannotServeLeavesTheEngineClosed) {
  struct Case {
    std::string settings, messagePart;
  };
  // A damaged copy of the voice, registered under the database's name.
  std::filesystem::create_directories(Drive() + "/vozes/br4");
  std::filesystem::copy_file(std::string(FONIX_SONORA_VOICE) + "/diphones.pcm", Drive() + "/vozes/br4/diphones.pcm");
  std::filesystem::copy_file(std::string(FONIX_SONORA_VOICE) + "/diphones.idx", Drive() + "/vozes/br4/diphones.idx");
  std::filesystem::resize_file(Drive() + "/vozes/br4/diphones.idx", 1000);
  const std::vector<Case> cases = {
      {"[SONORATTS]\r\nMBROLA_LIB=/nao/existe/libmbrola.so\r\n", "Biblioteca MBROLA"},
      {"[SONORATTS]\r\nMBROLA_LIB=" FONIX_LACKING_LIBRARY "\r\n", "appendf0_Phone"},
      {"[MBROLA]\r\nBR4=c:\\vozes\\br4\r\n", "truncated"},
      {"[MBROLA]\r\nBR4=c:\\vozes\\nenhuma\r\n", "not found"},
  };
  for (const Case& c : cases) {
    Settings(c.settings);
    Sonora::ResetEngine();
    EXPECT_FALSE(Sonora::SonoraOpen("")) << c.settings;
    EXPECT_NE(Sonora::SonoraLastError().find(Cp1252::FromUtf8(c.messagePart)), std::string::npos)
        << c.settings << ": " << Sonora::SonoraLastError();
    EXPECT_FALSE(Sonora::SonoraIsOpen());
    EXPECT_EQ(Sonora::Engine().library, nullptr);
  }
  // The library given as a drive path is found too.
  std::filesystem::copy_file(FONIX_MBROLA_LIBRARY, Drive() + "/vozes/outra.so");
  Settings("[SONORATTS]\r\nMBROLA_LIB=c:\\VOZES\\outra.so\r\n");
  Sonora::ResetEngine();
  EXPECT_TRUE(Sonora::SonoraOpen("")) << Sonora::SonoraLastError();
}

TEST_F(EngineTest, TheOutputFileHoldsEverySampleAndItsHeaderIsCompletedAtClose) {
  ASSERT_TRUE(Sonora::SonoraOpen("c:\\saida.wav")) << Sonora::SonoraLastError();
  Wave w;
  ASSERT_TRUE(ReadWave(Drive() + "/saida.wav", w));
  EXPECT_EQ(w.fileSize, 44u);
  EXPECT_EQ(w.dataSize, 0u) << "the header written at open";
  EXPECT_TRUE(Sonora::SonoraSpeak("Bom dia, como vai você?"_cp));
  EXPECT_FALSE(Sonora::SonoraIsPlaying()) << "nothing plays while writing to a file";
  EXPECT_TRUE(Sonora::SonoraSpeak("Tudo bem."));
  Sonora::SonoraClose();
  ASSERT_TRUE(ReadWave(Drive() + "/saida.wav", w));
  EXPECT_EQ(w.format, 1);
  EXPECT_EQ(w.channels, 1);
  EXPECT_EQ(w.rate, 16000u);
  EXPECT_EQ(w.bits, 16);
  EXPECT_EQ(w.dataSize, w.fileSize - 44);
  EXPECT_EQ(w.riffSize, w.dataSize + 36);
  const double seconds = w.samples.size() / 16000.0;
  EXPECT_GT(seconds, 1.5);
  EXPECT_LT(seconds, 6.0);
  double energy = 0;
  for (int16_t s : w.samples) energy += static_cast<double>(s) * s;
  EXPECT_GT(std::sqrt(energy / static_cast<double>(w.samples.size())), 500) << "speech, not silence";
  // Opening again replaces the file.
  ASSERT_TRUE(Sonora::SonoraOpen("c:\\saida.wav"));
  Sonora::SonoraClose();
  ASSERT_TRUE(ReadWave(Drive() + "/saida.wav", w));
  EXPECT_EQ(w.dataSize, 0u);
  // An output file that cannot be made fails the open.
  EXPECT_FALSE(Sonora::SonoraOpen("c:\\nao\\existe\\saida.wav"));
  EXPECT_EQ(Sonora::SonoraLastError(), "Arquivo de saída não pode ser criado"_cp);
  EXPECT_FALSE(Sonora::SonoraIsOpen());
}

}  // namespace
