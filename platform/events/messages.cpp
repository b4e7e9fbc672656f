// The event loop: a queue of posted messages (guarded, since audio threads post into it),
// a self-pipe that wakes the wait, and the registered input sources.
#include "platform/events/messages.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>

#include "platform/processes/readiness.h"

namespace Messages {
namespace {

// The posted messages, first in first out, in storage made once: posting from an audio
// thread must not allocate. The ring only grows if a burst ever outruns it.
struct MessageRing {
  std::vector<Message> slots = std::vector<Message>(1024);
  std::size_t head = 0;
  std::size_t count = 0;

  bool empty() const { return count == 0; }
  std::size_t size() const { return count; }
  void push_back(const Message& m) {
    if (count == slots.size()) {
      std::vector<Message> bigger(slots.size() * 2);
      for (std::size_t i = 0; i < count; ++i) bigger[i] = slots[(head + i) % slots.size()];
      slots.swap(bigger);
      head = 0;
    }
    slots[(head + count) % slots.size()] = m;
    ++count;
  }
  const Message& front() const { return slots[head]; }
  void pop_front() {
    head = (head + 1) % slots.size();
    --count;
  }
  void clear() { head = count = 0; }
};

// The writing end of the wake-up pipe, for signal handlers (which may not reach the state).
std::atomic<int> wakeFd{-1};

struct State {
  std::mutex lock;
  MessageRing queue;
  int wakeRead = -1;
  int wakeWrite = -1;
  Handler handler = nullptr;
  std::map<int, Source> sources;
  int nextSourceId = 1;

  // The pipe is made with the loop, before any thread or device can post into it.
  State() {
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
      wakeRead = fds[0];
      wakeWrite = fds[1];
      wakeFd.store(wakeWrite);
    }
  }
  uint64_t waits = 0;
  int quiet = 0;
};

// The loop outlives every module that registers with it (their state may be destroyed at
// exit in any order), so it is never destroyed.
State& S() {
  static State* const state = new State;
  return *state;
}

void Wake(int fd) {
  if (fd < 0) return;
  const char c = 1;
  [[maybe_unused]] ssize_t n = write(fd, &c, 1);
}

void DrainPipe() {
  State& s = S();
  char buf[64];
  while (s.wakeRead >= 0 && read(s.wakeRead, buf, sizeof buf) > 0) {
  }
}

bool QueueEmpty() {
  std::lock_guard<std::mutex> guard(S().lock);
  return S().queue.empty();
}

}  // namespace

void SetHandler(Handler handler) { S().handler = handler; }

void Post(const Message& message) {
  State& s = S();
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.queue.push_back(message);
  }
  Wake(s.wakeWrite);
}

void WakeFromSignal() { Wake(wakeFd.load(std::memory_order_relaxed)); }

int AddSource(Source source) {
  State& s = S();
  const int id = s.nextSourceId++;
  s.sources.emplace(id, std::move(source));
  return id;
}

void RemoveSource(int id) { S().sources.erase(id); }

int PumpMessages() {
  State& s = S();
  // Run every source whose input is ready or whose time has come.
  std::vector<int> ids;
  for (auto& [id, src] : s.sources) ids.push_back(id);
  for (int id : ids) {
    auto it = s.sources.find(id);
    if (it == s.sources.end()) continue;
    Source& src = it->second;
    bool ready = src.dueInMs && src.dueInMs() == 0;
    const int fd = src.fd ? src.fd() : -1;
    if (!ready && fd >= 0) ready = Readiness::ReadyNow(fd, src.events);
    if (ready && src.drain) src.drain();
  }
  DrainPipe();
  // Only the messages already queued: one a handler posts waits for the next pump, so a
  // handler that always posts again (a looping sound on a device that finishes every buffer
  // at once) cannot hold the loop forever.
  std::size_t waiting;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    waiting = s.queue.size();
  }
  int handled = 0;
  for (; waiting > 0; --waiting) {
    Message m;
    {
      std::lock_guard<std::mutex> guard(s.lock);
      if (s.queue.empty()) break;
      m = s.queue.front();
      s.queue.pop_front();
    }
    ++handled;
    if (s.handler) s.handler(m);
  }
  return handled;
}

void WaitMessage(int timeoutMs) {
  State& s = S();
  if (s.quiet == 0) ++s.waits;
  if (!QueueEmpty()) return;
  std::vector<Readiness::Wait> waits;
  waits.push_back({s.wakeRead, Readiness::kReadable});
  int wait = timeoutMs;
  for (auto& [id, src] : s.sources) {
    const int fd = src.fd ? src.fd() : -1;
    if (fd >= 0) waits.push_back({fd, src.events});
    const int due = src.dueInMs ? src.dueInMs() : -1;
    if (due >= 0 && (wait < 0 || due < wait)) wait = due;
  }
  if (wait == 0) return;
  Readiness::WaitAny(waits.data(), static_cast<int>(waits.size()), wait);
}

uint64_t WaitCount() { return S().waits; }

QuietPause::QuietPause() { ++S().quiet; }
QuietPause::~QuietPause() { --S().quiet; }

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void ResetMessages() {
  State& s = S();
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.queue.clear();
  }
  s.sources.clear();
  s.handler = nullptr;
  DrainPipe();
}

}  // namespace Messages
