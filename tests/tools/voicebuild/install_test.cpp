// First start: the generated files reach c:\orbis\som\letras of drive C, a user's own
// files there are kept, and a missing generated folder is reported, not fatal.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/files/paths.h"
#include "speech/speech_data.h"
#include "tests/support/temp_drive.h"
#include "tests/tools/voicebuild/letters_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Each case starts from the build's own folder, as a normal start does.
struct SpeechDataInstall : ::testing::Test {
  TempDrive drive;
  SpeechDataInstall() { unsetenv("FONIX_SPEECH_DATA"); }
  ~SpeechDataInstall() override { unsetenv("FONIX_SPEECH_DATA"); }
};

}  // namespace

TEST_F(SpeechDataInstall, MakesTheLettersResolvableOnDriveC) {
  ASSERT_TRUE(SpeechData::InstallSpeechData());
  const std::string a = Paths::ToHost("c:\\orbis\\som\\letras\\_65.wav");
  ASSERT_TRUE(fs::is_regular_file(a)) << a;
  EXPECT_EQ(Contents(a), Contents((LettersFolder() / "_65.wav").string()));
  // Scripts and settings write these paths in any case.
  EXPECT_TRUE(fs::is_regular_file(Paths::ToHost("C:\\ORBIS\\SOM\\LETRAS\\DTMF_X.WAV")));
  EXPECT_TRUE(fs::is_regular_file(Paths::ToHost("c:\\orbis\\som\\letras\\rapido\\_65.wav")));
  // A second start finds everything in place.
  EXPECT_TRUE(SpeechData::InstallSpeechData());
}

TEST_F(SpeechDataInstall, KeepsAFileTheUserPutInTheLettersFolder) {
  drive.Write(drive.c / "orbis" / "som" / "letras" / "_65.wav", "my own recording");
  ASSERT_TRUE(SpeechData::InstallSpeechData());
  EXPECT_EQ(Contents(Paths::ToHost("c:\\orbis\\som\\letras\\_65.wav")), "my own recording");
  EXPECT_TRUE(fs::is_regular_file(Paths::ToHost("c:\\orbis\\som\\letras\\_66.wav")));
}

TEST_F(SpeechDataInstall, TakesTheFolderTheEnvironmentNames) {
  const fs::path other = drive.Folder(drive.base / "other-voice");
  drive.Write(other / "_65.wav", "another voice");
  setenv("FONIX_SPEECH_DATA", other.c_str(), 1);
  EXPECT_EQ(SpeechData::GeneratedFolder(), other.string());
  ASSERT_TRUE(SpeechData::InstallSpeechData());
  EXPECT_EQ(Contents(Paths::ToHost("c:\\orbis\\som\\letras\\_65.wav")), "another voice");
}

TEST_F(SpeechDataInstall, AMissingGeneratedFolderIsReportedAndInstallsNothing) {
  setenv("FONIX_SPEECH_DATA", (drive.base / "absent").c_str(), 1);
  EXPECT_FALSE(SpeechData::InstallSpeechData());
  EXPECT_FALSE(Paths::Exists("c:\\orbis\\som\\letras"));
}
