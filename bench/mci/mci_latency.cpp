// MCI speed beside GStreamer's own player, in the same run, on the null output (nothing at
// the sound card's pace): from a fresh process to the first sample at the sink for
// `play FILE` (ours) and for gst-launch-1.0 playbin playing the same file; then, inside one
// process, from the `play` command to the first sample for a file not yet open and for an
// open device played again; and the cost of `status … position` per call beside a plain
// position query on a playing playbin.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gst/gst.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/media/mci.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

struct Stats {
  double median = 0, max = 0;
};
Stats Summary(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  if (v.empty()) return {};
  return {v[v.size() / 2], v.back()};
}

// Runs argv; the time until a line of its standard output contains `marker` (-1: never).
double UntilLine(std::vector<std::string> args, const std::string& marker) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const Clock::time_point start = Clock::now();
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  double found = -1;
  std::string pending;
  pollfd p{fds[0], POLLIN, 0};
  while (rc == 0 && found < 0 && poll(&p, 1, 10000) > 0) {
    char buf[4096];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    pending.append(buf, static_cast<std::size_t>(n));
    if (pending.find(marker) != std::string::npos) found = Ms(start, Clock::now());
    if (pending.size() > 65536) pending.erase(0, pending.size() - 1024);
  }
  close(fds[0]);
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  return found;
}

// Child mode: "play FILE" through MCI, "first" printed when its first sample is rendered.
int Child(const std::string& file) {
  std::string answer;
  Mci::SendString("play " + file, answer);
  const int64_t until = Messages::NowMs() + 5000;
  while (Mci::FirstSampleMs(file) < 0 && Messages::NowMs() < until) {
    Messages::PumpMessages();
    Messages::WaitMessage(1);
  }
  std::printf("first\n");
  std::fflush(stdout);
  Mci::CloseAll();
  return 0;
}

// From the command to the first sample rendered at the sink.
double PlayToFirst(const std::string& command, const std::string& name) {
  std::string answer;
  const int64_t start = Messages::NowMs();
  if (Mci::SendString(command, answer) != 0) return -1;
  const int64_t until = start + 5000;
  while (Mci::FirstSampleMs(name) < 0 && Messages::NowMs() < until) {
    Messages::PumpMessages();
    Messages::WaitMessage(1);
  }
  const int64_t first = Mci::FirstSampleMs(name);
  return first < 0 ? -1 : double(first - start);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--child") return Child(argv[2]);
  const int tries = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
  char base[] = "/tmp/fonix-mci-bench-XXXXXX";
  if (!mkdtemp(base)) return 1;
  const std::filesystem::path drive = std::filesystem::path(base) / "c";
  std::filesystem::create_directories(drive);
  setenv("FONIX_DRIVE_C", drive.c_str(), 1);
  setenv("FONIX_AUDIO", "null", 1);
  Paths::ResetPaths();
  const std::string host = (drive / "tom.wav").string();
  const std::string make = "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:duration=3 '" + host + "'";
  if (std::system(make.c_str()) != 0) {
    std::fprintf(stderr, "ffmpeg is needed\n");
    return 1;
  }
  const std::string file = "c:\\tom.wav";
  const std::string uri = "file://" + host;

  std::printf("MCI on a 3 s local WAV, null output, %d tries (median, max in ms)\n", tries);
  std::vector<double> oursCold, peerCold;
  for (int t = 0; t < tries; ++t) {
    oursCold.push_back(UntilLine({"/proc/self/exe", "--child", file}, "first"));
    peerCold.push_back(UntilLine({"gst-launch-1.0", "-v", "playbin", "uri=" + uri, "video-sink=fakesink",
                                  "audio-sink=fakesink sync=true silent=false"},
                                 "chain"));
  }
  const Stats oc = Summary(oursCold), pc = Summary(peerCold);
  std::printf("fresh process to first sample:  MCI play FILE %7.1f (max %7.1f)   gst-launch-1.0 playbin %7.1f (max %7.1f)\n",
              oc.median, oc.max, pc.median, pc.max);

  // Inside one process: GStreamer already started by a first play.
  std::vector<double> first, again;
  for (int t = 0; t < tries; ++t) {
    first.push_back(PlayToFirst("play " + file, file));
    std::string answer;
    Mci::SendString("close " + file, answer);
  }
  std::string answer;
  Mci::SendString("open " + file + " alias tom", answer);
  for (int t = 0; t < tries; ++t) {
    again.push_back(PlayToFirst("play tom from 0", "tom"));
    Mci::SendString("stop tom", answer);
  }
  // The first play of the run also starts GStreamer.
  const double starting = first.front();
  first.erase(first.begin());
  const Stats f = Summary(first), a = Summary(again);
  std::printf("in process, play to first sample: first of the run %6.1f   file not open %6.1f (max %6.1f)   "
              "open device from 0 %6.1f (max %6.1f)\n",
              starting, f.median, f.max, a.median, a.max);

  // status … position per call, beside a position query on a playbin of our own.
  Mci::SendString("play tom from 0", answer);
  const int calls = 2000;
  Clock::time_point t0 = Clock::now();
  for (int i = 0; i < calls; ++i) Mci::SendString("status tom position", answer);
  const double oursCall = Ms(t0, Clock::now()) * 1000 / calls;
  Mci::CloseAll();

  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  GstElement* sink = gst_element_factory_make("fakesink", nullptr);
  g_object_set(sink, "sync", TRUE, nullptr);
  g_object_set(playbin, "uri", uri.c_str(), "audio-sink", sink, "video-sink", gst_element_factory_make("fakesink", nullptr),
               nullptr);
  gst_element_set_state(playbin, GST_STATE_PLAYING);
  gst_element_get_state(playbin, nullptr, nullptr, 5 * GST_SECOND);
  gint64 pos = 0;
  t0 = Clock::now();
  for (int i = 0; i < calls; ++i) gst_element_query_position(playbin, GST_FORMAT_TIME, &pos);
  const double peerCall = Ms(t0, Clock::now()) * 1000 / calls;
  gst_element_set_state(playbin, GST_STATE_NULL);
  gst_object_unref(playbin);
  std::printf("status position per call:       MCI %6.1f us   playbin position query %6.1f us\n", oursCall, peerCall);

  std::filesystem::remove_all(base);
  return 0;
}
