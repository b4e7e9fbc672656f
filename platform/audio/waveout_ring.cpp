// The lock-free ring of the SDL audio device: one producer (the main thread), one consumer
// (the audio callback), completions handed back through the same counters.
#include "platform/audio/waveout_ring.h"

#include <algorithm>
#include <cstring>

#include "platform/events/messages.h"

namespace WaveOut {

bool RingWrite(BufferRing& r, const uint8_t* data, std::size_t length, uintptr_t tag) {
  const uint32_t w = r.written.load(std::memory_order_relaxed);
  // A slot is free again once its completion was posted.
  if (w - r.collected.load(std::memory_order_relaxed) == BufferRing::kCapacity) return false;
  r.entries[w % BufferRing::kCapacity] = {data, length, tag};
  r.written.store(w + 1, std::memory_order_release);
  return true;
}

std::size_t RingPull(BufferRing& r, uint8_t* out, std::size_t bytes) {
  uint32_t p = r.played.load(std::memory_order_relaxed);
  const uint32_t w = r.written.load(std::memory_order_acquire);
  std::size_t copied = 0;
  while (p != w && copied < bytes) {
    const BufferRing::Entry& e = r.entries[p % BufferRing::kCapacity];
    const std::size_t n = std::min(bytes - copied, e.length - r.offset);
    if (n > 0) std::memcpy(out + copied, e.data + r.offset, n);
    copied += n;
    r.offset += n;
    if (r.offset < e.length) break;  // `out` is full
    r.offset = 0;
    ++p;
    r.played.store(p, std::memory_order_release);
  }
  return copied;
}

void RingCollect(BufferRing& r) {
  const uint32_t p = r.played.load(std::memory_order_acquire);
  for (uint32_t c = r.collected.load(std::memory_order_relaxed); c != p; ++c) {
    Messages::Message m;
    m.kind = Messages::Kind::WaveDone;
    m.data = r.entries[c % BufferRing::kCapacity].tag;
    r.collected.store(c + 1, std::memory_order_relaxed);
    Messages::Post(m);
  }
}

void RingFlush(BufferRing& r) {
  r.played.store(r.written.load(std::memory_order_relaxed), std::memory_order_release);
  r.offset = 0;
}

int RingPending(const BufferRing& r) {
  return static_cast<int>(r.written.load(std::memory_order_relaxed) - r.collected.load(std::memory_order_relaxed));
}

bool RingFinished(const BufferRing& r) {
  return r.played.load(std::memory_order_acquire) != r.collected.load(std::memory_order_relaxed);
}

}  // namespace WaveOut
