// The SDL device on SDL's dummy driver (a card that consumes samples at the real rate):
// completions come through the event loop, a reset returns every buffer at once, and
// starting SDL leaves the process's standard error where it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/events/messages.h"
#include "platform/audio/waveout.h"
#include "platform/audio/waveout_ring.h"

namespace {

std::vector<uintptr_t> done;
void Count(const Messages::Message& m) {
  if (m.kind == Messages::Kind::WaveDone) done.push_back(m.data);
}

class SdlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Messages::ResetMessages();
    Messages::SetHandler(Count);
    done.clear();
  }
  void TearDown() override {
    unsetenv("SDL_AUDIODRIVER");
    Messages::ResetMessages();
  }
  // Pumps the event loop until `n` completions came or `ms` passed.
  static void WaitForDone(std::size_t n, int ms) {
    const int64_t until = Messages::NowMs() + ms;
    while (done.size() < n && Messages::NowMs() < until) {
      Messages::WaitMessage(static_cast<int>(until - Messages::NowMs()));
      Messages::PumpMessages();
    }
  }
};

TEST_F(SdlDeviceTest, CompletionsArriveThroughTheEventLoopInOrder) {
  auto device = WaveOut::OpenSdl();
  ASSERT_NE(device, nullptr) << "SDL's dummy audio driver is missing";
  ASSERT_EQ(device->Open(-1, {16000, 16, 1}), WaveOut::kOk);
  const std::vector<uint8_t> samples(1600, 0);  // 50 ms each
  for (uintptr_t tag = 1; tag <= 3; ++tag) ASSERT_EQ(device->Write(samples.data(), samples.size(), tag), WaveOut::kOk);
  // The loop wakes by itself while buffers are queued: no other source, no time-out.
  while (done.size() < 3) {
    Messages::WaitMessage(-1);
    Messages::PumpMessages();
  }
  EXPECT_EQ(done, (std::vector<uintptr_t>{1, 2, 3}));
  EXPECT_EQ(device->Pending(), 0);
  device->Close();
}

TEST_F(SdlDeviceTest, AResetReturnsEveryBufferAtOnceAndTheRingIsReused) {
  auto device = WaveOut::OpenSdl();
  ASSERT_NE(device, nullptr);
  ASSERT_EQ(device->Open(-1, {16000, 16, 1}), WaveOut::kOk);
  const std::vector<uint8_t> samples(32000, 0);  // a second each
  int written = 0;
  while (device->Write(samples.data(), samples.size(), static_cast<uintptr_t>(written)) == WaveOut::kOk) ++written;
  EXPECT_EQ(written, 64);  // the ring's size: the 65th waits for room
  device->Reset();
  EXPECT_EQ(device->Pending(), 0);
  Messages::PumpMessages();
  ASSERT_EQ(done.size(), 64u);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(done[static_cast<std::size_t>(i)], static_cast<uintptr_t>(i));
  // Room again, and playing goes on after the reset.
  done.clear();
  const std::vector<uint8_t> shortOne(320, 0);
  ASSERT_EQ(device->Write(shortOne.data(), shortOne.size(), 99), WaveOut::kOk);
  WaitForDone(1, 10000);
  EXPECT_EQ(done, (std::vector<uintptr_t>{99}));
  device->Close();
}

TEST_F(SdlDeviceTest, StartingTheSoundLibrariesLeavesStandardErrorAlone) {
  // Standard error into a file; another thread writes to it all the while SDL starts and
  // probes (a sanitizer's report could come at any such moment): nothing may be lost.
  unsetenv("SDL_AUDIODRIVER");  // the drivers of this machine, which complain when no card is found
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const int saved = dup(STDERR_FILENO);
  dup2(fileno(file), STDERR_FILENO);
  std::atomic<bool> stop{false};
  std::atomic<int> writes{0};
  std::thread writer([&] {
    while (!stop) {
      if (write(STDERR_FILENO, "#", 1) == 1) ++writes;
      std::this_thread::yield();
    }
  });
  for (int i = 0; i < 5; ++i) WaveOut::OpenSdl();
  stop = true;
  writer.join();
  dup2(saved, STDERR_FILENO);
  close(saved);
  std::string text;
  std::rewind(file);
  for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
  std::fclose(file);
  EXPECT_EQ(std::count(text.begin(), text.end(), '#'), writes.load())
      << "writes to standard error were lost while SDL started";
  // And the libraries' own complaints are not there.
  EXPECT_EQ(text.find("ALSA lib"), std::string::npos) << text.substr(0, 300);
  EXPECT_EQ(text.find("pw.conf"), std::string::npos) << text.substr(0, 300);
}

TEST_F(SdlDeviceTest, TheRingHandsOverEveryByteAndEveryCompletionInOrder) {
  // A callback thread pulling in odd sizes while the main thread writes and collects, as
  // the card's thread and the program's do.
  WaveOut::BufferRing ring;
  constexpr int kBuffers = 20000;
  std::vector<std::vector<uint8_t>> buffers(kBuffers);
  std::vector<uint8_t> expected;
  for (int i = 0; i < kBuffers; ++i) {
    buffers[static_cast<std::size_t>(i)].assign(static_cast<std::size_t>(1 + i % 97), static_cast<uint8_t>(i * 7));
    expected.insert(expected.end(), buffers[static_cast<std::size_t>(i)].begin(), buffers[static_cast<std::size_t>(i)].end());
  }
  std::vector<uint8_t> got;
  std::atomic<bool> stop{false};
  std::thread callback([&] {
    uint8_t chunk[61];
    std::size_t size = 1;
    while (!stop || got.size() < expected.size()) {
      size = size % 61 + 1;
      const std::size_t n = WaveOut::RingPull(ring, chunk, size);
      got.insert(got.end(), chunk, chunk + n);
      if (stop && n == 0 && got.size() >= expected.size()) break;
    }
  });
  for (int i = 0; i < kBuffers;) {
    WaveOut::RingCollect(ring);
    Messages::PumpMessages();
    const auto& b = buffers[static_cast<std::size_t>(i)];
    if (WaveOut::RingWrite(ring, b.data(), b.size(), static_cast<uintptr_t>(i))) ++i;
  }
  stop = true;
  callback.join();
  WaveOut::RingCollect(ring);
  Messages::PumpMessages();
  EXPECT_EQ(got, expected);
  ASSERT_EQ(done.size(), static_cast<std::size_t>(kBuffers));
  for (int i = 0; i < kBuffers; ++i) ASSERT_EQ(done[static_cast<std::size_t>(i)], static_cast<uintptr_t>(i));
  EXPECT_EQ(WaveOut::RingPending(ring), 0);
}

}  // namespace
