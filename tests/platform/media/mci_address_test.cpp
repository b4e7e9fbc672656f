// MCI media at http addresses, served on 127.0.0.1: opening with the device type prefix,
// seeking through Range requests, the User-Agent sent, addresses with nobody or nothing
// there, and one whose stream stops part-way.
#include <cstdio>

#include "tests/support/local_server.h"
#include "tests/platform/media/mci_fixture.h"

namespace {

using NetTest::HttpFileServer;

TEST_F(MciTest, AnAddressPlaysAndSeeksLikeAFile) {
  // An MP4 with its index at the end: even opening it needs a Range request.
  Make("passos.mp4", Steps() + " -f lavfi -i testsrc=size=160x120:rate=25:duration=3 "
                               "-c:a aac -c:v libx264 -pix_fmt yuv420p -shortest");
  HttpFileServer server(Host("passos.mp4"));
  ASSERT_GT(server.Port(), 0);
  ASSERT_EQ(Send("open \"mpegvideo!" + server.Url("passos.mp4") + "\" alias musica"), "1");
  EXPECT_NEAR(std::stoi(Send("status musica length")), 3000, 60);
  EXPECT_EQ(Send("status musica mode"), "stopped");
  Send("seek musica to 2000");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Send("status musica position"), "2000");
  Send("play musica");
  EXPECT_EQ(Send("status musica mode"), "playing");
  WaitStopped("musica");
  EXPECT_EQ(Send("status musica mode"), "stopped");
  EXPECT_NEAR(std::stoi(Send("status musica position")), 3000, 60);
  bool ranged = false;
  for (const std::string& r : server.Ranges()) ranged = ranged || (r.rfind("bytes=", 0) == 0 && r != "bytes=0-");
  EXPECT_TRUE(ranged) << "the server was asked for a part of the file";
  for (const std::string& agent : server.Agents()) EXPECT_EQ(agent.rfind("Mozilla/5.0 ", 0), 0u) << agent;

  const Sound s = Heard();
  const auto runs = LoudRuns(s, s.left);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NEAR(runs[0].Length(), 1.0, 0.1);
  EXPECT_NEAR(ToneFrequency(s, s.left, runs[0].start + 0.2, 0.6), 880, 10);
}

TEST_F(MciTest, AddressesPresentTheDownloadersUserAgent) {
  Make("tom.ogg", Tone(440, 0.5) + " -c:a libvorbis");
  HttpFileServer server(Host("tom.ogg"));
  // The application's downloader is Debian's yt-dlp.
  std::filesystem::create_directories(drive.c / "clipora-light");
  std::filesystem::create_symlink("/usr/bin/yt-dlp", drive.c / "clipora-light" / "youtube-dl.exe");
  std::string expected;
  {
    FILE* p = popen("/usr/bin/yt-dlp --dump-user-agent 2>/dev/null", "r");
    ASSERT_NE(p, nullptr) << "yt-dlp is needed";
    char line[512] = {};
    if (fgets(line, sizeof line, p)) expected = line;
    pclose(p);
    while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r')) expected.pop_back();
  }
  ASSERT_FALSE(expected.empty());
  ASSERT_EQ(Send("open " + server.Url("tom.ogg") + " alias a"), "1");
  ASSERT_FALSE(server.Agents().empty());
  // The downloader names a browser of its choice, a new version at each run.
  const std::string browser = expected.substr(0, expected.find("Chrome/"));
  EXPECT_EQ(server.Agents()[0].substr(0, browser.size()), browser);
  EXPECT_EQ(browser.rfind("Mozilla/5.0 (Windows NT", 0), 0u) << expected;

  setenv("FONIX_USER_AGENT", "Ouvinte/1.0", 1);
  ASSERT_EQ(Send("open " + server.Url("tom.ogg") + " alias b"), "2");
  EXPECT_EQ(server.Agents().back(), "Ouvinte/1.0");
  unsetenv("FONIX_USER_AGENT");
}

TEST_F(MciTest, AnAddressWithNobodyOrNothingThereFailsAtOnce) {
  // (An address that never answers is in the sound command tests: keys and speech meanwhile.)
  Make("tom.ogg", Tone(440, 0.5) + " -c:a libvorbis");
  HttpFileServer server(Host("tom.ogg"));
  const int64_t t0 = Messages::NowMs();
  EXPECT_EQ(Send("open http://127.0.0.1:1/tom.ogg alias a"), "");
  EXPECT_NE(rc, 0);
  EXPECT_EQ(Send("open " + server.Url("nada.ogg") + " alias a"), "");
  EXPECT_EQ(rc, Mci::kErrFileNotFound);
  EXPECT_LT(Messages::NowMs() - t0, 3000);
  EXPECT_EQ(Mci::OpenCount(), 0);
  EXPECT_EQ(Send("status a mode"), "");
}

TEST_F(MciTest, AnAddressThatStopsPartWayReportsStoppedAndKeepsItsPosition) {
  Make("longo.wav", Tone(440, 4.0));
  // Sent at twice the pace it plays, and cut after three of its four seconds.
  HttpFileServer server(Host("longo.wav"), HttpFileServer::Behaviour::StopPartWay, 0.75, 2 * 44100 * 2);
  ASSERT_EQ(Send("open " + server.Url("longo.wav") + " alias r"), "1");
  EXPECT_EQ(Send("status r length"), "4000");
  Send("play r");
  WaitStopped("r", 12000);
  EXPECT_EQ(Send("status r mode"), "stopped");
  const int at = std::stoi(Send("status r position"));
  EXPECT_GT(at, 500);
  EXPECT_LT(at, 3100);
  Wait(300);
  EXPECT_EQ(Send("status r position"), std::to_string(at)) << "it stays where the stream stopped";
  Send("play r");  // the server is gone: nothing plays, nothing breaks
  Wait(300);
  EXPECT_NE(Send("status r mode"), "");
  EXPECT_EQ(Mci::OpenCount(), 1);

  const Sound s = Heard();
  const auto runs = LoudRuns(s, s.left);
  ASSERT_GE(runs.size(), 1u);
  EXPECT_NEAR(runs[0].Length(), at / 1000.0, 0.3) << "what was received was heard";
}

}  // namespace
