// Finding the runtime's data: the variables override, an installation beside the executable
// (<prefix>/bin → <prefix>/share/fonix) comes next, the build tree last; and a first start
// from an installation fills drive C from it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/app_folder.h"
#include "platform/files/data_places.h"
#include "speech/diphone_data.h"
#include "speech/speech_data.h"
#include "tests/support/temp_drive.h"

namespace fs = std::filesystem;

namespace {

class DataPlacesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : kVariables) unsetenv(v);
    prefix_ = drive_.base / "usr";
    fs::create_directories(prefix_ / "bin");
    DataPlaces::Reset();
    DataPlaces::Current().executableFolder = (prefix_ / "bin").string();
  }
  void TearDown() override {
    for (const char* v : kVariables) unsetenv(v);
    DataPlaces::Reset();
  }
  void Install(const std::string& relative, const std::string& content) {
    const fs::path file = prefix_ / "share" / "fonix" / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << content;
  }
  static std::string Read(const fs::path& file) {
    std::ifstream in(file);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  static constexpr const char* kVariables[] = {"FONIX_SPEECH_DATA", "FONIX_DIPHONE_DATA", "FONIX_APP_DATA"};
  TempDrive drive_;
  fs::path prefix_;
};

TEST_F(DataPlacesTest, VariableThenInstallationThenBuildTree) {
  const std::string share = (prefix_ / "share" / "fonix").string();
  EXPECT_EQ(DataPlaces::InstalledRoot(), share);
  // Nothing installed: the build tree's folder.
  EXPECT_EQ(DataPlaces::Find("FONIX_SPEECH_DATA", "letras", "/build/speechdata/letras"), "/build/speechdata/letras");
  Install("letras/_65.wav", "A");
  EXPECT_EQ(DataPlaces::Find("FONIX_SPEECH_DATA", "letras", "/build/speechdata/letras"), share + "/letras");
  // An empty variable is no override; a set one wins even over an installation, as given.
  setenv("FONIX_SPEECH_DATA", "", 1);
  EXPECT_EQ(DataPlaces::Find("FONIX_SPEECH_DATA", "letras", "/build"), share + "/letras");
  setenv("FONIX_SPEECH_DATA", "/elsewhere/absent", 1);
  EXPECT_EQ(DataPlaces::Find("FONIX_SPEECH_DATA", "letras", "/build"), "/elsewhere/absent");
  // A file where the folder should be is not an installation.
  Install("difones", "not a folder");
  EXPECT_EQ(DataPlaces::Find("FONIX_DIPHONE_DATA", "difones", "/build/difones"), "/build/difones");
}

TEST_F(DataPlacesTest, EachKindOfDataHasItsInstalledFolder) {
  const fs::path share = prefix_ / "share" / "fonix";
  Install("letras/_65.wav", "A");
  Install("difones/DIFONES2.IND", "index");
  Install("clipora-light/som/04.wav", "sound");
  EXPECT_EQ(SpeechData::GeneratedFolder(), (share / "letras").string());
  EXPECT_EQ(SpeechData::DiphoneFolder(), (share / "difones").string());
  EXPECT_EQ(AppFolder::DataFolder(), (share / "clipora-light").string());
}

TEST_F(DataPlacesTest, FirstStartFromAnInstallationFillsDriveC) {
  Install("letras/_65.wav", "A");
  Install("letras/rapido/_65.wav", "a");
  Install("difones/DIFONES2.IND", "index");
  Install("difones/regras.rgr", "rules");
  ASSERT_TRUE(SpeechData::InstallSpeechData());
  ASSERT_TRUE(SpeechData::InstallDiphoneData());
  EXPECT_EQ(Read(drive_.c / "orbis/som/letras/_65.wav"), "A");
  EXPECT_EQ(Read(drive_.c / "orbis/som/letras/rapido/_65.wav"), "a");
  EXPECT_EQ(Read(drive_.c / "orbis/som/difones/DIFONES2.IND"), "index");
  EXPECT_EQ(Read(drive_.c / "orbis/som/difones/regras.rgr"), "rules");
}

TEST_F(DataPlacesTest, TheRunningProgramsFolderIsFoundByItself) {
  DataPlaces::Reset();
  const std::string folder = DataPlaces::ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::exists(fs::path(folder) / "data_places_test"));
  EXPECT_EQ(DataPlaces::InstalledRoot(), (fs::path(folder).parent_path() / "share" / "fonix").string());
}

}  // namespace
