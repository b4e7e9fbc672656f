// Video opened through MCI with the console window's handle is drawn inside the window, and
// the cells come back when it is closed.
#include <cstdlib>

#include "platform/media/mci.h"
#include "tests/platform/window/window_fixture.h"

namespace {

std::string Send(const std::string& command) {
  std::string answer;
  const int rc = Mci::SendString(command, answer);
  return rc == 0 ? answer : "erro " + std::to_string(rc);
}

TEST_F(WindowTest, VideoOfTheHandleIsDrawnInTheWindowUntilClosed) {
  const std::string file = (drive_.c / "video.mp4").string();
  const std::string make = "ffmpeg -loglevel error -y -f lavfi -i color=c=red:size=160x100:rate=25:duration=4 "
                           "-c:v libx264 -pix_fmt yuv420p '" + file + "'";
  ASSERT_EQ(std::system(make.c_str()), 0) << "ffmpeg is needed";
  Console::ConsoleSetBackground(1);
  Console::ConsoleClear();
  ASSERT_TRUE(PumpUntil([&] { return Pixel(320, 200) == kBlue; }));

  struct CloseAll {
    ~CloseAll() { Mci::CloseAll(); }
  } closeAll;
  ASSERT_EQ(Send("open \"mpegvideo!c:\\video.mp4\" alias musica"), "1");
  ASSERT_EQ(Send("window musica handle " + std::to_string(Console::WindowHandle())), "");
  ASSERT_EQ(Send("play musica"), "");
  // The picture fills the window's middle; text written meanwhile does not cover it.
  ASSERT_TRUE(PumpUntil([&] { return Count(300, 180, 40, 40, kRed, 40) > 1500; }, 5000)) << "no video in the window";
  Console::ConsoleGotoXY(40, 12);
  Console::ConsoleWrite("texto");
  PumpUntil([] { return false; }, 300);
  EXPECT_GT(Count(300, 180, 40, 40, kRed, 40), 1500);

  ASSERT_EQ(Send("close musica"), "");
  ASSERT_TRUE(PumpUntil([&] { return Count(300, 180, 40, 40, kRed, 40) == 0; })) << "the video stayed after close";
  EXPECT_EQ(Pixel(20, 300), kBlue);
  EXPECT_GT(Count(39 * kCellW, 11 * kCellH, 5 * kCellW, kCellH, kWhite), 20) << "the text written meanwhile is shown";
}

}  // namespace
