// The one event loop of the runtime: every source of events (console input, key scripts,
// audio completions, speech-server notices) ends up as a message handled on the main
// thread. Other threads only Post(); waits block in poll(), never spin.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/processes/readiness_bits.h"

namespace Messages {

enum class Kind : uint8_t {
  KeyDown,      // vk, mods
  KeyUp,        // vk, mods
  SysKeyDown,   // a key with Alt and without Ctrl, or F10
  SysKeyUp,
  Char,         // ch: the Windows-1252 character of a key press, mods
  MouseDown,    // value: 0 left, 1 right, 2 middle
  MouseWheel,   // value: wheel delta (positive away from the user)
  Focus,        // value: 1 gained, 0 lost; mods: buttons held when gained (bit per button)
  Close,        // the user closed the window
  WaveDone,     // the audio device finished a buffer (data: buffer index)
  SpeechDone,   // a speech server finished speaking
  SpeechStopped,  // the speech manager silenced everything
  ServerBusy,   // a speech server reports it is busy
  Wake,         // nothing but a wake-up of a waiting reader
};

struct Message {
  Kind kind = Kind::Wake;
  uint16_t vk = 0;
  uint8_t ch = 0;
  uint8_t mods = 0;
  int32_t value = 0;
  uintptr_t data = 0;
};

using Handler = void (*)(const Message&);

// A source of events polled by the loop: a file descriptor to wait on (or -1) and the time
// in milliseconds until it wants to run again without input (-1: only on input). Drain()
// reads what is there and posts or handles messages.
struct Source {
  std::function<int()> fd;
  std::function<int()> dueInMs;
  std::function<void()> drain;
  unsigned events = Readiness::kReadable;  // what the loop waits for on fd (kWritable: a socket's connect)
};

void SetHandler(Handler handler);
// Thread-safe: queues a message and wakes the loop.
void Post(const Message& message);
// Async-signal-safe: wakes the loop without a message, so that its sources look again.
void WakeFromSignal();
// Registers a source; returns its id for RemoveSource.
int AddSource(Source source);
void RemoveSource(int id);
// Runs every source that is ready and handles the messages queued before the handling began
// (those the handlers post wait for the next pump). Returns the number of messages handled.
int PumpMessages();
// Blocks until a message is queued, a source has input or is due, or the time-out passes
// (-1: no time-out). Does not handle the messages: call PumpMessages after it.
void WaitMessage(int timeoutMs);
// How many times WaitMessage has been called: the program has paused (for a key, a sound,
// a delay) that often. The headless key script types when the program pauses.
uint64_t WaitCount();
// While one lives, waits are not counted: a tick or an error tone is heard out before the
// user types on.
struct QuietPause {
  QuietPause();
  ~QuietPause();
  QuietPause(const QuietPause&) = delete;
  QuietPause& operator=(const QuietPause&) = delete;
};
// Milliseconds on a monotonic clock.
int64_t NowMs();
// Drops every queued message and source (tests start clean).
void ResetMessages();

}  // namespace Messages
