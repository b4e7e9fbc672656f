// The shared test pieces themselves: the recording sound card keeps what it is given and
// holds buffers until a reset when asked; the headless runner collects a run and ends one
// that does not end.
#include <gtest/gtest.h>

#include "tests/support/fonix_run.h"
#include "tests/support/recording_device.h"
#include "tests/support/temp_drive.h"

namespace {

TEST(RecordingDeviceTest, TheVoiceKeepsOnlyTheRecordedVoicesSound) {
  Messages::ResetMessages();
  std::vector<uint8_t> kept;
  auto device = RecordingDevice::Voice(kept);
  const uint8_t bytes[] = {1, 2, 3, 4};
  ASSERT_EQ(device->Open(0, WaveOut::Format{11025, 8, 1}), WaveOut::kOk);
  device->Write(bytes, sizeof bytes, 1);
  ASSERT_EQ(device->Open(0, WaveOut::Format{22050, 16, 2}), WaveOut::kOk);
  device->Write(bytes, sizeof bytes, 2);
  EXPECT_EQ(kept, (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(device->Pending(), 0) << "played at once";
  EXPECT_NEAR(device->seconds, 4 / 11025.0 + 1 / 22050.0, 1e-9);
  EXPECT_EQ(device->OpenStream(0, WaveOut::Format{11025, 8, 1}, nullptr, nullptr), WaveOut::kErrBadDevice);
}

TEST(RecordingDeviceTest, SixteenBitSamplesAndEveryFormat) {
  Messages::ResetMessages();
  std::vector<int16_t> samples;
  std::vector<WaveOut::Format> formats;
  auto device = RecordingDevice::Samples16(samples, formats);
  const uint8_t bytes[] = {0x01, 0x00, 0xff, 0xff};
  device->Open(0, WaveOut::Format{16000, 16, 1});
  device->Write(bytes, sizeof bytes, 1);
  device->Open(0, WaveOut::Format{11025, 8, 1});
  device->Write(bytes, sizeof bytes, 2);
  EXPECT_EQ(samples, (std::vector<int16_t>{1, -1}));
  ASSERT_EQ(formats.size(), 2u);
  EXPECT_EQ(formats[0], (WaveOut::Format{16000, 16, 1}));
  EXPECT_EQ(formats[1], (WaveOut::Format{11025, 8, 1}));
}

TEST(RecordingDeviceTest, HeldBuffersPlayUntilAReset) {
  Messages::ResetMessages();
  RecordingDevice device({}, RecordingDevice::Pace::Held);
  const uint8_t bytes[] = {128, 128};
  device.Open(0, WaveOut::Format{11025, 8, 1});
  EXPECT_FALSE(device.wrote);
  device.Write(bytes, sizeof bytes, 1);
  device.Write(bytes, sizeof bytes, 2);
  EXPECT_TRUE(device.wrote);
  EXPECT_EQ(device.Pending(), 2);
  device.Reset();
  EXPECT_EQ(device.Pending(), 0);
  EXPECT_GE(device.reset, device.firstWrite);
  EXPECT_EQ(device.OpenStream(0, WaveOut::Format{11025, 8, 1}, nullptr, nullptr), WaveOut::kOk);
}

class FonixRunTest : public ::testing::Test {
 protected:
  TempDrive drive_;
  const std::string dir_ = drive_.base.string();
};

TEST_F(FonixRunTest, ARunLeavesItsStatusTranscriptAndScreen) {
  const FonixRun run = RunFonix(dir_, "escreve \"ola\"\nescreve mudo \"pronto\"\ntermina mudo\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_NE(run.transcript.find("line: pronto\n"), std::string::npos) << run.transcript;
  EXPECT_NE(run.screen.find("ola"), std::string::npos) << run.screen;
}

TEST_F(FonixRunTest, ARunThatDoesNotEndIsEndedInTime) {
  const FonixRun run = RunFonix(dir_, "espera 60\n", {}, {}, FONIX_BINARY, std::chrono::seconds(2));
  EXPECT_EQ(run.status, 128 + SIGKILL);
  EXPECT_EQ(run.errors.rfind("fonix did not end in time", 0), 0u) << run.errors;
}

}  // namespace
