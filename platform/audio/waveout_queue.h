// The buffer queue every audio backend plays from (a fixed ring: nothing is allocated while
// playing), and the real-time pacer that drains it for devices without a sound card.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/audio/waveout.h"

namespace WaveOut {

// Buffers written and not yet played. Pull runs on the device's thread, everything else on
// the main thread; the lock is held only to copy samples and move indices.
struct BufferQueue {
  static constexpr int kCapacity = 64;
  struct Entry {
    const uint8_t* data = nullptr;
    std::size_t length = 0;
    uintptr_t tag = 0;
  };
  mutable std::mutex lock;
  Entry ring[kCapacity];
  int head = 0;
  int count = 0;
  std::size_t offset = 0;  // bytes of the head entry already played
};

int QueuePush(BufferQueue& q, const uint8_t* data, std::size_t length, uintptr_t tag);
// Copies up to `bytes` queued sample bytes to `out` and posts the completion of every buffer
// played to its end; returns the bytes copied.
std::size_t QueuePull(BufferQueue& q, uint8_t* out, std::size_t bytes);
// Drops every queued buffer, posting its completion (the device's reset).
void QueueFlush(BufferQueue& q);
int QueueCount(const BufferQueue& q);

// Receives the samples a paced device has played, on the pacer's thread. `segment` grows by
// one at every Open, so that a consumer knows when the format may have changed.
using SinkFn = void (*)(void* context, const uint8_t* data, std::size_t bytes, const Format& format, int segment);

// Plays a BufferQueue (or a render function) at the real rate of its format: a thread wakes
// every 2 ms and takes the bytes that a sound card would have played by then.
struct Pacer {
  BufferQueue queue;
  SinkFn sink = nullptr;
  void* sinkContext = nullptr;
  // Guarded by queue.lock:
  bool open = false;
  bool stop = false;
  Format format;
  int segment = 0;
  RenderFn render = nullptr;
  void* renderContext = nullptr;
  bool rendering = false;  // a render call runs outside the lock
  std::condition_variable wake;
  std::thread thread;
};

void PacerStart(Pacer& p, SinkFn sink, void* context);
int PacerOpen(Pacer& p, const Format& format, RenderFn render, void* renderContext);
// Queues a buffer for the pacer to play; kErrInvalidHandle when it is not open.
int PacerWrite(Pacer& p, const uint8_t* data, std::size_t length, uintptr_t tag);
void PacerClose(Pacer& p);
// Closes and joins the thread.
void PacerStop(Pacer& p);

// A device without a sound card that plays at the real rate through its pacer: what the
// null and capture devices share. The deriving device starts the pacer with its sink and
// stops it before its own members go.
class PacedDevice : public Device {
 public:
  int Write(const uint8_t* data, std::size_t length, uintptr_t tag) override {
    return PacerWrite(pacer_, data, length, tag);
  }
  void Reset() override { QueueFlush(pacer_.queue); }
  void Close() override { PacerClose(pacer_); }
  int Pending() const override { return QueueCount(pacer_.queue); }
  double LatencyMs() const override { return 0; }

 protected:
  mutable Pacer pacer_;
};

}  // namespace WaveOut
