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

// A program on drive C that records each call: its argument count on a line, then every
// argument followed by a zero byte, so that any byte of an argument comes back as it went.
class CmdLineTest : public ProgramNamesTest {
 protected:
  using Calls = std::vector<std::vector<std::string>>;
  void SetUp() override {
    ProgramNamesTest::SetUp();
    log_ = Host("rec.log");
    std::ofstream(DriveC() / "rec.exe")
        << "#!/bin/sh\n{ echo $#; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } >>'" << log_ << "'\n";
    chmod((DriveC() / "rec.exe").c_str(), 0755);
  }
  // Runs the line as a child with pipes (as EXECUTA &&& does) and gives the calls recorded.
  Calls Run(const std::string& line) {
    std::filesystem::remove(log_);
    EXPECT_TRUE(ChildProcess::ChildStart(line)) << line;
    const int pid = ChildProcess::CurrentChildPid();
    EXPECT_TRUE(Until([&] { return !ProcessExists(pid); })) << line;
    std::ifstream in(log_, std::ios::binary);
    Calls calls;
    std::string count;
    while (std::getline(in, count)) {
      std::vector<std::string> args(std::stoul(count));
      for (std::string& a : args) std::getline(in, a, '\0');
      calls.push_back(args);
    }
    return calls;
  }
  // What plain EXECUTA gives the program for these parameters.
  static std::vector<std::string> Plain(const std::string& parameters) {
    CommandLine::Start start;
    EXPECT_EQ(CommandLine::FromProgram("c:\\rec", parameters, start), 0);
    return {start.argv.end() - static_cast<long>(ProgramNames::SplitArguments(parameters).size()), start.argv.end()};
  }
  std::string log_;
};

TEST_F(CmdLineTest, CmdAndPlainExecutaSplitArgumentsAlike) {
  // The C runtime's rule in both: \" is a quote, backslashes count only before a quote, ""
  // inside quotes is a quote, quotes may open and close inside a word.
  for (const std::string parameters :
       {"\"a\\\"b\" c", "\"a\\\\\" b", "a\\\\b c\\d", "\"um \"\"dois\"\"\"", "\"\" x", "ab\"c d\"e",
        "\"a b\\\\\\\"c\" d", "x\\\"y z"}) {
    const Calls calls = Run("cmd /c c:\\rec " + parameters);
    ASSERT_EQ(calls.size(), 1u) << parameters;
    EXPECT_EQ(calls[0], Plain(parameters)) << parameters;
  }
  EXPECT_EQ(Run("cmd /c c:\\rec \"a\\\"b\" c"), (Calls{{"a\"b", "c"}}));
}

TEST_F(CmdLineTest, WhatCmdReadsAsOperatorsAndWhatItKeeps) {
  // cmd's quote state toggles at every quote, \" too: the "&" after a \" is outside quotes.
  EXPECT_EQ(Run("cmd /c c:\\rec \"a\\\" & c:\\rec b"), (Calls{{"a\" "}, {"b"}}));
  // Carets outside quotes escape, and an escaped quote leaves cmd's quote state alone: the
  // whole argument reaches the program as one, whatever it holds.
  EXPECT_EQ(Run("cmd /c c:\\rec ^\"x^\" ^& y ^& ^\"^\" ^| ^> ^%PATH^% ^^"),
            (Calls{{"x", "&", "y", "&", "", "|", ">", "%PATH%", "^"}}));
  EXPECT_EQ(Run("cmd /c c:\\rec \"x&t=1 | y > z\" $HOME `id` 'q' ;"), (Calls{{"x&t=1 | y > z", "$HOME", "`id`", "'q'", ";"}}));
  setenv("FONIX_TESTE_VAR", "um valor", 1);
  EXPECT_EQ(Run("cmd /c c:\\rec %FONIX_TESTE_VAR% \"%FONIX_TESTE_VAR%\" %NAO_DEFINIDA% 50%"),
            (Calls{{"um", "valor", "um valor", "%NAO_DEFINIDA%", "50%"}}));
  unsetenv("FONIX_TESTE_VAR");
  EXPECT_EQ(Run("cmd /c c:\\rec a & c:\\rec b && c:\\rec c || c:\\rec d"), (Calls{{"a"}, {"b"}, {"c"}}));
  EXPECT_EQ(Run("cmd /c (c:\\rec a & c:\\rec b) > c:\\grupo.txt & c:\\rec c"), (Calls{{"a"}, {"b"}, {"c"}}));
  EXPECT_EQ(ReadFile(DriveC() / "grupo.txt"), "");  // rec writes its own log, not its output
  EXPECT_EQ(Run("cmd /c \"c:\\rec \"a b\" c\""), (Calls{{"a b", "c"}}));  // the quotes around the line
  // Redirections: the target is one token (its quotes removed), the command goes on after it.
  EXPECT_EQ(Run("cmd /c echo um >\"c:\\com espaco.txt\" dois 2>&1 & echo tres 2>nul >>NUL"), Calls{});
  EXPECT_EQ(ReadFile(DriveC() / "com espaco.txt"), "um dois\n");
  EXPECT_EQ(Run("cmd /c c:\\rec <c:\\com^ espaco.txt x"), (Calls{{"x"}}));
}

TEST_F(CmdLineTest, TheShProgramHoldsNoWordOfTheLine) {
  // Whatever the line holds, the program text is operators and positional references only.
  const CmdShell::Script script = CmdShell::ToShell("x \"$(id)\" `id` ;y ^& 'z' >c:\\f 2>&1 | ww && (v) || u & t");
  EXPECT_EQ(script.text, "\"${1}\" \"${2}\" \"${3}\" \"${4}\" \"${5}\" \"${6}\" > \"${7}\" 2>&1 | \"${8}\" && ( \"${9}\" ) || "
                         "\"${10}\" ; \"${11}\"");
  EXPECT_EQ(script.words, (std::vector<std::string>{"x", "$(id)", "`id`", ";y", "&", "'z'", Host("f"), "ww", "v", "u", "t"}));
  EXPECT_EQ(CmdShell::ShellArguments("/q /d /c x").size(), 5u);
  EXPECT_EQ(CmdShell::ShellArguments("/k x")[2], "\"${1}\"\nexec /bin/sh");
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
