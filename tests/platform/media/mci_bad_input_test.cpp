// Bad input to MCI: missing files, files that are not media, truncated and empty media,
// huge and broken command strings, out-of-range seeks and volumes, unknown commands and
// devices. Each gets an empty answer and an error, changes nothing, and never crashes;
// GStreamer's complaints never reach the terminal.
#include <sys/wait.h>

#include <fstream>

#include "tests/platform/media/mci_fixture.h"
#include "tests/support/fonix_run.h"

namespace {

TEST_F(MciTest, FilesThatCannotPlayFailTheOpenAndLeaveNoDevice) {
  const std::string good = Make("bom.mp4", Tone(440, 1.0) + " -f lavfi -i testsrc=size=160x120:rate=25:duration=1 "
                                               "-c:a aac -c:v libx264 -pix_fmt yuv420p -shortest");
  std::filesystem::create_directories(drive.c / "media");
  std::ofstream(Host("texto.mp3")) << "isto não é som\n";
  std::ofstream(Host("vazio.wav")).close();
  {
    std::ifstream in(Host("bom.mp4"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(Host("cortado.mp4"), std::ios::binary) << bytes.substr(0, bytes.size() * 2 / 5);
  }
  struct Case {
    std::string element;
    int error;
  };
  const Case cases[] = {
      {"c:\\media\\nada.wav", Mci::kErrFileNotFound},
      {"c:\\media", Mci::kErrFileNotFound},
      {"c:\\media\\texto.mp3", Mci::kErrInvalidFile},
      {"c:\\media\\vazio.wav", Mci::kErrInvalidFile},
      {"c:\\media\\cortado.mp4", Mci::kErrInvalidFile},
      {"mpegvideo!", Mci::kErrMissingParameter},
  };
  for (const Case& c : cases) {
    const int64_t start = Messages::NowMs();
    EXPECT_EQ(Send("open \"" + c.element + "\" alias x"), "") << c.element;
    EXPECT_EQ(rc, c.error) << c.element;
    EXPECT_EQ(Mci::LastError(), c.error) << "a failed open is remembered";
    EXPECT_EQ(Send("status x mode"), "") << "no device was made";
    EXPECT_EQ(Mci::OpenCount(), 0);
    EXPECT_EQ(Send("play " + c.element), "") << c.element;
    EXPECT_NE(rc, 0);
    EXPECT_EQ(Mci::OpenCount(), 0);
    EXPECT_LT(Messages::NowMs() - start, 9000) << c.element << ": a local file is judged in a few seconds";
  }
  EXPECT_EQ(Send("open " + good + " alias x"), "1") << "the same file whole opens";
}

TEST_F(MciTest, AMediumCutShortPlaysWhatItHasAndStops) {
  // With its index first, the front of an MP4 still plays.
  Make("inteiro.mp4", Tone(440, 2.0) + " -c:a aac -movflags +faststart");
  std::ifstream in(Host("inteiro.mp4"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(Host("metade.mp4"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  const std::string answer = Send("open c:\\media\\metade.mp4 alias m");
  if (answer == "1") {
    Send("play m wait");
    EXPECT_EQ(Send("status m mode"), "stopped");
    EXPECT_LT(std::stoi(Send("status m position")), 2000);
  } else {
    EXPECT_EQ(answer, "");
    EXPECT_EQ(rc, Mci::kErrInvalidFile);
  }
}

TEST_F(MciTest, BrokenCommandStringsAnswerNothingAndChangeNothing) {
  const std::string file = Make("tom.wav", Tone(440, 1.0));
  ASSERT_EQ(Send("open " + file + " alias t"), "1");
  struct Case {
    std::string command;
    int error;
  };
  const std::string big(10000, 'a');
  const Case cases[] = {
      {"", Mci::kErrMissingCommandString},
      {"open \"" + file + " alias u", Mci::kErrNoClosingQuote},
      {"dance t", Mci::kErrUnrecognizedCommand},
      {big, Mci::kErrMissingDeviceName},
      {"open " + big, Mci::kErrFileNotFound},
      {"status " + big + " mode", Mci::kErrInvalidDeviceName},
      {"play t from " + std::string(10000, '9'), Mci::kErrBadInteger},
      {"status t " + big, Mci::kErrUnrecognizedKeyword},
      {"close nada", Mci::kErrInvalidDeviceName},
      {"status t", Mci::kErrMissingParameter},
      {"status t colour", Mci::kErrUnrecognizedKeyword},
      {"open " + file + " alias", Mci::kErrMissingParameter},
      {"open " + file + " alias t", Mci::kErrDuplicateAlias},
      {"open " + file + " alias all", Mci::kErrDuplicateAlias},
      {"seek t to 1001", Mci::kErrOutOfRange},
      {"seek t to -5", Mci::kErrBadInteger},
      {"seek t", Mci::kErrMissingParameter},
      {"play t from 5000", Mci::kErrOutOfRange},
      {"play t from 800 to 200", Mci::kErrOutOfRange},
      {"play t backwards", Mci::kErrUnrecognizedKeyword},
      {"setaudio t volume to 1001", Mci::kErrOutOfRange},
      {"setaudio t volume to -1", Mci::kErrBadInteger},
      {"setaudio t volume", Mci::kErrMissingParameter},
      {"set t time format frames", Mci::kErrBadTimeFormat},
      {"window t handle janela", Mci::kErrBadInteger},
      {"status all mode", Mci::kErrInvalidDeviceName},
      {std::string("play \x01\xff\"\" t"), Mci::kErrUnrecognizedKeyword},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Send(c.command), "") << c.command.substr(0, 60);
    EXPECT_EQ(rc, c.error) << c.command.substr(0, 60);
  }
  EXPECT_EQ(Mci::OpenCount(), 1);
  EXPECT_EQ(Send("status t position"), "0");
  EXPECT_EQ(Send("status t mode"), "stopped");
  EXPECT_EQ(Send("status t volume"), "1000");
  EXPECT_EQ(Send("status t time format"), "milliseconds");
  // An alias of any length is a name like another; answers never exceed the buffer.
  EXPECT_EQ(Send("open " + file + " alias " + big), "2");
  EXPECT_EQ(Send("status " + big + " length"), "1000");
}

TEST(MciQuiet, GStreamersComplaintsNeverReachTheTerminal) {
  TempDrive drive;
  const std::filesystem::path media = drive.c / "m";
  std::filesystem::create_directories(media);
  std::ofstream(media / "texto.mp4") << "nada de video aqui";
  std::ofstream(media / "vazio.wav").close();
  ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=duration=1 -c:v libx264 '" +
                         (media / "mudo.mp4").string() + "'").c_str()),
            0);
  const std::string program = "mci $r \"open c:\\m\\texto.mp4 alias a\"\n"
                              "mci $r \"open c:\\m\\vazio.wav alias b\"\n"
                              "mci $r \"open http://127.0.0.1:1/nada.mp4 alias c\"\n"
                              "mci $r \"open mpegvideo!c:\\m\\mudo.mp4 alias d\"\n"
                              "mci $r \"window d handle 77\"\n"
                              "mci $r \"play d wait\"\n"
                              "escreve mudo $r\n"
                              "termina mudo\n";
  const FonixRun run = RunFonix(drive.base.string(), program, {}, {"DISPLAY", "GST_DEBUG"});
  EXPECT_EQ(run.status, 0) << run.status;
  EXPECT_EQ(run.errors, "");
}

}  // namespace
