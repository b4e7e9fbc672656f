// Where the sound of MCI media goes, chosen by FONIX_AUDIO: the system's sound output
// (GStreamer's automatic sink), nowhere at the real pace (null), or a WAV file of its own
// beside the capture file (capture:FILE → FILE with "-mci" before the extension), where
// every open medium is mixed at the real pace, silence included, so that tests can hear it.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace MciAudio {

enum class Output { System, Capture, Null };
Output Chosen();
// capture:/x/som.wav → /x/som-mci.wav
std::string CapturePath(const std::string& capturePath);

// The capture file's format.
inline constexpr int kRate = 44100;
inline constexpr int kChannels = 2;

// One medium's sound on its way out. The ring is used by the capture output only; it is
// filled on GStreamer's streaming thread and emptied on the capture device's thread.
struct Stream {
  std::vector<int16_t> ring;  // interleaved stereo frames, made once
  std::size_t head = 0;       // first frame held
  std::size_t count = 0;      // frames held
  bool paused = true;         // a paused medium keeps what it holds
  bool armed = false;         // enough held to play without gaps
  bool ended = false;         // the sink received the end of the stream
  // The time (Messages::NowMs) the first sample after a play reached the sink's render.
  std::atomic<bool> awaitingFirst{false};
  std::atomic<int64_t> firstRenderMs{-1};
};

// The audio sink element for one medium (floating reference for playbin's "audio-sink"),
// registered with the capture mixer when the output is a file.
GstElement* MakeSink(const std::shared_ptr<Stream>& stream);
// The medium plays (its held sound is mixed) or not (it keeps what it holds).
void SetPaused(Stream& stream, bool paused);
// Drops what the stream holds (stop, seek).
void Flush(Stream& stream);
// Everything the sink received up to the end of the stream has been written out (always
// true for the other outputs: their sinks only report the end once it has played).
bool Drained(const Stream& stream);
// The medium is closed: it leaves the mixer (the capture device closes with the last one).
void Remove(const std::shared_ptr<Stream>& stream);
// Tests: every stream leaves, the capture file is complete; the next one is made anew.
void ResetAudio();

}  // namespace MciAudio
