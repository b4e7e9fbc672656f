// Wildcards with the Windows rules, directory searches with attributes and sizes, and the
// first-start drive C tree with installed data.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "tests/support/temp_drive.h"

namespace fs = std::filesystem;

TEST(PathsWildcard, StarDotStarAndTheDosRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*.*", "leia", true},        {"*.*", "a.b.c", true},        {"*", ".perfil", true},
      {"*.txt", "NOTA.TXT", true},  {"*.txt", "a.b.txt", true},    {"*.txt", "a.txt.bak", false},
      {"*.", "leia", true},         {"*.", "leia.txt", false},     {"nota.*", "nota", true},
      {"nota.*", "notas", false},   {"a?c", "abc", true},          {"a?c", "ac", false},
      {"abc?", "abc", true},        {"abc?", "abcd", true},        {"abc?", "abcde", false},
      {"ab??.txt", "ab.txt", true}, {"ab??.txt", "abcd.txt", true}, {"ab??.txt", "abcde.txt", false},
      {"*.tx?", "a.tx", true},      {"*a*b", "xaxxb", true},       {"*a*b", "xaxxbc", false},
      {"", "", true},               {"", "a", false},              {"a", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(Paths::WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " ~ " << c.name;
  EXPECT_TRUE(Paths::WildcardMatch("LIÇÃO*"_cp, "lição 1.txt"_cp));
  // Many stars against a long name stay quick and right; absurd lengths never match.
  EXPECT_FALSE(Paths::WildcardMatch("*a*a*a*a*a*a*b", std::string(4000, 'a')));
  EXPECT_FALSE(Paths::WildcardMatch("*", std::string(100000, 'a')));
}

class PathsFind : public ::testing::Test {
 protected:
  TempDrive drive;
  void SetUp() override {
    drive.Write(drive.c / "Dados" / "Nota.TXT", "12345");
    drive.Write(drive.c / "Dados" / "b.dat", "");
    drive.Folder(drive.c / "Dados" / "Sub");
    fs::create_symlink(drive.base / "nowhere", drive.c / "Dados" / "quebrado.txt");
    mkfifo((drive.c / "Dados" / "fila").c_str(), 0600);
  }
  static std::string Names(const std::vector<Paths::FoundFile>& found) {
    std::string out;
    for (const auto& f : found) out += f.name + ":" + std::to_string(f.attributes) + ":" + std::to_string(f.size) + " ";
    return out;
  }
};

TEST_F(PathsFind, SearchListsNamesWithAttributesAndSizes) {
  EXPECT_EQ(Names(Paths::FindFiles("C:\\DADOS\\*.*")), ".:16:0 ..:16:0 b.dat:32:0 Nota.TXT:32:5 Sub:16:0 ");
  EXPECT_EQ(Names(Paths::FindFiles("c:\\dados\\*.txt")), "Nota.TXT:32:5 ");
  EXPECT_EQ(Names(Paths::FindFiles("c:\\dados\\NOTA.txt")), "Nota.TXT:32:5 ");
  EXPECT_EQ(Names(Paths::FindFiles("c:\\*")), "Dados:16:0 ");  // no dot entries in a root
  ASSERT_TRUE(Paths::SetCurrentFolder("c:\\dados"));
  EXPECT_EQ(Names(Paths::FindFiles("*.dat")), "b.dat:32:0 ");
  EXPECT_EQ(Names(Paths::FindFiles("..\\d*")), "Dados:16:0 ");
}

TEST_F(PathsFind, SearchesThatFindNothing) {
  EXPECT_TRUE(Paths::FindFiles("c:\\dados\\*.xyz").empty());
  EXPECT_TRUE(Paths::FindFiles("c:\\naoha\\*.*").empty());
  EXPECT_TRUE(Paths::FindFiles("c:\\dados\\").empty());
  EXPECT_TRUE(Paths::FindFiles("c:\\").empty());
  EXPECT_TRUE(Paths::FindFiles("q:\\*.*").empty());
  EXPECT_TRUE(Paths::FindFiles("").empty());
}

TEST(PathsInstall, FirstStartMakesTheDriveCTree) {
  TempDrive drive;
  fs::remove_all(drive.c);
  drive.Folder(drive.c / "Orbis");  // an existing folder in another case is the same folder
  fs::remove(drive.c / "Orbis");
  drive.Folder(drive.c / "ORBIS");
  ASSERT_TRUE(Paths::EnsureDriveC());
  for (const char* f : {"ORBIS", "clipora-light", "clipora-light/temp", "windows"})
    EXPECT_TRUE(fs::is_directory(drive.c / f)) << f;
  EXPECT_FALSE(fs::exists(drive.c / "orbis"));
  EXPECT_TRUE(Paths::EnsureDriveC());  // again: nothing to do
}

TEST(PathsInstall, DataIsCopiedOnlyWhereMissing) {
  TempDrive drive;
  const fs::path src = drive.base / "share";
  drive.Write(src / "som" / "a.wav", "A");
  drive.Write(src / "ferramentas" / "wget", "W");
  fs::permissions(src / "ferramentas" / "wget", fs::perms::owner_read | fs::perms::owner_exec);

  // Copies are real, writable files; what the user changed is not overwritten.
  ASSERT_TRUE(Paths::InstallData(src.string(), "c:\\app", Paths::InstallMode::Copy));
  EXPECT_FALSE(fs::is_symlink(drive.c / "app" / "ferramentas" / "wget"));
  EXPECT_TRUE((fs::status(drive.c / "app/ferramentas/wget").permissions() & fs::perms::owner_write) != fs::perms::none);
  EXPECT_TRUE((fs::status(drive.c / "app/ferramentas/wget").permissions() & fs::perms::owner_exec) != fs::perms::none);
  drive.Write(drive.c / "app" / "som" / "a.wav", "changed");
  drive.Write(src / "som" / "b.wav", "B");
  fs::rename(drive.c / "app" / "som", drive.c / "app" / "Som");
  ASSERT_TRUE(Paths::InstallData(src.string(), "c:\\app", Paths::InstallMode::Copy));
  std::ifstream in(drive.c / "app" / "Som" / "a.wav");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, "changed");
  EXPECT_TRUE(fs::exists(drive.c / "app" / "Som" / "b.wav"));
  EXPECT_FALSE(fs::exists(drive.c / "app" / "som"));

  EXPECT_FALSE(Paths::InstallData((drive.base / "absent").string(), "c:\\x", Paths::InstallMode::Copy));
}

// Read a file's whole text.
static std::string Slurp(const fs::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(PathsInstall, DataTheUserCanChangeIsNeverLinked) {
  // A build tree's data: linking it would let a program that writes into drive C change
  // it, for every later run and test.
  TempDrive drive;
  const fs::path src = drive.base / "build" / "speechdata";
  drive.Write(src / "som" / "a.wav", "A");
  drive.Write(src / "letras" / "_0.wav", "0");
  ASSERT_TRUE(Paths::InstallData((src / "som").string(), "c:\\orbis\\som", Paths::InstallMode::Link));
  ASSERT_TRUE(Paths::InstallData((src / "letras").string(), "c:\\orbis\\letras", Paths::InstallMode::LinkEntries));
  EXPECT_FALSE(fs::is_symlink(drive.c / "orbis" / "som"));
  EXPECT_FALSE(fs::is_symlink(drive.c / "orbis" / "letras" / "_0.wav"));
  std::ofstream(Paths::ToHost("c:\\orbis\\som\\A.WAV"), std::ios::trunc) << "escrito";
  std::ofstream(Paths::ToHost("c:\\orbis\\letras\\_0.wav"), std::ios::trunc) << "escrito";
  EXPECT_EQ(Slurp(src / "som" / "a.wav"), "A");
  EXPECT_EQ(Slurp(src / "letras" / "_0.wav"), "0");

  // Links an earlier install made into such data become copies.
  fs::remove_all(drive.c / "orbis");
  fs::create_directories(drive.c / "orbis" / "letras");
  fs::create_directory_symlink(src / "som", drive.c / "orbis" / "som");
  fs::create_symlink(src / "letras" / "_0.wav", drive.c / "orbis" / "letras" / "_0.wav");
  ASSERT_TRUE(Paths::InstallData((src / "som").string(), "c:\\orbis\\som", Paths::InstallMode::Link));
  ASSERT_TRUE(Paths::InstallData((src / "letras").string(), "c:\\orbis\\letras", Paths::InstallMode::LinkEntries));
  EXPECT_FALSE(fs::is_symlink(drive.c / "orbis" / "som"));
  EXPECT_FALSE(fs::is_symlink(drive.c / "orbis" / "letras" / "_0.wav"));
  EXPECT_EQ(Slurp(drive.c / "orbis" / "letras" / "_0.wav"), "0");
}

TEST(PathsInstall, AFullDiskLeavesNoCutFileAndTheNextStartMendsIt) {
  TempDrive drive;
  const fs::path src = drive.base / "speechdata" / "letras";
  const std::string big(20000, 'x');
  for (const char* name : {"_0.wav", "_1.wav", "a.wav"}) drive.Write(src / name, big);
  drive.Write(src / "pequeno.wav", "p");
  // An install that a disk cut short left an empty letter behind.
  drive.Write(drive.c / "orbis" / "letras" / "_1.wav", "");
  // The first start on a full disk: every write past 4 KB is refused.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(Paths::InstallData(src.string(), "c:\\orbis\\letras", Paths::InstallMode::LinkEntries) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1) << "a refused write is reported";
  // Each file is whole or absent: no cut copy, no work file.
  for (const auto& entry : fs::directory_iterator(drive.c / "orbis" / "letras")) {
    const std::string name = entry.path().filename().string();
    EXPECT_NE(name[0], '.') << "work file left: " << name;
    if (name != "_1.wav") EXPECT_EQ(entry.file_size(), fs::file_size(src / name)) << name;
  }
  EXPECT_EQ(Slurp(drive.c / "orbis" / "letras" / "pequeno.wav"), "p");
  // The next start, with room again, installs what is missing or cut.
  ASSERT_TRUE(Paths::InstallData(src.string(), "c:\\orbis\\letras", Paths::InstallMode::LinkEntries));
  for (const char* name : {"_0.wav", "_1.wav", "a.wav"})
    EXPECT_TRUE(Slurp(drive.c / "orbis" / "letras" / name) == big) << name;
}
