// Video of MCI media drawn into a window given by its handle, on a private Xvfb display
// started and ended by the test; a handle that names no window leaves the sound alone.
#include "tests/platform/media/mci_fixture.h"
// After the test headers: Xlib's macros (None, Bool …) would break them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

// Xvfb on a free display number, for the life of the object.
class PrivateDisplay {
 public:
  PrivateDisplay() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"), const_cast<char*>("3"),
                    const_cast<char*>("-screen"), const_cast<char*>("0"), const_cast<char*>("640x480x24"),
                    const_cast<char*>("-nolisten"), const_cast<char*>("tcp"), nullptr};
    if (posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (pid_ > 0 && poll(&p, 1, 10000) > 0) {
      char c;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number.push_back(c);
    }
    close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~PrivateDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

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
  PrivateDisplay xvfb;
  ASSERT_FALSE(xvfb.Name().empty()) << "Xvfb is needed";
  setenv("DISPLAY", xvfb.Name().c_str(), 1);
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
