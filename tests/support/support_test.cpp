// The shared test pieces themselves: the recording sound card keeps what it is given and
// holds buffers until a reset when asked; the headless runner collects a run and ends one
// that does not end; the file server answers ranges and cuts a stream when asked.
#include <gtest/gtest.h>

#include "tests/support/fonix_run.h"
#include "tests/support/local_server.h"
#include "tests/support/loopback_exchange.h"
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

// One request on its own connection: all the server sent until it closed.
std::string Get(int port, const std::string& head) { return LoopbackExchange(port, head + "Connection: close\r\n\r\n"); }

std::string Body(const std::string& answer) { return answer.substr(answer.find("\r\n\r\n") + 4); }

class HttpFileServerTest : public ::testing::Test {
 protected:
  void SetUp() override { std::ofstream(file_, std::ios::binary) << "0123456789abcdefghij"; }
  TempDrive drive_;
  const std::string file_ = drive_.base.string() + "/vinte.bin";
};

TEST_F(HttpFileServerTest, AFolderFileWholeOrByRangeAndNothingElse) {
  NetTest::HttpFileServer server(file_);
  ASSERT_GT(server.Port(), 0);
  const std::string whole = Get(server.Port(), "GET /vinte.bin HTTP/1.1\r\nUser-Agent: um\r\n");
  EXPECT_EQ(whole.rfind("HTTP/1.1 200", 0), 0u) << whole;
  EXPECT_EQ(Body(whole), "0123456789abcdefghij");
  const std::string part = Get(server.Port(), "GET /vinte.bin HTTP/1.1\r\nRange: bytes=5-9\r\n");
  EXPECT_EQ(part.rfind("HTTP/1.1 206", 0), 0u) << part;
  EXPECT_NE(part.find("Content-Range: bytes 5-9/20\r\n"), std::string::npos) << part;
  EXPECT_EQ(Body(part), "56789");
  EXPECT_EQ(Get(server.Port(), "GET /vinte.bin HTTP/1.1\r\nRange: bytes=20-\r\n").rfind("HTTP/1.1 416", 0), 0u);
  EXPECT_EQ(Get(server.Port(), "GET /nada.bin HTTP/1.1\r\n").rfind("HTTP/1.1 404", 0), 0u);
  EXPECT_EQ(Get(server.Port(), "GET /../vinte.bin HTTP/1.1\r\n").rfind("HTTP/1.1 404", 0), 0u);
  EXPECT_EQ(server.Ranges(), (std::vector<std::string>{"", "bytes=5-9", "bytes=20-", "", ""}));
  EXPECT_EQ(server.Agents()[0], "um");
  EXPECT_EQ(server.Requests(), 5);
}

TEST_F(HttpFileServerTest, AStreamCutPartWayLeavesAServerThatAnswersNobody) {
  NetTest::HttpFileServer server(file_, NetTest::HttpFileServer::Behaviour::StopPartWay, 0.5);
  EXPECT_EQ(Body(Get(server.Port(), "GET /vinte.bin HTTP/1.1\r\n")), "0123456789");
  EXPECT_EQ(Get(server.Port(), "GET /vinte.bin HTTP/1.1\r\nRange: bytes=10-\r\n"), "");
  EXPECT_EQ(server.Requests(), 2);
}

}  // namespace
