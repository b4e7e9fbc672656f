// The buffer ring between the main thread and a real-time audio callback: the callback takes
// no lock and makes no system call. It copies samples out of the buffers the main thread
// wrote and marks each buffer it finished; the main thread collects those marks and posts
// the completions into the event loop itself.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace WaveOut {

struct BufferRing {
  static constexpr uint32_t kCapacity = 64;
  struct Entry {
    const uint8_t* data = nullptr;
    std::size_t length = 0;
    uintptr_t tag = 0;
  };
  Entry entries[kCapacity];
  // Counters that only grow (the slot is the counter modulo kCapacity). The main thread
  // writes `written` and `collected`, the callback `played`.
  std::atomic<uint32_t> written{0};    // buffers handed over
  std::atomic<uint32_t> played{0};     // buffers the callback has finished
  std::atomic<uint32_t> collected{0};  // finished buffers whose completion was posted
  std::size_t offset = 0;              // callback only: bytes of the current buffer played
};

// Main thread: queues a buffer; false when the ring is full.
bool RingWrite(BufferRing& r, const uint8_t* data, std::size_t length, uintptr_t tag);
// Callback: copies up to `bytes` queued sample bytes to `out`; returns the bytes copied.
std::size_t RingPull(BufferRing& r, uint8_t* out, std::size_t bytes);
// Main thread: posts the completion of every buffer finished since the last call.
void RingCollect(BufferRing& r);
// Main thread, while the callback cannot run: every queued buffer counts as finished (the
// device's reset). Their completions are posted by the next RingCollect, which can wait
// until the callback may run again.
void RingFlush(BufferRing& r);
// Main thread: buffers written whose completion has not been posted.
int RingPending(const BufferRing& r);
// Main thread: a finished buffer waits for its completion to be posted.
bool RingFinished(const BufferRing& r);

}  // namespace WaveOut
