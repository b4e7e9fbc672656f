// Video of MCI media drawn into a window given by its handle, on a private Xvfb display
// started and ended by the test; a handle that names no window leaves the sound alone.
#include "tests/platform/media/mci_fixture.h"
#include "tests/support/x_server.h"
// After the test headers: Xlib's macros (None, Bool …) would break them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// The share of the window's pixels that are not black.
double LitShare(Display* display, Window window, int width, int height) {
  XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
  if (!image) return 0;
  int lit = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) lit += XGetPixel(image, x, y) != 0;
  XDestroyImage(image);
  return double(lit) / (width * height);
}

TEST_F(MciTest, VideoIsDrawnIntoTheWindowOfTheHandleGiven) {
  XServer xvfb(false, "640x480x24");
  ASSERT_TRUE(xvfb.Running()) << "Xvfb is needed";
  Display* display = XOpenDisplay(xvfb.Name().c_str());
  ASSERT_NE(display, nullptr);
  const int width = 320, height = 240;
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0,
                                            BlackPixel(display, DefaultScreen(display)));
  XMapWindow(display, window);
  XSync(display, False);
  EXPECT_LT(LitShare(display, window, width, height), 0.01) << "black before";

  const std::string file = Make("video.mp4", Tone(440, 2.0) +
                                                 " -f lavfi -i testsrc=size=160x120:rate=25:duration=2"
                                                 " -c:a aac -c:v libx264 -pix_fmt yuv420p -shortest");
  ASSERT_EQ(Send("open \"mpegvideo!" + file + "\" alias musica"), "1");
  EXPECT_EQ(Send("window musica handle " + std::to_string(window)), "");
  EXPECT_EQ(rc, 0);
  Send("play musica");
  Wait(700);
  EXPECT_EQ(Send("status musica mode"), "playing");
  EXPECT_GT(LitShare(display, window, width, height), 0.5) << "the picture fills the window";
  WaitStopped("musica");
  Send("close musica");

  // A handle that names no window: no video, no fault, the sound plays.
  ASSERT_EQ(Send("open \"mpegvideo!" + file + "\" alias outra"), "1");
  EXPECT_EQ(Send("window outra handle " + std::to_string(window + 1000)), "");
  EXPECT_EQ(rc, 0);
  Send("play outra from 0 to 500 wait");
  EXPECT_EQ(Send("status outra position"), "500");
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  unsetenv("DISPLAY");

  const Sound s = Heard();
  const auto runs = LoudRuns(s, s.left);
  std::string heard;
  double total = 0;
  for (const auto& run : runs) {
    heard += " " + std::to_string(run.start) + "-" + std::to_string(run.end);
    total += run.Length();
  }
  // The video's sound beside the picture, then the half second of the second file. A
  // machine busy enough to starve the capture's pacer joins the two across the short
  // silence between them: then they are one run as long as both.
  ASSERT_TRUE(runs.size() == 1 || runs.size() == 2) << "runs of sound (s):" << heard;
  EXPECT_NEAR(total, 2.5, 0.15) << "runs of sound (s):" << heard;
  if (runs.size() == 2) {
    EXPECT_NEAR(runs[0].Length(), 2.0, 0.1) << "the video's sound plays beside the picture";
    EXPECT_NEAR(runs[1].Length(), 0.5, 0.06);
  }
}

}  // namespace
