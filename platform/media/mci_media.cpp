// A playbin per MCI medium. Video is decoded only when a window shows it (or the medium has
// no sound); otherwise the video sink is a fakesink, because with no display playbin would
// otherwise probe video sinks that crash without one. Balance is an audiopanorama filter;
// addresses pause themselves while their buffer fills.
#include "platform/media/mci_media.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <initializer_list>
#include <cstring>

#include "platform/media/mci_agent.h"
#include "platform/media/mci_command.h"
#include "platform/media/mci_video.h"
#include "platform/events/messages.h"

namespace MciMedia {
namespace {

constexpr guint kFlagVideo = 0x1, kFlagAudio = 0x2, kFlagSoftVolume = 0x10, kFlagDeinterlace = 0x200;
// An address may be slow to answer; a local file that is not ready in a few seconds never
// will be (a demuxer's error can be lost in decodebin while it still tries elements, and
// then nothing more is reported).
constexpr int64_t kOpenLimitMs = 12000;
constexpr int64_t kFileOpenLimitMs = 4000;
constexpr int64_t kPauseLimitMs = 1000;
constexpr int64_t kFileSeekLimitMs = 3000;
constexpr int64_t kAddressSeekLimitMs = 10000;
// An end reported this close to the length is the length (the last buffer's rounding).
constexpr int64_t kEndSlackMs = 300;

int gWakeFd = -1;

GstBusSyncReply OnBusSync(GstBus*, GstMessage*, gpointer) {
  if (gWakeFd >= 0) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(gWakeFd, &one, sizeof one);
  }
  return GST_BUS_PASS;
}

void OnSourceSetup(GstElement*, GstElement* source, gpointer data) {
  const Media& m = *static_cast<const Media*>(data);
  GObjectClass* klass = G_OBJECT_GET_CLASS(source);
  if (!m.userAgent.empty() && g_object_class_find_property(klass, "user-agent"))
    g_object_set(source, "user-agent", m.userAgent.c_str(), nullptr);
}

// audioconvert ! stereo ! audiopanorama: the balance of setaudio left/right.
GstElement* BalanceFilter(Media& m) {
  GstElement* bin = gst_bin_new(nullptr);
  GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
  GstElement* stereo = gst_element_factory_make("capsfilter", nullptr);
  GstElement* panorama = gst_element_factory_make("audiopanorama", nullptr);
  if (!convert || !stereo || !panorama) {
    for (GstElement* e : {convert, stereo, panorama})
      if (e) gst_object_unref(gst_object_ref_sink(e));
    gst_object_unref(gst_object_ref_sink(bin));
    return nullptr;
  }
  GstCaps* caps = gst_caps_new_simple("audio/x-raw", "channels", G_TYPE_INT, 2, nullptr);
  g_object_set(stereo, "caps", caps, nullptr);
  gst_caps_unref(caps);
  // "simple": one side is attenuated, the other keeps its level.
  gst_util_set_object_arg(G_OBJECT(panorama), "method", "simple");
  gst_bin_add_many(GST_BIN(bin), convert, stereo, panorama, nullptr);
  gst_element_link_many(convert, stereo, panorama, nullptr);
  GstPad* in = gst_element_get_static_pad(convert, "sink");
  GstPad* out = gst_element_get_static_pad(panorama, "src");
  gst_element_add_pad(bin, gst_ghost_pad_new("sink", in));
  gst_element_add_pad(bin, gst_ghost_pad_new("src", out));
  gst_object_unref(in);
  gst_object_unref(out);
  m.panorama = panorama;
  return bin;
}

void ApplyVolume(Media& m) {
  if (!m.playbin) return;
  const int top = std::max(m.left, m.right);
  const double pan = top == 0 ? 0.0 : double(m.right - m.left) / double(top);
  g_object_set(m.playbin, "volume", double(top) / 1000.0, "mute", m.audioOn ? FALSE : TRUE, nullptr);
  if (m.panorama) g_object_set(m.panorama, "panorama", static_cast<gfloat>(pan), nullptr);
}

void Teardown(Media& m) {
  if (m.playbin) gst_element_set_state(m.playbin, GST_STATE_NULL);
  if (m.bus) {
    gst_bus_set_sync_handler(m.bus, nullptr, nullptr, nullptr);
    gst_object_unref(m.bus);
  }
  if (m.playbin) gst_object_unref(m.playbin);
  m.bus = nullptr;
  m.playbin = nullptr;
  m.panorama = nullptr;
  if (m.stream) MciAudio::Remove(m.stream);
  m.prerolled = false;
}

bool Build(Media& m) {
  m.playbin = gst_element_factory_make("playbin", nullptr);
  if (!m.playbin) return false;
  gst_object_ref_sink(m.playbin);
  const bool window = m.video && MciVideo::UsableWindow(m.window);
  GstElement* videoSink = window ? MciVideo::MakeSink(m.window) : nullptr;
  if (!videoSink) {
    videoSink = gst_element_factory_make("fakesink", nullptr);
    if (videoSink) g_object_set(videoSink, "sync", TRUE, nullptr);
  }
  GstElement* audioSink = MciAudio::MakeSink(m.stream);
  GstElement* filter = BalanceFilter(m);
  if (!videoSink || !audioSink || !filter) {
    for (GstElement* e : {videoSink, audioSink, filter})
      if (e) gst_object_unref(gst_object_ref_sink(e));
    gst_object_unref(m.playbin);
    m.playbin = nullptr;
    m.panorama = nullptr;
    if (m.stream) MciAudio::Remove(m.stream);
    return false;
  }
  const guint flags = kFlagAudio | kFlagSoftVolume | (m.video ? kFlagVideo | kFlagDeinterlace : 0);
  g_object_set(m.playbin, "uri", m.uri.c_str(), "flags", flags, "video-sink", videoSink, "audio-sink", audioSink,
               "audio-filter", filter, nullptr);
  g_signal_connect(m.playbin, "source-setup", G_CALLBACK(OnSourceSetup), &m);
  m.bus = gst_element_get_bus(m.playbin);
  gst_bus_set_sync_handler(m.bus, OnBusSync, nullptr, nullptr);
  ApplyVolume(m);
  m.prerolled = false;
  m.error = 0;
  m.notLinked = false;
  m.bufferPercent = 100;
  m.bufferFilled = false;
  m.buffering = false;
  return true;
}

int MapError(const GError* error) {
  if (error->domain == GST_RESOURCE_ERROR) {
    switch (error->code) {
      case GST_RESOURCE_ERROR_NOT_FOUND:
      case GST_RESOURCE_ERROR_OPEN_READ:
      case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
        return Mci::kErrFileNotFound;
      default:
        return Mci::kErrHardware;
    }
  }
  if (error->domain == GST_STREAM_ERROR || error->domain == GST_CORE_ERROR) return Mci::kErrInvalidFile;
  return Mci::kErrHardware;
}

std::optional<int64_t> QueryMs(GstElement* playbin, bool duration) {
  gint64 ns = -1;
  const bool ok = duration ? gst_element_query_duration(playbin, GST_FORMAT_TIME, &ns)
                           : gst_element_query_position(playbin, GST_FORMAT_TIME, &ns);
  if (!ok || ns < 0) return std::nullopt;
  return ns / GST_MSECOND;
}

void SetState(Media& m, GstState state) {
  if (m.playbin) gst_element_set_state(m.playbin, state);
}

// The state the pipeline runs in while the user wants it playing.
void Run(Media& m) { SetState(m, m.buffering ? GST_STATE_PAUSED : GST_STATE_PLAYING); }

void OnEnd(Media& m) {
  m.endSeen = true;
  int64_t at = m.positionMs;
  if (m.playTo) {
    at = *m.playTo;
  } else if (const auto pos = QueryMs(m.playbin, false)) {
    at = *pos;
    if (m.lengthMs > 0 && at >= m.lengthMs - kEndSlackMs) at = m.lengthMs;
  } else if (m.lengthMs > 0) {
    at = m.lengthMs;
  }
  m.positionMs = at;
}

void OnError(Media& m, int code) {
  if (!m.prerolled) {
    // The open reports the first error: the others follow from it.
    if (!m.error) m.error = code;
    return;
  }
  m.error = code;
  // A stream lost while playing (an address that stopped): stopped where it was.
  if (const auto pos = QueryMs(m.playbin, false)) m.positionMs = *pos;
  m.broken = true;
  m.mode = Mode::Stopped;
  m.seeking = false;
  SetState(m, GST_STATE_NULL);
  MciAudio::Flush(*m.stream);
}

// An address starts playing as soon as it can (the buffer keeps filling meanwhile); once
// its buffer has been full, running dry pauses it until the buffer is full again.
void OnBuffering(Media& m, int percent) {
  m.bufferPercent = percent;
  if (percent >= 100) {
    m.bufferFilled = true;
    if (m.buffering) {
      m.buffering = false;
      if (m.mode == Mode::Playing) SetState(m, GST_STATE_PLAYING);
    }
    return;
  }
  if (!m.bufferFilled || m.buffering || m.mode != Mode::Playing || m.endSeen) return;
  m.buffering = true;
  SetState(m, GST_STATE_PAUSED);
}

// A seek is done once the pipeline has no state change pending.
void SeekDone(Media& m) {
  if (!m.seeking || !m.playbin) return;
  if (gst_element_get_state(m.playbin, nullptr, nullptr, 0) != GST_STATE_CHANGE_ASYNC) m.seeking = false;
}

// Waits (pumping messages) until the pipeline has no state change pending; a seek that
// takes longer goes on and is reported as "seeking".
void WaitSettled(Media& m, IdleFn idle, int64_t limitMs) {
  const int64_t until = Messages::NowMs() + limitMs;
  for (;;) {
    HandleBus(m);
    if (!m.playbin || gst_element_get_state(m.playbin, nullptr, nullptr, 0) != GST_STATE_CHANGE_ASYNC) {
      m.seeking = false;
      return;
    }
    const int64_t left = until - Messages::NowMs();
    if (left <= 0) return;
    Messages::PumpMessages();
    if (idle) idle();
    Messages::WaitMessage(static_cast<int>(std::min<int64_t>(left, 10)));
  }
}

// A play that reached its end becomes "stopped" once its sound has been written out.
void Settle(Media& m) {
  if (m.mode != Mode::Playing || !m.endSeen || !MciAudio::Drained(*m.stream)) return;
  m.mode = Mode::Stopped;
  m.ended = true;
  SetState(m, GST_STATE_PAUSED);
  MciAudio::SetPaused(*m.stream, true);
}

int WaitPreroll(Media& m, IdleFn idle) {
  const GstStateChangeReturn rc = gst_element_set_state(m.playbin, GST_STATE_PAUSED);
  if (rc == GST_STATE_CHANGE_SUCCESS || rc == GST_STATE_CHANGE_NO_PREROLL) m.prerolled = true;
  const int64_t until = Messages::NowMs() + (m.address ? kOpenLimitMs : kFileOpenLimitMs);
  for (;;) {
    HandleBus(m);
    if (m.error) return m.error;
    if (m.prerolled) return Mci::kOk;
    if (rc == GST_STATE_CHANGE_FAILURE) return Mci::kErrHardware;
    const int64_t left = until - Messages::NowMs();
    if (left <= 0) return m.address ? Mci::kErrDeviceNotReady : Mci::kErrInvalidFile;
    Messages::PumpMessages();
    if (idle) idle();
    Messages::WaitMessage(static_cast<int>(std::min<int64_t>(left, 50)));
  }
}

// Moves the pipeline to `ms` (and ends the play at `to`, or at the end when none).
bool SeekTo(Media& m, int64_t ms, std::optional<int64_t> to) {
  const bool ok = gst_element_seek(m.playbin, 1.0, GST_FORMAT_TIME,
                                   static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                   GST_SEEK_TYPE_SET, ms * GST_MSECOND, GST_SEEK_TYPE_SET,
                                   to ? *to * GST_MSECOND : GST_CLOCK_TIME_NONE);
  if (!ok) return false;
  MciAudio::Flush(*m.stream);
  m.seeking = true;
  m.positionMs = ms;
  m.endSeen = false;
  m.ended = false;
  return true;
}

// Builds the pipeline again where it was (a lost address, a video window).
int Rebuild(Media& m, IdleFn idle) {
  const int64_t at = m.positionMs;
  const Mode mode = m.mode;
  Teardown(m);
  if (!Build(m)) return Mci::kErrCannotLoadDriver;
  const int rc = WaitPreroll(m, idle);
  if (rc != Mci::kOk) {
    Teardown(m);
    m.broken = true;
    m.mode = Mode::Stopped;
    return rc;
  }
  m.broken = false;
  if (at > 0) SeekTo(m, at, m.playTo);
  m.mode = mode == Mode::Playing ? Mode::Playing : mode == Mode::Paused ? Mode::Paused : Mode::Stopped;
  if (m.mode == Mode::Playing) {
    MciAudio::SetPaused(*m.stream, false);
    Run(m);
  }
  return Mci::kOk;
}

}  // namespace

Media::~Media() { Teardown(*this); }

int WakeFd() {
  if (gWakeFd < 0) gWakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  return gWakeFd;
}

void ClearWake() {
  uint64_t count;
  if (gWakeFd >= 0) [[maybe_unused]] ssize_t n = read(gWakeFd, &count, sizeof count);
}

void HandleBus(Media& m) {
  if (!m.bus) return;
  while (GstMessage* msg = gst_bus_pop(m.bus)) {
    switch (GST_MESSAGE_TYPE(msg)) {
      case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(msg, &error, &debug);
        if (error) {
          m.notLinked = m.notLinked || (debug && std::strstr(debug, "not-linked"));
          OnError(m, MapError(error));
          g_error_free(error);
        }
        g_free(debug);
        break;
      }
      case GST_MESSAGE_EOS:
        OnEnd(m);
        break;
      case GST_MESSAGE_ASYNC_DONE:
        m.prerolled = true;
        m.seeking = false;
        break;
      case GST_MESSAGE_DURATION_CHANGED:
        m.lengthMs = -1;
        break;
      case GST_MESSAGE_BUFFERING: {
        gint percent = 100;
        gst_message_parse_buffering(msg, &percent);
        OnBuffering(m, percent);
        break;
      }
      default:
        break;
    }
    gst_message_unref(msg);
    if (!m.bus) break;  // torn down by an error
  }
}

int Open(Media& m, const std::string& uri, bool address, IdleFn idle) {
  m.uri = uri;
  m.address = address;
  if (address) m.userAgent = MciAgent::UserAgent();
  m.stream = std::make_shared<MciAudio::Stream>();
  WakeFd();
  // First with sound alone; a medium whose only stream is video is opened again with it.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!Build(m)) return Mci::kErrCannotLoadDriver;
    const int rc = WaitPreroll(m, idle);
    if (rc == Mci::kOk) {
      gint audio = 0;
      g_object_get(m.playbin, "n-audio", &audio, nullptr);
      if (audio > 0 || m.video) break;
    }
    const bool videoOnly = rc == Mci::kOk || m.notLinked;
    Teardown(m);
    if (!videoOnly || m.video) return rc == Mci::kOk ? Mci::kErrInvalidFile : rc;
    m.video = true;
  }
  m.mode = Mode::Stopped;
  m.positionMs = 0;
  Length(m);
  return Mci::kOk;
}

int Play(Media& m, std::optional<int64_t> from, std::optional<int64_t> to, IdleFn idle) {
  HandleBus(m);
  Settle(m);
  if (m.broken || !m.playbin) {
    if (const int rc = Rebuild(m, idle); rc != Mci::kOk) return rc;
  }
  const int64_t length = Length(m);
  if (from && length > 0 && *from > length) return Mci::kErrOutOfRange;
  int64_t start = from ? *from : Position(m);
  if (!from && m.ended) start = 0;  // played to its end: it starts over
  if (to && ((length > 0 && *to > length) || *to < start)) return Mci::kErrOutOfRange;
  if (from || to || m.ended || m.playTo) {
    if (!SeekTo(m, start, to)) return Mci::kErrUnsupportedFunction;
  } else if (m.mode == Mode::Playing) {
    return Mci::kOk;
  }
  m.playTo = to;
  m.ended = false;
  m.endSeen = false;
  m.mode = Mode::Playing;
  m.stream->awaitingFirst = true;
  m.stream->firstRenderMs = -1;
  MciAudio::SetPaused(*m.stream, false);
  Run(m);
  return Mci::kOk;
}

void Pause(Media& m) {
  HandleBus(m);
  Settle(m);
  if (m.mode != Mode::Playing) return;
  SetState(m, GST_STATE_PAUSED);
  MciAudio::SetPaused(*m.stream, true);
  if (const auto pos = QueryMs(m.playbin, false); pos && !m.endSeen) m.positionMs = *pos;
  m.mode = Mode::Paused;
}

void Resume(Media& m) {
  HandleBus(m);
  if (m.mode != Mode::Paused) return;
  m.mode = Mode::Playing;
  MciAudio::SetPaused(*m.stream, false);
  Run(m);
}

void Stop(Media& m) {
  HandleBus(m);
  Settle(m);
  if (m.mode != Mode::Playing && m.mode != Mode::Paused) return;
  SetState(m, GST_STATE_PAUSED);
  MciAudio::SetPaused(*m.stream, true);
  if (const auto pos = QueryMs(m.playbin, false); pos && !m.endSeen) m.positionMs = *pos;
  m.mode = Mode::Stopped;
}

int Seek(Media& m, int64_t ms, IdleFn idle) {
  HandleBus(m);
  Settle(m);
  const int64_t length = Length(m);
  if (ms < 0) ms = length;
  if (length > 0 && ms > length) return Mci::kErrOutOfRange;
  if (m.broken || !m.playbin) {
    m.positionMs = ms;
    m.mode = Mode::Stopped;
    return Mci::kOk;
  }
  Stop(m);
  // The pause must be done first: its completion would otherwise pass for the seek's.
  WaitSettled(m, idle, kPauseLimitMs);
  m.playTo.reset();
  if (!SeekTo(m, ms, std::nullopt)) return Mci::kErrUnsupportedFunction;
  WaitSettled(m, idle, m.address ? kAddressSeekLimitMs : kFileSeekLimitMs);
  return Mci::kOk;
}

int64_t Length(Media& m) {
  if (m.lengthMs < 0 && m.playbin && m.prerolled)
    if (const auto d = QueryMs(m.playbin, true)) m.lengthMs = *d;
  return std::max<int64_t>(0, m.lengthMs);
}

int64_t Position(Media& m) {
  HandleBus(m);
  Settle(m);
  SeekDone(m);
  if (m.seeking) return m.positionMs;
  const bool live = m.playbin && !m.broken && !m.endSeen && !m.ended &&
                    (m.mode == Mode::Playing || m.mode == Mode::Paused || m.mode == Mode::Stopped);
  if (live)
    if (const auto pos = QueryMs(m.playbin, false)) m.positionMs = *pos;
  const int64_t length = Length(m);
  return std::clamp<int64_t>(m.positionMs, 0, length > 0 ? length : INT64_MAX);
}

Mode CurrentMode(Media& m) {
  HandleBus(m);
  Settle(m);
  SeekDone(m);
  if (m.seeking && !m.broken && m.mode != Mode::Playing) return Mode::Seeking;
  return m.mode;
}

void SetVolume(Media& m, int left, int right) {
  m.left = left;
  m.right = right;
  ApplyVolume(m);
}

void SetAudioOn(Media& m, bool on) {
  m.audioOn = on;
  ApplyVolume(m);
}

int SetWindow(Media& m, uint64_t handle, IdleFn idle) {
  HandleBus(m);
  gint videos = 0;
  if (m.playbin) g_object_get(m.playbin, "n-video", &videos, nullptr);
  const uint64_t previous = m.window;
  m.window = handle;
  gint audio = 1;
  if (m.playbin) g_object_get(m.playbin, "n-audio", &audio, nullptr);
  // Video is decoded when a window shows it, and always for a medium without sound.
  const bool shown = videos > 0 && MciVideo::UsableWindow(handle);
  const bool want = shown || (videos > 0 && audio == 0);
  if (want == m.video && (!shown || handle == previous)) return Mci::kOk;
  m.video = want;
  if (m.broken || !m.playbin) return Mci::kOk;  // the next play builds it so
  Position(m);
  return Rebuild(m, idle);
}

int64_t FirstRenderMs(const Media& m) { return m.stream ? m.stream->firstRenderMs.load() : -1; }

}  // namespace MciMedia
