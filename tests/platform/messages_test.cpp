// The event loop: posted messages arrive once each, in order, also from other threads and
// beyond the ring's first size; a pump ends even when handlers post again; sources run when due.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/events/messages.h"

namespace {

std::vector<int32_t>& Seen() {
  static std::vector<int32_t> seen;
  return seen;
}

void Record(const Messages::Message& m) { Seen().push_back(m.value); }

TEST(Messages, PostedMessagesArriveInOrder) {
  Messages::ResetMessages();
  Messages::SetHandler(Record);
  Seen().clear();
  std::thread poster([] {
    for (int i = 0; i < 5000; ++i) {
      Messages::Message m;
      m.kind = Messages::Kind::WaveDone;
      m.value = i;
      Messages::Post(m);
    }
  });
  poster.join();
  EXPECT_EQ(Messages::PumpMessages(), 5000);
  ASSERT_EQ(Seen().size(), 5000u);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(Seen()[i], i);
  EXPECT_EQ(Messages::PumpMessages(), 0);
  Messages::ResetMessages();
}

// A handler that posts again each time (a looping sound whose every buffer is done at once)
// is handled once per pump, and the pump returns.
void PostAgain(const Messages::Message& m) {
  Seen().push_back(m.value);
  Messages::Post(m);
}

TEST(Messages, AHandlerPostingAgainWaitsForTheNextPump) {
  Messages::ResetMessages();
  Messages::SetHandler(PostAgain);
  Seen().clear();
  Messages::Message m;
  m.kind = Messages::Kind::WaveDone;
  m.value = 7;
  Messages::Post(m);
  EXPECT_EQ(Messages::PumpMessages(), 1);
  EXPECT_EQ(Messages::PumpMessages(), 1);
  EXPECT_EQ(Seen(), (std::vector<int32_t>{7, 7}));
  Messages::ResetMessages();
}

TEST(Messages, WaitEndsWhenASourceIsDue) {
  Messages::ResetMessages();
  int runs = 0;
  const int64_t due = Messages::NowMs() + 30;
  Messages::Source source;
  source.fd = [] { return -1; };
  source.dueInMs = [&] { return runs > 0 ? -1 : static_cast<int>(std::max<int64_t>(0, due - Messages::NowMs())); };
  source.drain = [&] { ++runs; };
  Messages::AddSource(std::move(source));
  Messages::WaitMessage(5000);
  EXPECT_GE(Messages::NowMs(), due);
  Messages::PumpMessages();
  EXPECT_EQ(runs, 1);
  Messages::ResetMessages();
}

}  // namespace
