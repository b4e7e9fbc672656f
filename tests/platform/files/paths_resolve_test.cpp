// Windows paths reach the right Linux files: drives, letter case, separators, ".." and the
// current folder.
#include <gtest/gtest.h>

#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "tests/support/temp_drive.h"

namespace fs = std::filesystem;

class PathsResolve : public ::testing::Test {
 protected:
  TempDrive drive;
  std::string C(const fs::path& rel) const { return (drive.c / rel).string(); }
};

TEST_F(PathsResolve, DriveLettersMapToTheirFolders) {
  EXPECT_EQ(Paths::ToHost("c:\\"), drive.c.string());
  EXPECT_EQ(Paths::ToHost("C:"), drive.c.string());
  EXPECT_EQ(Paths::ToHost("z:\\"), "/");
  EXPECT_EQ(Paths::ToHost("Z:\\TMP"), "/tmp");  // case found on the real root too
  EXPECT_EQ(Paths::ToHost("d:\\x"), "");         // not mapped
  const fs::path d = drive.Folder(drive.base / "dd");
  setenv("FONIX_DRIVE_D", d.c_str(), 1);
  Paths::ResetPaths();
  EXPECT_EQ(Paths::ToHost("D:\\x"), (d / "x").string());
  EXPECT_EQ(Paths::ToWindows((d / "x").string()), "d:\\x");
}

TEST_F(PathsResolve, DriveCDefaultsToTheDataHome) {
  unsetenv("FONIX_DRIVE_C");
  setenv("XDG_DATA_HOME", drive.base.c_str(), 1);
  Paths::ResetPaths();
  EXPECT_EQ(Paths::DriveRoot('c'), (drive.base / "fonix" / "c").string());
  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  setenv("HOME", drive.base.c_str(), 1);
  Paths::ResetPaths();
  EXPECT_EQ(Paths::DriveRoot('C'), (drive.base / ".local/share/fonix/c").string());
  unsetenv("XDG_DATA_HOME");
}

TEST_F(PathsResolve, ComponentsMatchWithoutRegardToCase) {
  drive.Write(drive.c / "Clipora-Light" / "Temp" / "Hist.txt", "x");
  EXPECT_EQ(Paths::ToHost("C:\\CLIPORA-LIGHT\\temp\\HIST.TXT"), C("Clipora-Light/Temp/Hist.txt"));
  // From the first missing component on, the written case is kept: new files get it.
  EXPECT_EQ(Paths::ToHost("c:\\clipora-light\\Novo.TXT"), C("Clipora-Light/Novo.TXT"));
  EXPECT_EQ(Paths::ToHost("c:\\NOVA\\Pasta\\a.txt"), C("NOVA/Pasta/a.txt"));
  EXPECT_TRUE(Paths::Exists("c:\\CLIPORA-light\\TEMP\\hist.TXT"));
  EXPECT_TRUE(Paths::IsFolder("c:\\clipora-light\\temp"));
  EXPECT_FALSE(Paths::IsFolder("c:\\clipora-light\\temp\\hist.txt"));
}

TEST_F(PathsResolve, AnExactNameWinsOverOtherCases) {
  drive.Folder(drive.c / "abc");
  drive.Folder(drive.c / "ABC");
  EXPECT_EQ(Paths::ToHost("c:\\abc"), C("abc"));
  EXPECT_EQ(Paths::ToHost("c:\\ABC"), C("ABC"));
  EXPECT_EQ(Paths::ToHost("c:\\Abc"), C("ABC"));  // the first in byte order, every time
}

TEST_F(PathsResolve, AccentedNamesAreUtf8OnDiskAndFoldToo) {
  drive.Write(drive.c / "ação" / "lição.txt", "x");
  constexpr std::string_view upper = "c:\\AÇÃO\\LIÇÃO.TXT"_cp;  // clang 14 crashes on a direct-initialised std::string here
  EXPECT_EQ(Paths::ToHost(upper), C("ação/lição.txt"));
  EXPECT_EQ(Paths::ToWindows(C("ação/lição.txt")), std::string("c:\\ação\\lição.txt"_cp));
  // A new file written in Windows-1252 is created under its UTF-8 name.
  EXPECT_EQ(Paths::ToHost("c:\\ação\\Órfão"_cp), C("ação/Órfão"));
  EXPECT_EQ(Paths::FoldCase("ação÷ÿ"_cp), std::string("AÇÃO÷Ÿ"_cp));
}

TEST_F(PathsResolve, DotsAreResolvedWithoutLeavingTheDrive) {
  EXPECT_EQ(Paths::FullPath("c:\\..\\x"), "c:\\x");
  EXPECT_EQ(Paths::FullPath("c:\\a\\.\\b\\..\\..\\..\\c"), "c:\\c");
  EXPECT_EQ(Paths::ToHost("c:\\..\\..\\etc\\passwd"), C("etc/passwd"));
  EXPECT_EQ(Paths::ToHost("c:/a/b/../x"), C("a/x"));
  // A link inside the drive still cannot be climbed out of: ".." is textual.
  const fs::path outside = drive.Folder(drive.base / "outside" / "deep");
  fs::create_directory_symlink(outside, drive.c / "link");
  EXPECT_EQ(Paths::ToHost("c:\\link\\..\\y"), C("y"));
}

TEST_F(PathsResolve, BothSeparatorsAndRepeatsAreOneSeparator) {
  for (const char* p : {"c:\\a\\b", "c:/a/b", "c:\\a/b\\", "c:\\\\a\\\\\\b", "C:/A/B"})
    EXPECT_EQ(Paths::FullPath(p), std::string(p).find('A') != std::string::npos ? "c:\\A\\B" : "c:\\a\\b") << p;
  EXPECT_EQ(Paths::FullPath(""), "");
  EXPECT_EQ(Paths::ToHost(std::string_view("c:\\a\0/../../x", 13)), "");
}

TEST_F(PathsResolve, RelativePathsFollowTheCurrentFolder) {
  drive.Folder(drive.c / "Dados" / "Sub");
  ASSERT_TRUE(Paths::SetCurrentFolder("C:\\DADOS"));
  EXPECT_EQ(Paths::CurrentFolder(), "c:\\Dados");  // reported with the case on disk
  EXPECT_EQ(fs::current_path(), drive.c / "Dados");
  EXPECT_EQ(Paths::ToHost("x.txt"), C("Dados/x.txt"));
  EXPECT_EQ(Paths::ToHost("sub\\y"), C("Dados/Sub/y"));
  EXPECT_EQ(Paths::ToHost("\\raiz.txt"), C("raiz.txt"));
  EXPECT_EQ(Paths::ToHost("..\\..\\..\\y"), C("y"));
  EXPECT_EQ(Paths::ToHost("c:z"), C("Dados/z"));  // drive-relative on the current drive
  EXPECT_EQ(Paths::FullPath("z:w"), "z:\\w");     // another drive: its root

  ASSERT_TRUE(Paths::SetCurrentFolder("c:\\"));
  EXPECT_EQ(Paths::CurrentFolder(), "c:\\");
  EXPECT_FALSE(Paths::SetCurrentFolder("c:\\nada"));
  drive.Write(drive.c / "arquivo", "x");
  EXPECT_FALSE(Paths::SetCurrentFolder("c:\\arquivo"));
  EXPECT_EQ(Paths::CurrentFolder(), "c:\\");
}

TEST_F(PathsResolve, FoldersOutsideDriveCAreOnDriveZ) {
  const fs::path out = drive.Folder(drive.base / "Fora");
  ASSERT_TRUE(Paths::SetCurrentFolder(Paths::ToWindows(out.string())));
  std::string expected = "z:" + out.string();
  for (char& ch : expected)
    if (ch == '/') ch = '\\';
  EXPECT_EQ(Paths::CurrentFolder(), expected);
  EXPECT_EQ(Paths::ToHost("\\tmp"), "/tmp");  // the current folder's drive is z:
  // A working folder changed behind the module's back is still reported.
  fs::current_path(drive.c);
  EXPECT_EQ(Paths::CurrentFolder(), "c:\\");
  // With z: moved elsewhere, a place no drive holds has no Windows form.
  setenv("FONIX_DRIVE_Z", drive.c.c_str(), 1);
  Paths::ResetPaths();
  EXPECT_EQ(Paths::ToWindows("/usr"), "");
  unsetenv("FONIX_DRIVE_Z");
}

TEST_F(PathsResolve, AFolderReachedThroughALinkStaysOnItsDrive) {
  const fs::path data = drive.Folder(drive.base / "instalado" / "orbis");
  fs::create_directory_symlink(data, drive.c / "orbis");
  ASSERT_TRUE(Paths::SetCurrentFolder("c:\\ORBIS"));
  EXPECT_EQ(Paths::CurrentFolder(), "c:\\orbis");
  EXPECT_EQ(Paths::ToHost("som"), C("orbis/som"));
  EXPECT_EQ(Paths::ToWindows(C("orbis/som")), "c:\\orbis\\som");
  // The link's target itself is inside no drive but z:.
  EXPECT_EQ(Paths::ToWindows(data.string()).substr(0, 3), "z:\\");
}
