// The buffer ring shared by the audio backends and the real-time pacer of the capture and
// null devices.
#include "platform/audio/waveout_queue.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/events/messages.h"

namespace WaveOut {
namespace {

void PostDone(uintptr_t tag) {
  Messages::Message m;
  m.kind = Messages::Kind::WaveDone;
  m.data = tag;
  Messages::Post(m);
}

std::size_t PullLocked(BufferQueue& q, uint8_t* out, std::size_t bytes) {
  std::size_t copied = 0;
  while (q.count > 0) {
    BufferQueue::Entry& e = q.ring[q.head];
    const std::size_t n = std::min(bytes - copied, e.length - q.offset);
    if (n > 0) std::memcpy(out + copied, e.data + q.offset, n);
    copied += n;
    q.offset += n;
    if (q.offset < e.length) break;  // `out` is full
    PostDone(e.tag);
    q.head = (q.head + 1) % BufferQueue::kCapacity;
    --q.count;
    q.offset = 0;
    if (copied == bytes) break;
  }
  return copied;
}

void FlushLocked(BufferQueue& q) {
  while (q.count > 0) {
    PostDone(q.ring[q.head].tag);
    q.head = (q.head + 1) % BufferQueue::kCapacity;
    --q.count;
  }
  q.head = 0;
  q.offset = 0;
}

void RunPacer(Pacer& p) {
  using Clock = std::chrono::steady_clock;
  // Big enough for 2 ms of any supported format at once; no allocation in the loop.
  static constexpr std::size_t kChunk = 16384;
  uint8_t chunk[kChunk];
  std::unique_lock<std::mutex> lk(p.queue.lock);
  while (!p.stop) {
    p.wake.wait(lk, [&] { return p.stop || (p.open && (p.render || p.queue.count > 0)); });
    if (p.stop) break;
    const Clock::time_point t0 = Clock::now();
    const int segment = p.segment;
    const Format format = p.format;
    const int64_t align = format.BlockAlign();
    const double bytesPerSecond = double(format.rate) * double(align);
    int64_t consumed = 0;
    bool idle = false;
    while (!idle) {
      p.wake.wait_for(lk, std::chrono::milliseconds(2), [&] { return p.stop || !p.open || p.segment != segment; });
      if (p.stop || !p.open || p.segment != segment) break;
      const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
      int64_t due = static_cast<int64_t>(elapsed * bytesPerSecond);
      due -= due % align;
      due -= consumed;
      while (due > 0 && !idle) {
        const std::size_t want = static_cast<std::size_t>(std::min<int64_t>(due, kChunk - kChunk % align));
        std::size_t got = 0;
        if (p.render) {
          const RenderFn render = p.render;
          void* context = p.renderContext;
          p.rendering = true;
          lk.unlock();
          render(context, chunk, want);
          lk.lock();
          p.rendering = false;
          got = want;
          p.wake.notify_all();  // a Close may wait for the render to end
        } else {
          got = PullLocked(p.queue, chunk, want);
        }
        if (got > 0 && p.sink) {
          lk.unlock();
          p.sink(p.sinkContext, chunk, got, format, segment);
          lk.lock();
        }
        consumed += static_cast<int64_t>(want);
        due -= static_cast<int64_t>(want);
        // A queue that ran dry waits for the next buffer from a fresh clock, as a card
        // plays silence in the gap.
        if (got < want) idle = true;
        if (p.stop || !p.open || p.segment != segment) break;
      }
    }
  }
}

}  // namespace

bool FormatSupported(const Format& f) {
  return (f.bits == 8 || f.bits == 16) && f.channels >= 1 && f.channels <= 8 && f.rate >= 1000 && f.rate <= 384000;
}

int QueuePush(BufferQueue& q, const uint8_t* data, std::size_t length, uintptr_t tag) {
  std::lock_guard<std::mutex> guard(q.lock);
  if (q.count == BufferQueue::kCapacity) return kErrStillPlaying;
  q.ring[(q.head + q.count) % BufferQueue::kCapacity] = {data, length, tag};
  ++q.count;
  return kOk;
}

std::size_t QueuePull(BufferQueue& q, uint8_t* out, std::size_t bytes) {
  std::lock_guard<std::mutex> guard(q.lock);
  return PullLocked(q, out, bytes);
}

void QueueFlush(BufferQueue& q) {
  std::lock_guard<std::mutex> guard(q.lock);
  FlushLocked(q);
}

int QueueCount(const BufferQueue& q) {
  std::lock_guard<std::mutex> guard(q.lock);
  return q.count;
}

void PacerStart(Pacer& p, SinkFn sink, void* context) {
  p.sink = sink;
  p.sinkContext = context;
  p.thread = std::thread([&p] { RunPacer(p); });
}

int PacerWrite(Pacer& p, const uint8_t* data, std::size_t length, uintptr_t tag) {
  {
    std::lock_guard<std::mutex> guard(p.queue.lock);
    if (!p.open) return kErrInvalidHandle;
  }
  const int rc = QueuePush(p.queue, data, length, tag);
  p.wake.notify_all();
  return rc;
}

int PacerOpen(Pacer& p, const Format& format, RenderFn render, void* renderContext) {
  if (!FormatSupported(format)) return kErrBadFormat;
  std::lock_guard<std::mutex> guard(p.queue.lock);
  if (p.open) return kErrAllocated;
  p.open = true;
  p.format = format;
  p.render = render;
  p.renderContext = renderContext;
  ++p.segment;
  p.wake.notify_all();
  return kOk;
}

void PacerClose(Pacer& p) {
  std::unique_lock<std::mutex> lk(p.queue.lock);
  FlushLocked(p.queue);
  p.open = false;
  p.render = nullptr;
  p.wake.notify_all();
  // The render function's owner may free its state once Close returns.
  p.wake.wait(lk, [&] { return !p.rendering; });
}

void PacerStop(Pacer& p) {
  {
    std::lock_guard<std::mutex> guard(p.queue.lock);
    FlushLocked(p.queue);
    p.open = false;
    p.stop = true;
    p.render = nullptr;
    p.wake.notify_all();
  }
  if (p.thread.joinable()) p.thread.join();
}

}  // namespace WaveOut
