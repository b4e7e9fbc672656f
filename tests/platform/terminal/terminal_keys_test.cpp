// Keys from terminal input through the event loop into the console's key queue: in the
// same pump when the queue is empty, typed-ahead keys kept in order, the lone Esc after
// its wait, the shift state of the last key, the end of input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "settings/settings.h"
#include "platform/headless/console_headless.h"
#include "platform/events/keys.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "platform/terminal/terminal_keys.h"

namespace {

class TerminalKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string root = ::testing::TempDir() + "fonix_terminal_keys_" + std::to_string(getpid());
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("FONIX_DRIVE_C", (root + "/c").c_str(), 1);
    Settings::ResetSettings();
    Paths::ResetPaths();
    Messages::ResetMessages();
    Console::ResetConsole();
    Keyboard::ResetKeyboard();
    // The console's window procedure, with no keys of its own.
    Console::UseDevice(ConsoleDevice::OpenHeadless({}, nullptr));
    ASSERT_EQ(pipe(fds_), 0);
    feed_.fd = fds_[0];
    feed_.accepts = [] { return Keyboard::QueueCount() == 0; };
    source_ = TerminalKeys::AddSource(feed_);
  }
  void TearDown() override {
    Messages::RemoveSource(source_);
    close(fds_[0]);
    if (fds_[1] >= 0) close(fds_[1]);
  }

  void Type(const std::string& bytes) { ASSERT_EQ(write(fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

  // Every byte queued now, taken out.
  std::vector<int> Take() {
    std::vector<int> out;
    while (Keyboard::QueueCount() > 0) out.push_back(Keyboard::ConsoleReadKey());
    return out;
  }

  int fds_[2] = {-1, -1};
  TerminalKeys::Feed feed_;
  int source_ = 0;
};

TEST_F(TerminalKeysTest, KeyReachesAnEmptyQueueInTheSamePump) {
  Type("\x1b[1;5A");
  EXPECT_TRUE(Keyboard::ConsoleKeyPressed());
  EXPECT_EQ(Take(), (std::vector<int>{0, 113}));  // Ctrl+Up
  Type("\x03");
  EXPECT_TRUE(Keyboard::ConsoleKeyPressed());
  EXPECT_EQ(Take(), (std::vector<int>{3}));
}

TEST_F(TerminalKeysTest, TypedAheadKeysWaitInOrderAndNoneIsLost) {
  std::string typed;
  std::vector<int> expected;
  for (int i = 0; i < 200; ++i) {
    typed += static_cast<char>('a' + i % 26);
    expected.push_back('a' + i % 26);
    typed += "\x1bOP\r";
    expected.insert(expected.end(), {0, 59, 13});
  }
  Type(typed);
  // The program is busy: pumps go by and only the first key is in the queue.
  for (int i = 0; i < 5; ++i) Keyboard::ConsoleKeyPressed();
  EXPECT_EQ(Keyboard::QueueCount(), 1);
  std::vector<int> got;
  while (Keyboard::ConsoleKeyPressed())
    for (int b : Take()) got.push_back(b);
  EXPECT_EQ(got, expected);
}

TEST_F(TerminalKeysTest, LoneEscapeArrivesAfterItsWait) {
  Type("\x1b");
  EXPECT_FALSE(Keyboard::ConsoleKeyPressed());
  // The loop wakes by itself when the wait is over; no more input is needed.
  for (int i = 0; i < 20 && !Keyboard::ConsoleKeyPressed(); ++i) Messages::WaitMessage(1000);
  EXPECT_EQ(Take(), (std::vector<int>{27}));
}

TEST_F(TerminalKeysTest, ShiftStateIsThatOfTheLastKeyHandedOver) {
  Type("\x1b[1;2P");
  EXPECT_TRUE(Keyboard::ConsoleKeyPressed());
  EXPECT_EQ(feed_.mods, Keys::kShift);
  EXPECT_EQ(Take(), (std::vector<int>{0, 59}));
  EXPECT_EQ(feed_.mods, Keys::kShift);  // held until the next key: a terminal sends no key-up
  Type("\x1b\x01");
  EXPECT_TRUE(Keyboard::ConsoleKeyPressed());
  EXPECT_EQ(feed_.mods, Keys::kCtrl | Keys::kAlt);
  EXPECT_EQ(Take(), (std::vector<int>{0, 30}));
}

TEST_F(TerminalKeysTest, MouseAndFocusTakeTheirTurn) {
  Type("\x1b[I\x1b[<0;5;5M\x1b[<65;5;5M\x1b[<2;1;1M");
  std::vector<int> got;
  while (Keyboard::ConsoleKeyPressed())
    for (int b : Take()) got.push_back(b);
  EXPECT_EQ(got, (std::vector<int>{13, 0, 80, 27}));  // Enter, Down, Esc
}

TEST_F(TerminalKeysTest, EndOfInputSettlesWhatIsHeld) {
  Type("x\x1b");
  close(fds_[1]);
  fds_[1] = -1;
  std::vector<int> got;
  while (Keyboard::ConsoleKeyPressed())
    for (int b : Take()) got.push_back(b);
  EXPECT_EQ(got, (std::vector<int>{'x', 27}));
  EXPECT_TRUE(TerminalKeys::Exhausted(feed_));
}

}  // namespace
