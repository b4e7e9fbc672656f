// The application folder on first start, never overwriting what the user has, the user's
// download folder, and the launchers (the downloader under its short name, the default player,
// the finder of a JavaScript runtime).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/app_folder.h"
#include "platform/files/paths.h"
#include "tests/app/clipora/service_fixture.h"

namespace fs = std::filesystem;

namespace {

using namespace ServiceFixture;

class AppFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = MakeTempFolder();
    ASSERT_FALSE(root_.empty());
    saved_path_ = std::getenv("PATH");
    saved_home_ = std::getenv("HOME") ? std::getenv("HOME") : "";
    // Installed data: two sounds and the launchers.
    fs::create_directories(root_ + "/data/som");
    WriteScript(root_ + "/data/som/04.wav", "RIFF");
    WriteScript(root_ + "/data/som/22.wav", "RIFF");
    fs::copy_file(std::string(LAUNCHERS_DIR) + "/youtube-dl", root_ + "/data/youtube-dl");
    fs::copy_file(std::string(LAUNCHERS_DIR) + "/tocador", root_ + "/data/tocador");
    fs::copy_file(std::string(LAUNCHERS_DIR) + "/executorjs", root_ + "/data/executorjs");
    // The programs on PATH.
    for (const char* p : {"wget", "yt-dlp", "ffmpeg"}) WriteScript(root_ + "/bin/" + p, "#!/bin/sh\necho " + std::string(p) + "\n");
    setenv("FONIX_APP_DATA", (root_ + "/data").c_str(), 1);
    setenv("FONIX_DRIVE_C", (root_ + "/c").c_str(), 1);
    setenv("PATH", (root_ + "/bin:/usr/bin:/bin").c_str(), 1);
    setenv("HOME", (root_ + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ + "/home/.config").c_str(), 1);
    Paths::ResetPaths();
    app_ = root_ + "/c/clipora-light";
  }
  void TearDown() override {
    setenv("PATH", saved_path_.c_str(), 1);
    setenv("HOME", saved_home_.c_str(), 1);
    for (const char* v : {"FONIX_APP_DATA", "FONIX_DRIVE_C", "XDG_CONFIG_HOME", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(v);
    Paths::ResetPaths();
    RemoveAll(root_);
  }
  std::string root_, app_, saved_path_, saved_home_;
};

TEST_F(AppFolderTest, FirstStartMakesTheFolderWithSoundsToolsAndLaunchers) {
  ASSERT_TRUE(AppFolder::Install());
  EXPECT_TRUE(fs::is_directory(app_ + "/temp"));
  // Sounds the user could change at their source are copied (a write into drive C never
  // reaches the data they came from).
  EXPECT_EQ(ReadFile(app_ + "/som/04.wav"), ReadFile(root_ + "/data/som/04.wav"));
  EXPECT_EQ(fs::read_symlink(app_ + "/wget"), root_ + "/bin/wget");
  EXPECT_EQ(fs::read_symlink(app_ + "/youtube-dl.exe"), root_ + "/bin/yt-dlp");
  EXPECT_EQ(fs::read_symlink(app_ + "/ffmpeg.exe"), root_ + "/bin/ffmpeg");
  EXPECT_EQ(access((app_ + "/tocador").c_str(), X_OK), 0);
  EXPECT_EQ(access((app_ + "/youtube-dl").c_str(), X_OK), 0);
  EXPECT_EQ(access((app_ + "/executorjs").c_str(), X_OK), 0);
  EXPECT_FALSE(fs::is_symlink(app_ + "/tocador"));  // a copy: it outlives the build tree
}

TEST_F(AppFolderTest, WhatTheUserHasIsNeverOverwritten) {
  fs::create_directories(app_ + "/som");
  WriteScript(app_ + "/youtube-dl.exe", "#!/bin/sh\necho 2026.01.01\n");  // updated by the user
  WriteScript(app_ + "/som/04.wav", "mine");
  WriteScript(app_ + "/tocador", "#!/bin/sh\necho meu tocador\n");
  // A link whose program went away is made anew.
  fs::create_symlink(root_ + "/sumiu", app_ + "/ffmpeg.exe");
  ASSERT_TRUE(AppFolder::Install());
  EXPECT_FALSE(fs::is_symlink(app_ + "/youtube-dl.exe"));
  EXPECT_EQ(ReadFile(app_ + "/youtube-dl.exe"), "#!/bin/sh\necho 2026.01.01\n");
  EXPECT_EQ(ReadFile(app_ + "/som/04.wav"), "mine");
  EXPECT_EQ(ReadFile(app_ + "/som/22.wav"), ReadFile(root_ + "/data/som/22.wav"));
  EXPECT_EQ(ReadFile(app_ + "/tocador"), "#!/bin/sh\necho meu tocador\n");
  EXPECT_EQ(fs::read_symlink(app_ + "/ffmpeg.exe"), root_ + "/bin/ffmpeg");
  // A second start changes nothing.
  ASSERT_TRUE(AppFolder::Install());
  EXPECT_EQ(ReadFile(app_ + "/youtube-dl.exe"), "#!/bin/sh\necho 2026.01.01\n");
}

TEST_F(AppFolderTest, AMissingDownloaderIsLeftForTheApplicationToFetch) {
  fs::remove(root_ + "/bin/yt-dlp");
  setenv("PATH", (root_ + "/bin").c_str(), 1);
  ASSERT_TRUE(AppFolder::Install());
  EXPECT_FALSE(fs::exists(fs::symlink_status(app_ + "/youtube-dl.exe")));
  EXPECT_TRUE(fs::is_symlink(app_ + "/wget"));
}

TEST_F(AppFolderTest, DownloadFolderIsTheUsersOwnAsADrivePath) {
  // Without user-dirs.dirs: ~/Downloads, made when missing.
  EXPECT_EQ(AppFolder::DownloadFolder(), Paths::ToWindows(root_ + "/home/Downloads"));
  EXPECT_TRUE(fs::is_directory(root_ + "/home/Downloads"));
  EXPECT_EQ(AppFolder::DownloadFolder().rfind("z:\\", 0), 0u);
  // The folder named by the user's settings.
  WriteScript(root_ + "/home/.config/user-dirs.dirs",
              "# comment\nXDG_DESKTOP_DIR=\"$HOME/Mesa\"\nXDG_DOWNLOAD_DIR=\"$HOME/Baixados\"\n");
  EXPECT_EQ(AppFolder::DownloadFolder(), Paths::ToWindows(root_ + "/home/Baixados"));
  EXPECT_TRUE(fs::is_directory(root_ + "/home/Baixados"));
  // A folder that cannot be made gives the application's own.
  WriteScript(root_ + "/home/.config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"/proc/nao/pode\"\n");
  EXPECT_EQ(AppFolder::DownloadFolder(), "c:\\clipora-light\\downloads");
  EXPECT_TRUE(fs::is_directory(root_ + "/c/clipora-light/downloads"));
}

TEST_F(AppFolderTest, DefaultPlayerChoosesSoundAloneWithoutADisplay) {
  WriteScript(root_ + "/bin/mpv", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + root_ + "/mpv-args\"\n");
  const std::string player = std::string(LAUNCHERS_DIR) + "/tocador";
  ASSERT_EQ(Shell("env -u DISPLAY -u WAYLAND_DISPLAY " + player + " 'https://v/x?a=1&b=2'"), 0);
  EXPECT_EQ(ReadFile(root_ + "/mpv-args"), "--really-quiet\n--no-video\nhttps://v/x?a=1&b=2\n");
  ASSERT_EQ(Shell("DISPLAY=:77 " + player + " https://v/y"), 0);
  EXPECT_EQ(ReadFile(root_ + "/mpv-args"), "--really-quiet\n--force-window=immediate\nhttps://v/y\n");
  fs::remove(root_ + "/bin/mpv");
  setenv("PATH", (root_ + "/bin").c_str(), 1);  // /bin is /usr/bin, where mpv is
  EXPECT_EQ(Shell(player + " https://v/z 2>/dev/null"), 127);
}

TEST_F(AppFolderTest, ShortNameRunsTheDownloaderTheUserFetched) {
  fs::create_directories(app_);
  fs::copy_file(std::string(LAUNCHERS_DIR) + "/youtube-dl", app_ + "/youtube-dl");
  // As wget leaves a downloaded file: without the permission to run.
  std::ofstream(app_ + "/youtube-dl.exe") << "#!/bin/sh\necho \"versao $1\" > \"$(dirname \"$0\")/saida\"\n";
  fs::permissions(app_ + "/youtube-dl.exe", fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(Shell(app_ + "/youtube-dl --version"), 0);
  EXPECT_EQ(ReadFile(app_ + "/saida"), "versao --version\n");
  fs::remove(app_ + "/youtube-dl.exe");
  EXPECT_EQ(Shell(app_ + "/youtube-dl -e x 2>/dev/null"), 127);
}

}  // namespace
