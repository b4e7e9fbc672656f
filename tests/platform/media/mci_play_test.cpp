// MCI playback of generated media heard in the capture file: length, level and frequency of
// a tone in every usual format, seeks and plays from/to, pause as silence, balance and
// volume, several devices at once, and "play FILE" opening a device of its own.
#include "tests/platform/media/mci_fixture.h"

namespace {

TEST_F(MciTest, AWaveToneIsHeardWithItsLengthLevelAndFrequency) {
  const std::string file = Make("tom.wav", Tone(440, 1.0));
  EXPECT_EQ(Send("open \"" + file + "\" alias tom"), "1");
  EXPECT_EQ(Send("status tom length"), "1000");
  EXPECT_EQ(Send("status tom mode"), "stopped");
  EXPECT_EQ(Send("status tom position"), "0");
  EXPECT_EQ(Send("status tom ready"), "true");
  EXPECT_EQ(Send("play tom"), "");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Send("status tom mode"), "playing");
  WaitStopped("tom");
  EXPECT_EQ(Send("status tom mode"), "stopped") << "a stream that ends by itself";
  EXPECT_EQ(Send("status tom position"), "1000");
  const Sound s = Heard();
  ASSERT_EQ(s.rate, 44100);
  const auto runs = LoudRuns(s, s.left);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NEAR(runs[0].Length(), 1.0, 0.05);
  EXPECT_NEAR(Rms(s, s.left, runs[0].start + 0.1, 0.8), 4096 / std::sqrt(2.0), 150);
  EXPECT_NEAR(Rms(s, s.right, runs[0].start + 0.1, 0.8), 4096 / std::sqrt(2.0), 150);
  EXPECT_NEAR(ToneFrequency(s, s.left, runs[0].start + 0.1, 0.8), 440, 4);
}

TEST_F(MciTest, EveryUsualFormatPlaysItsTone) {
  struct Case {
    std::string name, codec;
    double hz;
  };
  const Case cases[] = {
      {"tom.mp3", "-c:a libmp3lame -b:a 128k", 330},
      {"tom.ogg", "-c:a libvorbis", 550},
      {"tom.mp4", "-c:a aac -c:v libx264 -pix_fmt yuv420p -shortest", 660},
      {"tom.webm", "-c:a libopus -c:v libvpx -shortest", 770},
  };
  for (const Case& c : cases) {
    const bool video = c.name.ends_with("mp4") || c.name.ends_with("webm");
    const std::string picture = video ? " -f lavfi -i testsrc=size=160x120:rate=25:duration=0.8" : "";
    const std::string file = Make(c.name, Tone(c.hz, 0.8) + picture + " " + c.codec);
    const std::string alias = "m" + std::to_string(int(c.hz));
    EXPECT_EQ(Send("open " + file + " alias " + alias), "1") << c.name;
    EXPECT_NEAR(std::stoi("0" + Send("status " + alias + " length")), 800, 60) << c.name;
    Send("play " + alias + " wait");
    EXPECT_EQ(Send("status " + alias + " mode"), "stopped") << c.name << ": play … wait returns at the end";
    Send("close " + alias);
    // Each format is heard on its own capture: a loaded machine may deliver the next tone
    // early into the silence between them, which would join two tones into one run.
    const Sound s = Heard();
    const auto runs = LoudRuns(s, s.left);
    ASSERT_EQ(runs.size(), 1u) << c.name;
    EXPECT_NEAR(runs[0].Length(), 0.8, 0.1) << c.name;
    EXPECT_NEAR(ToneFrequency(s, s.left, runs[0].start + 0.2, 0.4), c.hz, c.hz * 0.02) << c.name;
  }
}

TEST_F(MciTest, SeeksAndPlaysFromAndToLandWhereAsked) {
  const std::string file = Make("passos.wav", Steps());
  ASSERT_EQ(Send("open " + file + " alias p"), "1");
  EXPECT_EQ(Send("seek p to 2000"), "");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Send("status p position"), "2000");
  EXPECT_NE(Send("status p mode"), "playing") << "a seek leaves the device stopped";
  Send("play p");
  WaitStopped("p");
  EXPECT_EQ(Send("status p position"), "3000");
  Wait(300);
  Send("play p from 1000 to 1500");
  WaitStopped("p");
  EXPECT_EQ(Send("status p position"), "1500");
  EXPECT_EQ(Send("status p mode"), "stopped");
  Send("seek p to start");
  EXPECT_EQ(Send("status p position"), "0");
  Send("seek p to end");
  EXPECT_EQ(Send("status p position"), "3000");

  const Sound s = Heard();
  const auto runs = LoudRuns(s, s.left);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NEAR(runs[0].Length(), 1.0, 0.06);
  EXPECT_NEAR(ToneFrequency(s, s.left, runs[0].start + 0.1, 0.8), 880, 10) << "the seek landed in the third second";
  EXPECT_NEAR(runs[1].Length(), 0.5, 0.06);
  EXPECT_NEAR(ToneFrequency(s, s.left, runs[1].start + 0.1, 0.3), 660, 10) << "played from the second second";
}

TEST_F(MciTest, PauseIsSilenceAndResumeGoesOnWhereItStopped) {
  const std::string file = Make("longo.wav", Steps());
  ASSERT_EQ(Send("open " + file + " alias p"), "1");
  Send("play p");
  Wait(1500);
  Send("pause p");
  EXPECT_EQ(Send("status p mode"), "paused");
  const int at = std::stoi(Send("status p position"));
  Wait(600);
  EXPECT_EQ(Send("status p position"), std::to_string(at)) << "a paused device does not move";
  Send("resume p");
  EXPECT_EQ(Send("status p mode"), "playing");
  Wait(500);
  Send("stop p");
  EXPECT_EQ(Send("status p mode"), "stopped");
  const int stoppedAt = std::stoi(Send("status p position"));
  Wait(300);
  EXPECT_EQ(Send("status p position"), std::to_string(stoppedAt));
  Send("play p");  // a stopped device goes on from where it was
  WaitStopped("p");

  const Sound s = Heard();
  const auto runs = LoudRuns(s, s.left);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_NEAR(at, runs[0].Length() * 1000, 80) << "the position is what was heard";
  EXPECT_NEAR(stoppedAt - at, runs[1].Length() * 1000, 80);
  EXPECT_GE(runs[1].start - runs[0].end, 0.55) << "silence while paused";
  EXPECT_LT(Rms(s, s.left, runs[0].end + 0.05, 0.45), 1.0);
  EXPECT_GE(runs[2].start - runs[1].end, 0.25) << "silence while stopped";
  EXPECT_NEAR(runs[0].Length() + runs[1].Length() + runs[2].Length(), 3.0, 0.12) << "nothing lost or repeated";
  EXPECT_NEAR(ToneFrequency(s, s.left, runs[1].start + 0.01, 0.08), ToneFrequency(s, s.left, runs[0].end - 0.09, 0.08),
              10)
      << "resumed where it paused";
  EXPECT_NEAR(ToneFrequency(s, s.left, runs[2].end - 0.4, 0.3), 880, 10);
}

TEST_F(MciTest, BalanceAndVolumeSetEachSide) {
  const std::string file = Make("tom.ogg", Tone(440, 2.0) + " -c:a libvorbis");
  ASSERT_EQ(Send("open " + file + " alias m"), "1");
  EXPECT_EQ(Send("setaudio m left volume to 0"), "");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Send("status m left volume"), "0");
  Send("play m from 0 to 500 wait");
  Send("setaudio m left volume to 1000");
  Send("setaudio m right volume to 250");
  Send("play m from 500 to 1000 wait");
  Send("setaudio m volume to 500");
  Send("play m from 1000 to 1500 wait");
  EXPECT_EQ(Send("setaudio m volume to 1001"), "");
  EXPECT_EQ(rc, Mci::kErrOutOfRange);
  EXPECT_EQ(Send("status m volume"), "500") << "a volume out of range changes nothing";

  const Sound s = Heard();
  const double full = 4096 / std::sqrt(2.0);
  const auto runs = LoudRuns(s, s.right, 150);
  ASSERT_EQ(runs.size(), 1u) << "the right side plays throughout";
  const double t0 = runs[0].start;
  EXPECT_LT(Rms(s, s.left, t0 + 0.1, 0.3), 30) << "left at 0";
  EXPECT_NEAR(Rms(s, s.right, t0 + 0.1, 0.3), full, full * 0.08);
  EXPECT_NEAR(Rms(s, s.left, t0 + 0.6, 0.3), full, full * 0.08);
  EXPECT_NEAR(Rms(s, s.right, t0 + 0.6, 0.3), full / 4, full * 0.05) << "right at 250";
  EXPECT_NEAR(Rms(s, s.left, t0 + 1.1, 0.3), full / 2, full * 0.05) << "both at 500";
  EXPECT_NEAR(Rms(s, s.right, t0 + 1.1, 0.3), full / 2, full * 0.05);
}

TEST_F(MciTest, SeveralDevicesPlayAtOnceAndKeepTheirOwnState) {
  const std::string a = Make("a.wav", Tone(440, 1.0));
  const std::string b = Make("b.ogg", Tone(880, 2.0) + " -c:a libvorbis");
  EXPECT_EQ(Send("open " + a + " alias um"), "1");
  EXPECT_EQ(Send("open " + b + " alias dois"), "2");
  EXPECT_EQ(Send("open " + a + " alias UM"), "") << "aliases ignore letter case";
  EXPECT_EQ(rc, Mci::kErrDuplicateAlias);
  Send("play dois");
  Send("play um");
  Wait(300);
  EXPECT_EQ(Send("status um mode"), "playing");
  Send("pause dois");
  EXPECT_EQ(Send("status dois mode"), "paused");
  EXPECT_EQ(Send("status UM mode"), "playing");
  Send("resume dois");
  WaitStopped("um");
  EXPECT_EQ(Send("status dois mode"), "playing");
  Send("close um");
  EXPECT_EQ(Send("status um mode"), "");
  EXPECT_EQ(rc, Mci::kErrInvalidDeviceName);
  EXPECT_EQ(Send("open " + a + " alias tres"), "1") << "the lowest free number";
  WaitStopped("dois");
  Send("close all");
  EXPECT_EQ(Mci::OpenCount(), 0);

  const Sound s = Heard();
  const auto runs = LoudRuns(s, s.left);
  ASSERT_GE(runs.size(), 1u);
  const double t0 = runs.front().start;
  EXPECT_GT(LevelAt(s, s.left, 440, t0 + 0.05, 0.2), 1000) << "both at once";
  EXPECT_GT(LevelAt(s, s.left, 880, t0 + 0.05, 0.2), 1000);
  const double end = runs.back().end;
  EXPECT_LT(LevelAt(s, s.left, 440, end - 0.4, 0.3), 100) << "the short one has ended";
  EXPECT_GT(LevelAt(s, s.left, 880, end - 0.4, 0.3), 1000);
}

TEST_F(MciTest, PlayOfAFileOpensItAndClosesItAfterItHasPlayed) {
  const std::string file = Make("curto.wav", Tone(600, 0.4));
  EXPECT_EQ(Send("play " + file), "");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Mci::OpenCount(), 1);
  EXPECT_EQ(Send("status " + file + " mode"), "playing") << "named by its file";
  const int64_t until = Messages::NowMs() + 3000;
  while (Mci::OpenCount() > 0 && Messages::NowMs() < until) Wait(20);
  EXPECT_EQ(Mci::OpenCount(), 0) << "closed by itself once played";
  const Sound s = Heard();
  const auto runs = LoudRuns(s, s.left);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NEAR(runs[0].Length(), 0.4, 0.05) << "played to its end before it closed";
}

TEST_F(MciTest, TheBuiltInPlayersCommandsOnVideoFiles) {
  for (const std::string name : {"video.mp4", "video.ogg"}) {
    const std::string codecs = name.ends_with("mp4") ? "-c:a aac -c:v libx264 -pix_fmt yuv420p" : "-c:a libvorbis -c:v libtheora";
    const std::string file =
        Make(name, Steps() + " -f lavfi -i testsrc=size=160x120:rate=25:duration=3 " + codecs + " -shortest");
    ASSERT_EQ(Send("open \"mpegvideo!" + file + "\" alias musica"), "1") << name;
    EXPECT_EQ(Send("window musica handle 0"), "");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Send("play musica"), "");
    EXPECT_NEAR(std::stoi(Send("status musica length")), 3000, 60);
    Wait(300);
    EXPECT_EQ(Send("status musica mode"), "playing");
    const int early = std::stoi(Send("status musica position"));
    Wait(200);
    EXPECT_GT(std::stoi(Send("status musica position")), early) << "the position moves";
    Send("seek musica to 2000");
    EXPECT_EQ(Send("status musica position"), "2000");
    Send("play musica");
    Wait(200);
    const int later = std::stoi(Send("status musica position"));
    EXPECT_GT(later, 2000);
    EXPECT_LE(later, 3000);
    Send("pause musica");
    EXPECT_EQ(Send("status musica mode"), "paused");
    Send("play musica from 1");
    Send("setaudio musica left volume to 980");
    Send("setaudio musica right volume to 980");
    EXPECT_EQ(rc, 0);
    Wait(200);
    Send("stop musica");
    EXPECT_EQ(Send("status musica mode"), "stopped");
    EXPECT_EQ(Send("close musica"), "");
    EXPECT_EQ(Send("status musica mode"), "") << "no device: the player ignores its keys";
  }
  const Sound s = Heard();
  EXPECT_FALSE(LoudRuns(s, s.left).empty());
}

}  // namespace
