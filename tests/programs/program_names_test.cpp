// Programs named the Windows way and their command lines: the search with and without
// ".exe", the C runtime's splitting of parameters, drive paths among the arguments, and cmd
// lines rewritten for sh, then run for real.
#include "programs_fixture.h"
#include "services/cmd_shell.h"
#include "services/command_line.h"
#include "services/program_names.h"

namespace {

using ProgramNames::SplitArguments;

class ProgramNamesTest : public ProgramsTest {
 protected:
  std::string Host(const std::string& relative) { return (DriveC() / relative).string(); }
  static std::string ProgramPath(const std::string& name) {
    ProgramNames::Program p;
    ProgramNames::Find(name, p);
    return p.host;
  }
  static std::string CurrentHost(const std::string& name) { return Paths::ToHost(name); }
};

TEST(ProgramArguments, SplitAsTheWindowsRuntimeDoes) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitArguments(""), V{});
  EXPECT_EQ(SplitArguments("  a  b\tc "), (V{"a", "b", "c"}));
  EXPECT_EQ(SplitArguments("-o \"c:\\com espaco\\v.mp4\" x"), (V{"-o", "c:\\com espaco\\v.mp4", "x"}));
  EXPECT_EQ(SplitArguments("a\\\\b c\\d"), (V{"a\\\\b", "c\\d"}));       // backslashes alone stay
  EXPECT_EQ(SplitArguments("\"a\\\"b\""), (V{"a\"b"}));                   // \" is a quote
  EXPECT_EQ(SplitArguments("\"a\\\\\" b"), (V{"a\\", "b"}));              // \\" is a backslash, then the quote
  EXPECT_EQ(SplitArguments("\"um \"\"dois\"\"\""), (V{"um \"dois\""}));   // "" inside quotes
  EXPECT_EQ(SplitArguments("\"\" x"), (V{"", "x"}));                      // an empty argument
  EXPECT_EQ(SplitArguments("ab\"c d\"e"), (V{"abc de"}));
  EXPECT_EQ(SplitArguments("\"aberto"), (V{"aberto"}));                   // a quote left open
  EXPECT_EQ(SplitArguments("'a b'"), (V{"'a", "b'"}));                    // no single quotes on Windows
}

TEST_F(ProgramNamesTest, FoundWithAndWithoutExeInAnyCase) {
  std::filesystem::create_directories(DriveC() / "Ferramentas");
  std::filesystem::copy_file("/bin/true", DriveC() / "Ferramentas" / "conv.exe");
  std::filesystem::copy_file("/bin/true", DriveC() / "Ferramentas" / "wget");
  ProgramNames::Program p;
  EXPECT_EQ(ProgramNames::Find("c:\\ferramentas\\CONV", p), ProgramNames::kFound);
  EXPECT_EQ(p.host, Host("Ferramentas/conv.exe"));
  EXPECT_EQ(p.keys, (std::vector<std::string>{"CONV", "CONV"}));
  EXPECT_EQ(p.windowsPath, "C:\\FERRAMENTAS\\CONV");
  EXPECT_EQ(ProgramNames::Find("C:/Ferramentas/conv.EXE", p), ProgramNames::kFound);
  EXPECT_EQ(ProgramNames::Find("c:\\ferramentas\\wget.exe", p), ProgramNames::kFound);
  EXPECT_EQ(p.host, Host("Ferramentas/wget"));
  // Bare names: the current folder first, then PATH without ".exe".
  ASSERT_TRUE(Paths::SetCurrentFolder("c:\\ferramentas"));
  EXPECT_EQ(ProgramNames::Find("Conv.exe", p), ProgramNames::kFound);
  EXPECT_EQ(p.host, Host("Ferramentas/conv.exe"));
  EXPECT_EQ(ProgramNames::Find("sh.exe", p), ProgramNames::kFound);
  EXPECT_EQ(p.keys[0], "SH");
  EXPECT_EQ(ProgramNames::Find("  sh  ", p), ProgramNames::kFound);
  // Not found: no file, no folder, a folder or a file that is no program.
  EXPECT_EQ(ProgramNames::Find("c:\\ferramentas\\nada", p), ProgramNames::kFileNotFound);
  EXPECT_EQ(ProgramNames::Find("c:\\sem\\pasta\\conv", p), ProgramNames::kPathNotFound);
  EXPECT_EQ(ProgramNames::Find("c:\\ferramentas", p), ProgramNames::kAccessDenied);
  std::ofstream(DriveC() / "nota.txt") << "texto";
  EXPECT_EQ(ProgramNames::Find("c:\\nota.txt", p), ProgramNames::kAccessDenied);
  EXPECT_EQ(ProgramNames::Find("", p), ProgramNames::kFileNotFound);
  // A Linux path as such.
  EXPECT_EQ(ProgramNames::Find("/bin/sh", p), ProgramNames::kFound);
}

TEST_F(ProgramNamesTest, DrivePathsAmongTheArguments) {
  EXPECT_EQ(ProgramNames::HostArgument("c:\\clipora-light\\temp\\pag.html"), Host("clipora-light/temp/pag.html"));
  EXPECT_EQ(ProgramNames::HostArgument("--saida=C:/x.mp3"), "--saida=" + Host("x.mp3"));
  EXPECT_EQ(ProgramNames::HostArgument("https://www.youtube.com/watch?v=abc"), "https://www.youtube.com/watch?v=abc");
  EXPECT_EQ(ProgramNames::HostArgument("q:\\sem-unidade"), "q:\\sem-unidade");  // a letter with no drive
  EXPECT_EQ(ProgramNames::HostArgument("a\xe7\xe3o"), "a\xc3\xa7\xc3\xa3o");     // text becomes UTF-8
  CommandLine::Start start;
  ASSERT_EQ(CommandLine::FromProgram("printf", "\"%s|\" -o c:\\a.txt \"c:\\com espaco\\b\"", start), 0);
  EXPECT_EQ(start.argv, (std::vector<std::string>{start.host, "%s|", "-o", Host("a.txt"), Host("com espaco/b")}));
}

TEST_F(ProgramNamesTest, UnquotedProgramPathsWithBlanks) {
  std::filesystem::create_directories(DriveC() / "dir with space");
  std::filesystem::copy_file("/bin/echo", DriveC() / "dir with space" / "p.exe");
  CommandLine::Start start;
  ASSERT_EQ(CommandLine::FromCommandLine("c:\\dir with space\\p.exe -x", start), 0);
  EXPECT_EQ(start.host, Host("dir with space/p.exe"));
  EXPECT_EQ(start.argv.back(), "-x");
  ASSERT_EQ(CommandLine::FromCommandLine("\"c:\\dir with space\\p\" -y", start), 0);
  EXPECT_EQ(start.argv.back(), "-y");
  // Nothing found: the first word is the name that was not found.
  EXPECT_EQ(CommandLine::FromCommandLine("c:\\dir with nothing\\p.exe -x", start), ProgramNames::kFileNotFound);
}

TEST_F(ProgramNamesTest, CmdLinesBecomeShLines) {
  using CmdShell::ToShell;
  EXPECT_EQ(ToShell("echo a & echo b"), "'" + ProgramPath("echo") + "' 'a' ; '" + ProgramPath("echo") + "' 'b'");
  EXPECT_EQ(ToShell("cd && x || y"), "'cd' && 'x' || 'y'");
  EXPECT_EQ(ToShell("x >c:\\saida.txt 2>&1"), "'x' > '" + Host("saida.txt") + "' 2>&1");
  EXPECT_EQ(ToShell("x 2>nul >>NUL"), "'x' 2> /dev/null >> /dev/null");
  EXPECT_EQ(ToShell("x \"a b\" c^&d $HOME `y` 'z'"), "'x' 'a b' 'c&d' '$HOME' '`y`' ''\\''z'\\'''");
  setenv("FONIX_TESTE_VAR", "valor", 1);
  EXPECT_EQ(ToShell("x %FONIX_TESTE_VAR% %NAO_DEFINIDA% 50%"), "'x' 'valor' '%NAO_DEFINIDA%' '50%'");
  unsetenv("FONIX_TESTE_VAR");
  EXPECT_EQ(ToShell("x <c:\\entrada | y"), "'x' < '" + Host("entrada") + "' | 'y'");
  EXPECT_EQ(ToShell("(x & y) > z"), "( 'x' ; 'y' ) > '" + CurrentHost("z") + "'");
  // The quotes around a whole line after /c.
  EXPECT_EQ(CmdShell::ShellArguments("/c \"x y\"")[2], "'x' 'y'");
  EXPECT_EQ(CmdShell::ShellArguments("/C \"\"x\" \"y\"\"")[2], "'x' 'y'");
  EXPECT_EQ(CmdShell::ShellArguments("/q /d /c x").size(), 3u);
  EXPECT_EQ(CmdShell::ShellArguments(""), std::vector<std::string>{"sh"});
  EXPECT_TRUE(CmdShell::IsCommandInterpreter("C:\\Windows\\System32\\CMD.EXE"));
  EXPECT_FALSE(CmdShell::IsCommandInterpreter("cmdx"));
}

TEST_F(ProgramNamesTest, TheDownloaderLineOfTheApplicationRuns) {
  // The application's own line for a video's title, with a downloader that reports the
  // arguments it got, one per line, and complains on its error stream.
  std::filesystem::create_directories(DriveC() / "clipora-light" / "temp");
  std::ofstream(DriveC() / "clipora-light" / "youtube-dl.exe")
      << "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\necho aviso >&2\n";
  chmod((DriveC() / "clipora-light" / "youtube-dl.exe").c_str(), 0755);
  ASSERT_TRUE(Paths::SetCurrentFolder("c:\\clipora-light"));
  ASSERT_TRUE(ChildProcess::ChildStart(
      "cmd /c c:\\clipora-light\\youtube-dl -e \"https://www.youtube.com/watch?v=x&t=1\" "
      ">c:\\clipora-light\\temp\\lr 2>&1"));
  const int pid = ChildProcess::CurrentChildPid();
  EXPECT_TRUE(ChildProcess::ProcessRunning("cmd.exe"));
  ASSERT_TRUE(Until([&] { return !ProcessExists(pid); }));
  EXPECT_FALSE(ChildProcess::ProcessRunning("cmd.exe"));
  EXPECT_EQ(ReadFile(DriveC() / "clipora-light" / "temp" / "lr"),
            "[-e]\n[https://www.youtube.com/watch?v=x&t=1]\naviso\n");
  EXPECT_EQ(ChildProcess::ChildReadOutput(), "");  // everything went to the file
  // Its version, asked in the current folder by the Windows name.
  ASSERT_TRUE(ChildProcess::ChildStart("youtube-dl.exe --version"));
  const int version = ChildProcess::CurrentChildPid();
  ASSERT_TRUE(Until([&] { return !ProcessExists(version); }));
  EXPECT_EQ(ChildProcess::ChildReadOutput(), "[--version]\r\n\r\naviso\r\n\r\n");
}

}  // namespace
