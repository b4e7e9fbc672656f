// Reading Auris.ini: where it is, the private-profile rules, odd files, the legacy file and
// the folder macros.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <random>

#include "settings/settings.h"
#include "settings/settings_profile.h"
#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "tests/support/temp_drive.h"

namespace fs = std::filesystem;

class SettingsRead : public ::testing::Test {
 protected:
  TempDrive drive;
  void SetUp() override { Settings::ResetSettings(); }
  void TearDown() override { Settings::ResetSettings(); }
  fs::path UserFile() const { return drive.config / "Auris" / "Auris.ini"; }
  fs::path LegacyFile() const { return drive.c / "windows" / "Auris.ini"; }
  void User(std::string_view text) const { drive.Write(UserFile(), text); }
  void Legacy(std::string_view text) const { drive.Write(LegacyFile(), text); }
  std::string Windows(const fs::path& p) const { return Paths::ToWindows(p.string()); }
};

TEST_F(SettingsRead, TheFolderIsPerUserUnlessOnlyTheLegacyFileExists) {
  const std::string perUser = Windows(drive.config / "Auris");
  ASSERT_EQ(perUser.substr(0, 3), "z:\\");
  EXPECT_EQ(Settings::SettingsFolder(), perUser);  // neither file: still the per-user folder
  Legacy("[FONIX]\nDIRFONIX=legado\n");
  EXPECT_EQ(Settings::SettingsFolder(), "c:\\windows");
  EXPECT_EQ(Settings::ReadSetting("FONIX", "DIRFONIX"), "legado");
  User("[FONIX]\nDIRFONIX=usuario\n");
  EXPECT_EQ(Settings::SettingsFolder(), perUser);  // both: the per-user one wins
  EXPECT_EQ(Settings::ReadSetting("FONIX", "DIRFONIX"), "usuario");
  EXPECT_EQ(Settings::SettingsFile(), perUser + "\\Auris.ini");

  // Inside drive C the folder is reported there; a trailing slash never shows.
  setenv("XDG_CONFIG_HOME", (drive.c.string() + "/Config/").c_str(), 1);
  EXPECT_EQ(Settings::SettingsFolder(), "c:\\windows");
  fs::create_directories(drive.c / "Config" / "Auris");
  drive.Write(drive.c / "Config" / "Auris" / "AURIS.INI", "");  // found in any case
  EXPECT_EQ(Settings::SettingsFolder(), "c:\\Config\\Auris");

  // A per-user place that no drive holds leaves "\Auris" on the current drive.
  setenv("XDG_CONFIG_HOME", drive.config.c_str(), 1);
  setenv("FONIX_DRIVE_Z", drive.c.c_str(), 1);
  Paths::ResetPaths();
  fs::remove(LegacyFile());
  EXPECT_EQ(Settings::SettingsFolder(), "\\Auris");
  unsetenv("FONIX_DRIVE_Z");
}

TEST_F(SettingsRead, NamesIgnoreCaseAndTheFirstSectionAndKeyWin) {
  User(
      "; comentário\n"
      "  [ Video ]  \n"
      "; nota=comentada\n"
      "fonte = \"Courier New\"  \n"
      "FONTE=segunda\n"
      "Lento='S'\n"
      "aspa=\"\n"
      "mista=\"abc'\n"
      "vazio=\n"
      "semvalor\n"
      " = sem chave\n"
      "[video]\n"
      "TABCORES=9\n"
      "[Tradutor]\n"
      "Velocidade= 4 \n");
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "FONTE", "x"), "Courier New");
  EXPECT_EQ(Settings::ReadDirect("video", "lento", "x"), "S");
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "ASPA", "x"), "\"");
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "MISTA", "x"), "\"abc'");
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "VAZIO", "x"), "");       // present and empty
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "SEMVALOR", "x"), "x");   // no "=": no key
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "TABCORES", "x"), "x");   // only in the repeated section
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "; nota", "x"), "x");
  EXPECT_EQ(Settings::ReadDirect("TRADUTOR", "VELOCIDADE", "x"), "4");
  EXPECT_EQ(Settings::ReadDirect("NADA", "FONTE", "padrão  "_cp), "padrão"_cp);
  EXPECT_EQ(Settings::ReadSetting("VIDEO", "NADA"), "");
}

TEST_F(SettingsRead, LineEndsAndMarksOfEveryKind) {
  for (std::string_view text : {"[A]\r\nK=crlf\r\n", "[A]\nK=lf", "[A]\rK=cr\r", "\xEF\xBB\xBF[A]\nK=bom\n"}) {
    User(text);
    const std::string value = Settings::ReadSetting("A", "K");
    EXPECT_TRUE(value == "crlf" || value == "lf" || value == "cr" || value == "bom") << text;
  }
  User("[A]\nK=ação\n");  // written in UTF-8 by the user: Windows-1252 inside
  EXPECT_EQ(Settings::ReadSetting("A", "K"), "ação"_cp);
  User("[A]\nK=a\xE7\xE3o\n");  // already Windows-1252
  EXPECT_EQ(Settings::ReadSetting("A", "K"), "ação"_cp);
  User(std::string("\xFF\xFE[\0A\0]\0\n\0K\0=\0\xE7\0\xAC\x20", 18));  // UTF-16 with its mark
  EXPECT_EQ(Settings::ReadSetting("A", "K"), "ç€"_cp);
}

TEST_F(SettingsRead, MalformedFilesReadAsTheirWellFormedParts) {
  std::string text = "K=antes de qualquer seção\n";
  text += std::string("\x01\x02\xFF\xFE\x00\x80[[[==]\n", 13);
  text += "[VIDEO]\n";
  text += "LONGA=" + std::string(100000, 'x') + "\n";
  text += std::string(100000, '[') + "\n";
  text += std::string("ZERO=abc\0def\n", 13);
  text += "FONTE=Arial\n";
  text += "FONTE=Outra\n";
  text += "[sem fim\nDEPOIS=1\n";
  User(text);
  EXPECT_EQ(Settings::ReadSetting("", "K"), "");
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "FONTE", ""), "Arial");
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "ZERO", ""), "abc");
  EXPECT_EQ(Settings::ReadSetting("VIDEO", "LONGA"), std::string(254, 'x'));
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "LONGA", ""), std::string(80, 'x'));
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "DEPOIS", ""), "1");  // "[sem fim" is no header

  User("FONTE=Arial\nsem seções\n");
  EXPECT_EQ(Settings::ReadDirect("VIDEO", "FONTE", "padrão"), "padrão");

  // Random bytes of every kind never crash the reader.
  std::mt19937 random(1234);
  for (int i = 0; i < 300; ++i) {
    std::string junk(random() % 2000, '\0');
    for (char& c : junk) c = "[]=\r\n;\"' aZ\0\xFF\xE7"[random() % 15];
    const Settings::Profile p = Settings::ParseProfile(junk);
    (void)Settings::FindValue(p, "a", "z");
  }
}

TEST_F(SettingsRead, AChangedFileIsReadAgain) {
  User("[A]\nK=um\n");
  EXPECT_EQ(Settings::ReadSetting("A", "K"), "um");
  User("[A]\nK=dois\n");
  EXPECT_EQ(Settings::ReadSetting("A", "K"), "dois");
  // Same size, only the modification time tells.
  User("[A]\nK=tres\n");
  timespec times[2] = {{1000, 0}, {1000, 0}};
  utimensat(AT_FDCWD, UserFile().c_str(), times, 0);
  EXPECT_EQ(Settings::ReadSetting("A", "K"), "tres");
  User("[A]\nK=quat\n");
  times[1] = {1000, 1};
  utimensat(AT_FDCWD, UserFile().c_str(), times, 0);
  EXPECT_EQ(Settings::ReadSetting("A", "K"), "quat");
  fs::remove(UserFile());
  EXPECT_EQ(Settings::ReadSetting("A", "K"), "");
}

TEST_F(SettingsRead, EmptyValuesAreLookedUpInTheLegacyFile) {
  User("[TRADUTOR]\nDIRLETRAS=\nVELOCIDADE=2\n");
  Legacy("[TRADUTOR]\nDIRLETRAS=d:\\letras\nVELOCIDADE=5\nSAPI=S\n");
  EXPECT_EQ(Settings::ReadSetting("TRADUTOR", "DIRLETRAS"), "d:\\letras");
  EXPECT_EQ(Settings::ReadSetting("TRADUTOR", "SAPI"), "S");
  EXPECT_EQ(Settings::ReadSetting("TRADUTOR", "VELOCIDADE"), "2");
  EXPECT_EQ(Settings::ReadDirect("TRADUTOR", "DIRLETRAS", "x"), "");  // direct readers: never
  Settings::SetLegacySwitch(false);
  EXPECT_FALSE(Settings::LegacySwitch());
  EXPECT_EQ(Settings::ReadSetting("TRADUTOR", "DIRLETRAS"), "");
  Settings::ResetSettings();
  EXPECT_TRUE(Settings::LegacySwitch());
}

TEST_F(SettingsRead, FolderMacros) {
  Settings::SetProgramFolder("c:\\Programas\\Fonix\\");
  EXPECT_EQ(Settings::ProgramFolder(), "c:\\Programas\\Fonix");
  const std::string folder = Windows(drive.config / "Auris");
  User(
      "[X]\n"
      "PROG=@\n"
      "DADOS=@@\\dados\n"
      "GRUPO=@\\grupo\n"
      "MEIO=d:\\@\\y\n"
      "DOIS=@\\a;@\\b\n"
      "NADA=@x\n"
      "[AURIS]\n");
  EXPECT_EQ(Settings::ReadSetting("X", "PROG"), "c:\\Programas\\Fonix");
  EXPECT_EQ(Settings::ReadSetting("X", "DADOS"), folder + "\\dados");
  EXPECT_EQ(Settings::ReadSetting("X", "GRUPO"), "c:\\Programas\\Fonix\\grupo");
  EXPECT_EQ(Settings::ReadSetting("X", "MEIO"), "d:\\c:\\Programas\\Fonix\\y");
  EXPECT_EQ(Settings::ReadSetting("X", "DOIS"), "c:\\Programas\\Fonix\\a;c:\\Programas\\Fonix\\b");
  EXPECT_EQ(Settings::ReadSetting("X", "NADA"), "@x");
  EXPECT_EQ(Settings::ReadDirect("X", "PROG", ""), "@");  // direct readers expand nothing

  const std::string rest = "[X]\nGRUPO=@\\grupo\n";
  User(rest + "[AURIS]\nPGMAURIS=e:\\Grupo Auris\n");
  EXPECT_EQ(Settings::ReadSetting("X", "GRUPO"), "e:\\Grupo Auris\\grupo");
  User(rest + "[AURIS]\nPGMAURIS=@qualquer\n");
  EXPECT_EQ(Settings::ReadSetting("X", "GRUPO"), "c:\\Programas\\Fonix\\grupo");
  User(rest + "[AURIS]\nPGMAURIS=@@\\grupos\n");
  EXPECT_EQ(Settings::ReadSetting("X", "GRUPO"), folder + "\\grupos\\grupo");
  // A group folder that names itself, and a program folder holding "@\", end.
  User(rest + "[AURIS]\nPGMAURIS=e:\\a@\\b\n");
  EXPECT_EQ(Settings::ReadSetting("X", "GRUPO"), "e:\\ac:\\Programas\\Fonix\\b\\grupo");
  Settings::SetProgramFolder("c:\\x@");
  User("[X]\nV=@\\fim\n");
  const std::string v = Settings::ReadSetting("X", "V");
  EXPECT_EQ(v.substr(v.size() - 4), "\\fim");
  EXPECT_LT(v.size(), 200u);
}

TEST_F(SettingsRead, TheProgramFolderDefaultsToTheExecutables) {
  const std::string exe = fs::read_symlink("/proc/self/exe").parent_path().string();
  EXPECT_EQ(Settings::ProgramFolder(), Paths::ToWindows(exe));
  User("[X]\nV=@\n");
  EXPECT_EQ(Settings::ReadSetting("X", "V"), Paths::ToWindows(exe));
}
