// The audio sinks of MCI media and the mixer that writes them into the capture file. The
// capture device's thread pulls mixed frames at the real rate (waveout.h); each medium's
// appsink delivers its samples a little ahead of their time into the medium's ring, so the
// ring never runs dry while the medium plays, and a paused medium simply stops being mixed.
#include "platform/media/mci_audio.h"

#include <gst/app/gstappsink.h>

#include <algorithm>
#include <initializer_list>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/events/messages.h"
#include "platform/audio/waveout.h"

namespace MciAudio {
namespace {

constexpr std::size_t kRingFrames = kRate;          // one second: far more than is ever held
constexpr std::size_t kArmFrames = kRate / 25;      // 40 ms held before a medium is mixed
constexpr int64_t kDeliverAheadNs = 60'000'000;     // samples reach the ring 60 ms early
constexpr std::size_t kMixFrames = 4096;            // the largest piece the device asks for

struct State {
  std::mutex lock;  // the streams and their rings
  std::vector<std::shared_ptr<Stream>> streams;
  std::unique_ptr<WaveOut::Device> device;
  bool deviceOpen = false;
  int32_t mix[kMixFrames * kChannels];
};

State& S() {
  static State* const state = new State;  // the device thread may outlive static destruction
  return *state;
}

// On the capture device's thread.
void Render(void*, uint8_t* out, std::size_t bytes) {
  State& s = S();
  auto* samples = reinterpret_cast<int16_t*>(out);
  std::size_t frames = bytes / (2 * kChannels);
  std::lock_guard<std::mutex> guard(s.lock);
  while (frames > 0) {
    const std::size_t n = std::min(frames, kMixFrames);
    std::fill(s.mix, s.mix + n * kChannels, 0);
    for (const auto& st : s.streams) {
      if (st->paused) continue;
      if (!st->armed) {
        if (st->count < kArmFrames && !st->ended) continue;
        st->armed = true;
      }
      const std::size_t take = std::min(n, st->count);
      for (std::size_t f = 0; f < take; ++f) {
        const std::size_t at = ((st->head + f) % kRingFrames) * kChannels;
        for (int c = 0; c < kChannels; ++c) s.mix[f * kChannels + c] += st->ring[at + c];
      }
      st->head = (st->head + take) % kRingFrames;
      st->count -= take;
      // Ran dry while the medium goes on (a slow network): wait to hold enough again.
      if (st->count == 0 && !st->ended) st->armed = false;
    }
    for (std::size_t i = 0; i < n * kChannels; ++i)
      samples[i] = static_cast<int16_t>(std::clamp<int32_t>(s.mix[i], -32768, 32767));
    samples += n * kChannels;
    frames -= n;
  }
}

void NoteFirstRender(Stream& st) {
  bool expected = true;
  if (st.awaitingFirst.compare_exchange_strong(expected, false)) st.firstRenderMs = Messages::NowMs();
}

// On GStreamer's streaming thread.
GstFlowReturn OnSample(GstAppSink* sink, gpointer data) {
  Stream& st = **static_cast<std::shared_ptr<Stream>*>(data);
  GstSample* sample = gst_app_sink_pull_sample(sink);
  if (!sample) return GST_FLOW_EOS;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
    const auto* in = reinterpret_cast<const int16_t*>(map.data);
    const std::size_t frames = map.size / (2 * kChannels);
    {
      std::lock_guard<std::mutex> guard(S().lock);
      st.ended = false;
      const std::size_t room = kRingFrames - st.count;
      const std::size_t n = std::min(frames, room);
      for (std::size_t f = 0; f < n; ++f) {
        const std::size_t at = ((st.head + st.count + f) % kRingFrames) * kChannels;
        std::memcpy(&st.ring[at], in + f * kChannels, sizeof(int16_t) * kChannels);
      }
      st.count += n;
    }
    gst_buffer_unmap(buffer, &map);
    if (frames > 0) NoteFirstRender(st);
  }
  gst_sample_unref(sample);
  return GST_FLOW_OK;
}

void OnEos(GstAppSink*, gpointer data) {
  Stream& st = **static_cast<std::shared_ptr<Stream>*>(data);
  std::lock_guard<std::mutex> guard(S().lock);
  st.ended = true;
}

void DeleteHolder(gpointer data) { delete static_cast<std::shared_ptr<Stream>*>(data); }

void OnHandoff(GstElement*, GstBuffer*, GstPad*, gpointer data) {
  NoteFirstRender(**static_cast<std::shared_ptr<Stream>*>(data));
}

GstPadProbeReturn OnBuffer(GstPad*, GstPadProbeInfo*, gpointer data) {
  NoteFirstRender(**static_cast<std::shared_ptr<Stream>*>(data));
  return GST_PAD_PROBE_OK;
}

void DeleteHolderClosure(gpointer data, GClosure*) { DeleteHolder(data); }

// audioconvert ! audioresample ! S16LE 44100 stereo ! appsink, registered with the mixer.
GstElement* CaptureSink(const std::shared_ptr<Stream>& stream) {
  GstElement* bin = gst_bin_new(nullptr);
  GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
  GstElement* resample = gst_element_factory_make("audioresample", nullptr);
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  if (!convert || !resample || !sink) {
    for (GstElement* e : {convert, resample, sink})
      if (e) gst_object_unref(gst_object_ref_sink(e));
    gst_object_unref(gst_object_ref_sink(bin));
    return nullptr;
  }
  GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "rate", G_TYPE_INT, kRate,
                                      "channels", G_TYPE_INT, kChannels, "layout", G_TYPE_STRING, "interleaved",
                                      nullptr);
  g_object_set(sink, "caps", caps, "sync", TRUE, "ts-offset", -kDeliverAheadNs, "max-buffers", 0u, "drop", FALSE,
               "qos", FALSE, nullptr);
  gst_caps_unref(caps);
  GstAppSinkCallbacks callbacks{};
  callbacks.eos = OnEos;
  callbacks.new_sample = OnSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, new std::shared_ptr<Stream>(stream), DeleteHolder);
  gst_bin_add_many(GST_BIN(bin), convert, resample, sink, nullptr);
  gst_element_link_many(convert, resample, sink, nullptr);
  GstPad* pad = gst_element_get_static_pad(convert, "sink");
  gst_element_add_pad(bin, gst_ghost_pad_new("sink", pad));
  gst_object_unref(pad);

  State& s = S();
  bool openDevice = false;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    stream->ring.assign(kRingFrames * kChannels, 0);
    s.streams.push_back(stream);
    openDevice = !s.deviceOpen;
    s.deviceOpen = true;
  }
  if (openDevice) {
    if (!s.device) {
      const char* env = std::getenv("FONIX_AUDIO");
      s.device = WaveOut::OpenCapture(CapturePath(std::string(env).substr(8)));
    }
    s.device->OpenStream(-1, WaveOut::Format{kRate, 16, kChannels}, Render, nullptr);
  }
  return bin;
}

}  // namespace

Output Chosen() {
  const char* env = std::getenv("FONIX_AUDIO");
  const std::string choice = env ? env : "";
  if (choice == "null" || choice == "instant") return Output::Null;
  if (choice.rfind("capture:", 0) == 0 && choice.size() > 8) return Output::Capture;
  return Output::System;
}

std::string CapturePath(const std::string& capturePath) {
  const std::size_t slash = capturePath.find_last_of('/');
  const std::size_t dot = capturePath.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return capturePath + "-mci.wav";
  return capturePath.substr(0, dot) + "-mci" + capturePath.substr(dot);
}

GstElement* MakeSink(const std::shared_ptr<Stream>& stream) {
  switch (Chosen()) {
    case Output::Capture:
      return CaptureSink(stream);
    case Output::Null: {
      // Plays nothing, at the pace a sound card would.
      GstElement* sink = gst_element_factory_make("fakesink", nullptr);
      if (!sink) return nullptr;
      g_object_set(sink, "sync", TRUE, "signal-handoffs", TRUE, nullptr);
      g_signal_connect_data(sink, "handoff", G_CALLBACK(OnHandoff), new std::shared_ptr<Stream>(stream),
                            DeleteHolderClosure, GConnectFlags(0));
      return sink;
    }
    case Output::System:
      break;
  }
  GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
  if (!sink) return nullptr;
  if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnBuffer, new std::shared_ptr<Stream>(stream), DeleteHolder);
    gst_object_unref(pad);
  }
  return sink;
}

void SetPaused(Stream& stream, bool paused) {
  std::lock_guard<std::mutex> guard(S().lock);
  stream.paused = paused;
}

void Flush(Stream& stream) {
  std::lock_guard<std::mutex> guard(S().lock);
  stream.head = stream.count = 0;
  stream.armed = false;
  stream.ended = false;
}

bool Drained(const Stream& stream) {
  std::lock_guard<std::mutex> guard(S().lock);
  return stream.ring.empty() || (stream.ended && stream.count == 0);
}

void Remove(const std::shared_ptr<Stream>& stream) {
  State& s = S();
  bool closeDevice = false;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    const auto it = std::find(s.streams.begin(), s.streams.end(), stream);
    if (it == s.streams.end()) return;
    s.streams.erase(it);
    closeDevice = s.streams.empty() && s.deviceOpen;
    if (closeDevice) s.deviceOpen = false;
  }
  // Outside the lock: closing waits for a render in progress, which takes the lock.
  if (closeDevice && s.device) s.device->Close();
}

void ResetAudio() {
  State& s = S();
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.streams.clear();
    s.deviceOpen = false;
  }
  s.device.reset();
}

}  // namespace MciAudio
