// fonix with a braille display behind a real BRLTTY: the rows the program writes and moves
// to reach the display as Portuguese braille, the display's keys reach the program, and a
// missing, refusing, hung or restarted BRLTTY never disturbs the program.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "brltty_fixture.h"

namespace {

using Cells = std::vector<std::string>;
using std::chrono::seconds;

// The cells of "Ano 2010" ({ano #bjaj) and of "3.14 e 1.000" (#c.#ad e #a.jjj).
const Cells kAno = {"46", "1", "1345", "135", "", "3456", "12", "245", "1", "245", ""};
const Cells kNumbers = {"3456", "14", "3", "3456", "1", "145", "", "15", "", "3456", "1", "3", "245", "245", "245", ""};
// "ABCd 1º" ({{abc~d #,o) written over the start of "Ano 2010".
const Cells kCapitals = {"46", "46", "1", "12", "14", "5", "145", "", "3456", "2", "135", "3456", "245", ""};

std::string Shown(BrlttyFixture& brltty) {
  std::string text;
  for (const Cells& row : brltty.Rows()) {
    for (std::size_t i = 0; i < row.size() && i < 16; ++i) text += row[i] + "|";
    text += "\n";
  }
  return text;
}

std::map<std::string, std::string> Display(const BrlttyFixture& brltty) {
  return {{"BRLAPI_HOST", brltty.Host()}, {"BRLAPI_AUTH", "none"}};
}

std::vector<std::string> Keys(const std::string& transcript) {
  std::vector<std::string> keys;
  std::size_t at = 0;
  while ((at = transcript.find("key: ", at)) != std::string::npos) {
    const std::size_t end = transcript.find('\n', at);
    keys.push_back(transcript.substr(at + 5, end - at - 5));
    at = end;
  }
  return keys;
}

// Presses a key of the display and waits until the program has read `readBefore` + 1 keys.
bool PressAndWait(BrlttyFixture& brltty, const std::string& command, std::size_t readBefore) {
  brltty.Press(command);
  const auto until = std::chrono::steady_clock::now() + seconds(20);
  while (std::chrono::steady_clock::now() < until) {
    std::ifstream in(brltty.Folder() + "/transcript");
    std::stringstream text;
    text << in.rdbuf();
    if (Keys(text.str()).size() > readBefore) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// The program waits for a key after each step; the test checks the display, then types.
TEST(BrailleDisplayTest, RowsWrittenAndMovedToAreShownAndTheDisplaysKeysAreRead) {
  BrlttyFixture brltty(40);
  std::string error;
  ASSERT_TRUE(brltty.Start(error)) << error;
  const pid_t fonix = StartFonix(brltty.Folder(),
                                 "escreve mudo \"Ano 2010\"\n"
                                 "le tecla k\n"
                                 "escreve mudo \"3.14 e 1.000\"\n"
                                 "le tecla k\n"
                                 "tela @1,1\n"
                                 "le tecla k\n"
                                 "escreve mudo \"ABCd 1º\"\n"
                                 "le tecla k\n"
                                 "le tecla k\n"
                                 "le tecla k\n"
                                 "le tecla k\n",
                                 Display(brltty));
  ASSERT_GT(fonix, 0);
  std::size_t from = 0;
  std::size_t read = 0;
  auto step = [&](const Cells& shown, const std::string& key, const char* what) {
    const int row = brltty.WaitForRow(shown, from);
    ASSERT_GE(row, 0) << what << "\n" << Shown(brltty);
    EXPECT_EQ(brltty.Rows()[static_cast<std::size_t>(row)].size(), 40u) << what;
    from = static_cast<std::size_t>(row) + 1;
    ASSERT_TRUE(PressAndWait(brltty, key, read++)) << what;
  };
  step(kAno, "LnDn", "the row written");
  step(kNumbers, "LnUp", "the next row");
  step(kAno, "PassDots 64", "the row moved to");
  step(kCapitals, "PassDots 128", "capitals and an ordinal");
  // Dots 1 2 (b), dots 7 and 8 (Esc), dots 1 5 6 (the display's at sign).
  for (const char* key : {"PassDots 3", "PassDots 192", "PassDots 49"}) EXPECT_TRUE(PressAndWait(brltty, key, read++)) << key;
  const FonixRun run = FinishFonix(brltty.Folder(), fonix, seconds(30));
  EXPECT_EQ(run.status, 0) << run.errors << run.transcript;
  const std::vector<std::string> keys = Keys(run.transcript);
  EXPECT_EQ(keys, (std::vector<std::string>{"000#0#80", "000#0#72", "000#8", "000#13", "000#98", "000#27", "000#64"}));
  EXPECT_EQ(run.errors, "");
}

// A routing key over the row the cursor is on walks the cursor to that column.
TEST(BrailleDisplayTest, RoutingKeysMoveTheCursorAlongTheRow) {
  BrlttyFixture brltty(40);
  std::string error;
  ASSERT_TRUE(brltty.Start(error)) << error;
  const pid_t fonix = StartFonix(brltty.Folder(),
                                 "escreve mudo \"Ano 2010\" &\n"
                                 "le tecla k\n"
                                 "le tecla k\n"
                                 "le tecla k\n",
                                 Display(brltty));
  ASSERT_GT(fonix, 0);
  ASSERT_GE(brltty.WaitForRow(kAno), 0);
  // Cell 5 shows the number sign before 2010 (column 5); the cursor stands at column 9.
  brltty.Press("Route 5");
  const FonixRun run = FinishFonix(brltty.Folder(), fonix, seconds(30));
  EXPECT_EQ(run.status, 0) << run.errors << run.transcript;
  EXPECT_EQ(Keys(run.transcript), (std::vector<std::string>{"000#0#75", "000#0#75", "000#0#75"})) << run.transcript;
}

// No BRLTTY, or one that refuses the program: the display stays off without a word and the
// program runs as it always does (a key script, the screen, the end).
TEST(BrailleDisplayTest, WithoutBrlttyOrPermissionTheProgramIsUnchanged) {
  const std::string program = "escreve \"Ano 2010\"\nle tecla k\nescreve \"fim\"\n";
  BrlttyFixture absent(40);
  std::map<std::string, std::string> env = Display(absent);
  env["FONIX_KEYS"] = "x";
  FonixRun run = FinishFonix(absent.Folder(), StartFonix(absent.Folder(), program, env), seconds(30));
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_NE(run.transcript.find("key: 000#120"), std::string::npos) << run.transcript;
  EXPECT_EQ(run.screen.rfind("Ano 2010\nfim", 0), 0u) << run.screen;

  // BRLTTY that wants a key file the program does not have.
  BrlttyFixture refusing(40);
  std::string error;
  std::ofstream(refusing.Folder() + "/brlapi.key") << "secret-key-of-the-test\n";
  ASSERT_TRUE(refusing.Start(error, "keyfile:" + refusing.Folder() + "/brlapi.key")) << error;
  const std::size_t before = refusing.Rows().size();
  env = Display(refusing);
  env["BRLAPI_AUTH"] = "keyfile:" + refusing.Folder() + "/no-such.key";
  env["FONIX_KEYS"] = "x";
  run = FinishFonix(refusing.Folder(), StartFonix(refusing.Folder(), program, env), seconds(30));
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_NE(run.transcript.find("key: 000#120"), std::string::npos) << run.transcript;
  EXPECT_EQ(refusing.WaitForRow(kAno, before, std::chrono::milliseconds(500)), -1);
}

// BRLTTY hung while the program writes: the rows are dropped or kept, the program goes on.
TEST(BrailleDisplayTest, AHungBrlttyNeverHoldsTheProgram) {
  BrlttyFixture brltty(40);
  std::string error;
  ASSERT_TRUE(brltty.Start(error)) << error;
  const pid_t fonix = StartFonix(brltty.Folder(),
                                 "escreve mudo \"Ano 2010\"\n"
                                 "espera 2\n"
                                 "seja i 0\n"
                                 "enquanto i < 400\n"
                                 "  soma i 1\n"
                                 "  escreve mudo \"3.14 e 1.000\"\n"
                                 "fim enquanto\n"
                                 "escreve mudo \"fim\"\n",
                                 Display(brltty));
  ASSERT_GT(fonix, 0);
  ASSERT_GE(brltty.WaitForRow(kAno), 0);
  brltty.Freeze();
  const FonixRun run = FinishFonix(brltty.Folder(), fonix, seconds(40));
  brltty.Thaw();
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.screen.find("fim"), std::string::npos) << run.screen;
}

// BRLTTY gone and back: the next row the program writes finds it again.
TEST(BrailleDisplayTest, ARestartedBrlttyShowsTheNextRows) {
  BrlttyFixture brltty(40);
  std::string error;
  ASSERT_TRUE(brltty.Start(error)) << error;
  const pid_t fonix = StartFonix(brltty.Folder(),
                                 "escreve mudo \"Ano 2010\"\n"
                                 "le tecla k\n"
                                 "seja i 0\n"
                                 "enquanto i < 40\n"
                                 "  soma i 1\n"
                                 "  escreve mudo \"3.14 e 1.000\"\n"
                                 "  espera 1\n"
                                 "fim enquanto\n",
                                 Display(brltty));
  ASSERT_GT(fonix, 0);
  ASSERT_GE(brltty.WaitForRow(kAno), 0);
  brltty.Press("LnDn");
  ASSERT_GE(brltty.WaitForRow(kNumbers), 0);
  brltty.StopBrltty();
  const std::size_t before = brltty.Rows().size();
  ASSERT_TRUE(brltty.Start(error)) << error;
  EXPECT_GE(brltty.WaitForRow(kNumbers, before, seconds(20)), 0) << "the program's rows did not come back";
  kill(fonix, SIGKILL);
  FinishFonix(brltty.Folder(), fonix, seconds(10));
}

}  // namespace
