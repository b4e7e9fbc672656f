// The keys of Auris.ini keep their defaults and parse rules.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "platform/text/cp1252.h"
#include "tests/support/temp_drive.h"

namespace fs = std::filesystem;

class SettingsKeys : public ::testing::Test {
 protected:
  TempDrive drive;
  void SetUp() override { Settings::ResetSettings(); }
  void TearDown() override { Settings::ResetSettings(); }
  void Ini(std::string_view text) const { drive.Write(drive.config / "Auris" / "Auris.ini", text); }
};

static std::string Table(const std::array<uint8_t, 16>& t) {
  std::string out;
  for (uint8_t v : t) out += std::to_string(v) + " ";
  return out;
}

TEST_F(SettingsKeys, DefaultsWithoutAFile) {
  const auto v = Settings::ReadVideoSettings();
  EXPECT_EQ(Table(v.tabCores), "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  EXPECT_FALSE(v.coresFixas);
  EXPECT_FALSE(v.lento);
  EXPECT_EQ(v.corFundo, 0);
  EXPECT_EQ(v.corLetra, 15);
  EXPECT_EQ(v.fonte, "Lucida Console");
  EXPECT_FALSE(v.larguraLetra);
  EXPECT_EQ(Settings::LarguraLetraFor(v, 1366), 17);  // 1366 / 1024 × 13 = 17.3
  EXPECT_EQ(Settings::AlturaLetraFor(v, 1101), 42);   // 1101 / 734 × 28 = 42.0
  EXPECT_EQ(v.pesoLetra, 700);
  EXPECT_TRUE(v.cantoTela);
  EXPECT_EQ(Settings::ReadBrailleModo(), 0);

  const auto a = Settings::ReadAurisSettings();
  EXPECT_FALSE(a.legado);
  EXPECT_EQ(a.tempoEsperaProgVoltar, 1000);
  EXPECT_EQ(a.timeoutRede, 20000);
  const auto t = Settings::ReadTradutorSettings();
  EXPECT_EQ(t.velocidade, 3);
  EXPECT_EQ(t.dirLetras, "c:\\orbis\\som\\letras\\");
  EXPECT_FALSE(t.sapi);
  EXPECT_EQ(Settings::ReadDirLetrasDirect(), "");
  EXPECT_EQ(Settings::ReadDirDifones(), "c:\\orbis\\som\\difones\\");
  const auto s = Settings::ReadSintetizadorSettings(2);
  EXPECT_EQ(s.difones, "DIFONES2");
  EXPECT_EQ(s.pausaPonto + s.pausaVirg * 1000 + s.pausaDoisPontos * 1000000, 250 + 150000 + 200000000);
  const auto b = Settings::ReadBaixaVisaoSettings();
  EXPECT_EQ(b.ampliacao * 1000 + b.corLetra * 100 + b.corFundo * 10 + b.corCursor, 0 + 1400 + 60 + 3);
  const auto o = Settings::ReadSonoraTtsSettings();
  EXPECT_EQ(o.mbrolaDb + " " + o.dir + " " + o.base, "br4 \\orbis\\sonoratts\\ portug");
  const auto f = Settings::ReadFonixSettings();
  EXPECT_EQ(f.dirFonix + "|" + f.dirDefault, "|c:\\orbis\\scripts");
}

TEST_F(SettingsKeys, TabCoresStopsAtTheFirstBadEntry) {
  EXPECT_EQ(Table(Settings::ParseTabCores("4,1")), "4 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  EXPECT_EQ(Table(Settings::ParseTabCores("4, 1,9")), "4 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  EXPECT_EQ(Table(Settings::ParseTabCores("4 ,1")), "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  EXPECT_EQ(Table(Settings::ParseTabCores("7,x,9")), "7 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  EXPECT_EQ(Table(Settings::ParseTabCores("1,,9")), "1 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  EXPECT_EQ(Table(Settings::ParseTabCores("15,16,3")), "15 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  EXPECT_EQ(Table(Settings::ParseTabCores("-1")), "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  EXPECT_EQ(Table(Settings::ParseTabCores("99999999999999999999")), "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  EXPECT_EQ(Table(Settings::ParseTabCores("15,14,13,12,11,10,9,8,7,6,5,4,3,2,1,0,7,7")),
            "15 14 13 12 11 10 9 8 7 6 5 4 3 2 1 0 ");
  Ini("[VIDEO]\nTABCORES=4,1\n");
  EXPECT_EQ(Table(Settings::ReadVideoSettings().tabCores), "4 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
  Ini("[VIDEO]\nTABCORES=\n");
  EXPECT_EQ(Table(Settings::ReadVideoSettings().tabCores), "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");
}

TEST_F(SettingsKeys, VideoKeys) {
  Ini("[VIDEO]\nCORESFIXAS=sim\nLENTO=Nao\nCORFUNDO=1\nCORLETRA=\nFONTE=DejaVu Sans Mono\n"
      "LARGURALETRA=9\nALTURALETRA=alto\nPESOLETRA=400\nCANTOTELA=não\n"
      "[BRAILLE]\nMODO=2\n");
  auto v = Settings::ReadVideoSettings();
  EXPECT_TRUE(v.coresFixas);
  EXPECT_FALSE(v.lento);
  EXPECT_EQ(v.corFundo, 1);
  EXPECT_EQ(v.corLetra, 7);  // present and empty
  EXPECT_EQ(v.fonte, "DejaVu Sans Mono");
  EXPECT_EQ(Settings::LarguraLetraFor(v, 1024), 9);
  EXPECT_EQ(Settings::AlturaLetraFor(v, 734), 0);  // not a number
  EXPECT_EQ(v.pesoLetra, 400);
  EXPECT_FALSE(v.cantoTela);
  EXPECT_EQ(Settings::ReadBrailleModo(), 2);

  Ini("[VIDEO]\nCORLETRA=verde\nCORFUNDO=99\nLARGURALETRA=\n[BRAILLE]\nMODO=7\n");
  v = Settings::ReadVideoSettings();
  EXPECT_EQ(v.corLetra, 15);
  EXPECT_EQ(v.corFundo, 0);
  EXPECT_FALSE(v.larguraLetra);
  EXPECT_EQ(Settings::ReadBrailleModo(), 3);  // first character AND 3
  Ini("[BRAILLE]\nMODO=x\n");
  EXPECT_EQ(Settings::ReadBrailleModo(), 0);
}

TEST_F(SettingsKeys, AurisKeysAndTheirRanges) {
  Ini("[AURIS]\nLEGADO=Sim\nTEMPOESPERAPROGVOLTAR=1500\nTIMEOUT_REDE=5000\n"
      "PROG.HTM=firefox\nPROG.DOC=z:\\usr\\bin\\abiword\nPROG.EXE=nunca\n");
  auto a = Settings::ReadAurisSettings();
  EXPECT_TRUE(a.legado);
  EXPECT_EQ(a.tempoEsperaProgVoltar, 1000);
  EXPECT_EQ(a.timeoutRede, 5000);
  EXPECT_EQ(a.progHtm, "firefox");
  EXPECT_EQ(Settings::ReadProg(Settings::DocumentExtension("carta.doc")), "z:\\usr\\bin\\abiword");
  EXPECT_EQ(Settings::ReadProg("exe"), "");
  EXPECT_EQ(Settings::DocumentExtension("relatório.final.docx"_cp), "FIN");
  EXPECT_EQ(Settings::DocumentExtension("sem ponto"), "");
  Ini("[AURIS]\nTEMPOESPERAPROGVOLTAR=0\nTIMEOUT_REDE=rápido\n");
  a = Settings::ReadAurisSettings();
  EXPECT_EQ(a.tempoEsperaProgVoltar, 0);
  EXPECT_EQ(a.timeoutRede, 20000);
  Ini("[AURIS]\nTEMPOESPERAPROGVOLTAR=-5\nTIMEOUT_REDE=-1\n");
  a = Settings::ReadAurisSettings();
  EXPECT_EQ(a.tempoEsperaProgVoltar, 1000);
  EXPECT_EQ(a.timeoutRede, 20000);
}

TEST_F(SettingsKeys, SpeechKeys) {
  Ini("[TRADUTOR]\nVELOCIDADE=6\nDIRLETRAS=d:\\letras\nSAPI=talvez\nSAIDADEAUDIO= Alto-falantes \n"
      "[SERVFALA]\nVOZ=2\nVELOCIDADE=15\nTOM=+3\nTIPOSAPI=5\n");
  auto t = Settings::ReadTradutorSettings();
  EXPECT_EQ(t.velocidade, 3);
  EXPECT_EQ(t.dirLetras, "d:\\letras\\");
  EXPECT_TRUE(t.sapi);
  EXPECT_EQ(Settings::ReadDirLetrasDirect(), "d:\\letras");
  EXPECT_EQ(Settings::ReadSaidaDeAudio(), "Alto-falantes");
  auto s = Settings::ReadServFalaSettings();
  EXPECT_EQ(s.voz, 2);
  EXPECT_EQ(s.velocidade, 0);  // above 10 and not SAPI 4
  EXPECT_EQ(s.tom, 3);
  EXPECT_EQ(s.tipoSapi, 5);
  Ini("[TRADUTOR]\nVELOCIDADE=5\nSAPI=Nao\n[SERVFALA]\nVELOCIDADE=15\nTIPOSAPI=4\nTOM=+-3\n");
  EXPECT_EQ(Settings::ReadTradutorSettings().velocidade, 5);
  EXPECT_FALSE(Settings::ReadTradutorSettings().sapi);
  s = Settings::ReadServFalaSettings();
  EXPECT_EQ(s.velocidade, 15);
  EXPECT_EQ(s.tom, 0);
}

TEST_F(SettingsKeys, SynthesizerKeysPerSpeed) {
  Ini("[SINTETIZADOR]\n"
      "DIFONES1=RAPIDO\nPAUSAPONTO1=100\nCORTAFALA1=sim\n"
      "DIFONES3=ABCDEFGHIJ\nCORTEFON3=12\nSOBRAFON3=x\nINTERPAL3=-4\nCORTAFALA3=Não\nRAPIDINHO3=1\n"
      "PAUSAPONTO3=400\nPAUSAVIRG3=-1\nPAUSADOISPONTOS3=50\n");
  const auto one = Settings::ReadSintetizadorSettings(1);
  EXPECT_EQ(one.difones, "RAPIDO");
  EXPECT_EQ(one.pausaPonto, 100);
  EXPECT_TRUE(one.cortaFala);
  EXPECT_FALSE(one.rapidinho);
  const auto three = Settings::ReadSintetizadorSettings(3);
  EXPECT_EQ(three.difones, "ABCDEFGH");
  EXPECT_EQ(three.corteFon, 12);
  EXPECT_EQ(three.sobraFon, 0);     // no number: 0
  EXPECT_EQ(three.interPal, 400);   // out of range: the default of the speed
  EXPECT_FALSE(three.cortaFala);
  EXPECT_TRUE(three.rapidinho);
  EXPECT_EQ(three.pausaPonto, 400);
  EXPECT_EQ(three.pausaVirg, 150);
  EXPECT_EQ(three.pausaDoisPontos, 50);
  EXPECT_EQ(Settings::ReadSintetizadorSettings(9).pausaPonto, 400);  // out of range reads speed 3
  EXPECT_EQ(Settings::ReadSintetizadorSettings(5).pausaPonto, 250);
}

TEST_F(SettingsKeys, NumbersOutsideTheirRangesTakeTheDefault) {
  // Values that would make the voice allocate gigabytes of silence, or wait for days.
  Ini("[SINTETIZADOR]\nINTERPAL3=2147483647\nCORTEFON3=70000\nSOBRAFON3=65535\nPAUSAPONTO3=86400000\n"
      "PAUSAVIRG3=10000\nPAUSADOISPONTOS3=10001\nINTERPAL2=22050\n"
      "[VIDEO]\nLARGURALETRA=100000\nALTURALETRA=200\nPESOLETRA=1001\n"
      "[AURIS]\nTIMEOUT_REDE=2147483647\n"
      "[SERVFALA]\nVOZ=100000\nVELOCIDADE=-11\nTOM=1000\nTIPOSAPI=100\n");
  const auto three = Settings::ReadSintetizadorSettings(3);
  EXPECT_EQ(three.interPal, 400);
  EXPECT_EQ(three.corteFon, 200);
  EXPECT_EQ(three.sobraFon, 65535);
  EXPECT_EQ(three.pausaPonto, 250);
  EXPECT_EQ(three.pausaVirg, 10000);
  EXPECT_EQ(three.pausaDoisPontos, 200);
  EXPECT_EQ(Settings::ReadSintetizadorSettings(2).interPal, 22050);
  const auto v = Settings::ReadVideoSettings();
  EXPECT_FALSE(v.larguraLetra);  // as if absent: the work area decides
  EXPECT_EQ(v.alturaLetra, 200);
  EXPECT_EQ(v.pesoLetra, 700);
  EXPECT_EQ(Settings::ReadAurisSettings().timeoutRede, 20000);
  const auto s = Settings::ReadServFalaSettings();
  EXPECT_EQ(s.voz, 0);
  EXPECT_EQ(s.velocidade, 0);
  EXPECT_EQ(s.tom, 1000);
  EXPECT_EQ(s.tipoSapi, 0);
}

TEST_F(SettingsKeys, MagnifierEngineAndInterpreterKeys) {
  Ini("[BAIXAVISAO]\nAMPLIACAO=muito\nCORLETRA=16\nCORFUNDO=0\nCORCURSOR=x\n"
      "[SONORATTS]\nMBROLA_DB=\nDIR=d:\\sonora\nBASE=outra\n"
      "[FONIX]\nDIRFONIX=c:\\orbis\\fonix\nDIRDEFAULT=\n");
  auto b = Settings::ReadBaixaVisaoSettings();
  EXPECT_EQ(b.ampliacao, 3);
  EXPECT_EQ(b.corLetra, 14);
  EXPECT_EQ(b.corFundo, 0);
  EXPECT_EQ(b.corCursor, 3);
  const auto o = Settings::ReadSonoraTtsSettings();
  EXPECT_EQ(o.mbrolaDb + " " + o.dir + " " + o.base, "br4 d:\\sonora\\ outra");
  const auto f = Settings::ReadFonixSettings();
  EXPECT_EQ(f.dirFonix + "|" + f.dirDefault, "c:\\orbis\\fonix|c:\\orbis\\scripts");
  Ini("[BAIXAVISAO]\nAMPLIACAO=11\n");
  EXPECT_EQ(Settings::ReadBaixaVisaoSettings().ampliacao, 3);
  Ini("[BAIXAVISAO]\nAMPLIACAO=10\n");
  EXPECT_EQ(Settings::ReadBaixaVisaoSettings().ampliacao, 10);
  // The voice database's folder on drive C stands in for its registry entry.
  fs::create_directories(drive.c / "orbis" / "SonoraTTS" / "br4");
  EXPECT_EQ(Settings::ReadSonoraTtsSettings().dir, "c:\\orbis\\sonoratts\\");
}
