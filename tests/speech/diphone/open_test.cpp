// Opening the diphone voice on a drive C of its own: the start-up codes for a missing
// database and for rule files that cannot be read.
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/files/paths.h"
#include "speech/diphone_play.h"
#include "speech/diphone_synth.h"

namespace {

TEST(DiphoneOpen, DatabaseThenRuleFiles) {
  const std::filesystem::path drive = std::filesystem::path(::testing::TempDir()) / ("diphone_drive_c_" + std::to_string(getpid()));
  std::filesystem::remove_all(drive);
  std::filesystem::create_directories(drive / "difones");
  setenv("FONIX_DRIVE_C", drive.c_str(), 1);
  Paths::ResetPaths();
  const std::string folder = "c:\\difones\\";
  EXPECT_EQ(DiphonePlay::Open(folder, "DIFONES2", "c:\\"), 1);
  std::ofstream(drive / "difones" / "DIFONES2.IND", std::ios::binary) << std::string("\x03$KA\0\0\0\0\0\x02\0\0\0\0\0", 15);
  std::ofstream(drive / "difones" / "DIFONES2.DIF", std::ios::binary) << "ab";
  EXPECT_EQ(DiphonePlay::Open(folder, "DIFONES2", "c:\\"), 2);
  std::ofstream(drive / "difones" / "regras.rgr") << "(A)=a\n";
  EXPECT_EQ(DiphonePlay::Open(folder, "DIFONES2", "c:\\"), 2);
  std::ofstream(drive / "difones" / "portug.exc") << "";
  EXPECT_EQ(DiphonePlay::Open(folder, "DIFONES2", "c:\\"), 0);
  EXPECT_EQ(DiphoneSynth::Synth().index.size(), 15u);
  DiphonePlay::Close();
  unsetenv("FONIX_DRIVE_C");
  Paths::ResetPaths();
}

}  // namespace
