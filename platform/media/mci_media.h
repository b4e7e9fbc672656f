// One open MCI medium: a GStreamer playbin over a file or an address, with the states and
// positions MCI reports (milliseconds), its volume and balance, and its video window.
// Everything runs on the main thread; GStreamer's own threads only wake the event loop.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/media/mci_audio.h"

namespace MciMedia {

enum class Mode { NotReady, Stopped, Playing, Paused, Seeking };

// Called while a wait goes on, after the event loop was pumped; true when the user wants
// the wait to end (a key waits). Opening ignores the answer: it only lets keys be noticed.
using IdleFn = bool (*)();

struct Media {
  Media() = default;
  ~Media();
  Media(const Media&) = delete;
  Media& operator=(const Media&) = delete;

  GstElement* playbin = nullptr;    // owned
  GstBus* bus = nullptr;            // owned
  GstElement* panorama = nullptr;   // inside the playbin: the balance
  std::shared_ptr<MciAudio::Stream> stream;
  std::string uri;
  std::string userAgent;            // for addresses
  bool address = false;             // http(s): buffering, user agent
  Mode mode = Mode::Stopped;        // what the user asked for
  bool prerolled = false;           // the pipeline reached its first picture and sound
  int error = 0;                    // the MCI error of the last failure the bus reported
  bool notLinked = false;           // a stream could not be linked (video without sound)
  bool video = false;               // video decoded: a window shows it, or there is no sound
  uint64_t window = 0;              // the window asked to show the video (0: none)
  bool endSeen = false;             // the end of the stream reached the sinks
  bool ended = false;               // played to its end by itself: a play starts over
  bool broken = false;              // the stream failed after opening (a lost address)
  bool seeking = false;             // a seek not yet done
  bool buffering = false;           // held by us while an address fills its buffer again
  bool bufferFilled = false;        // its buffer has been full since the pipeline was built
  int bufferPercent = 100;
  int64_t lengthMs = -1;            // unknown until asked
  int64_t positionMs = 0;           // last known position
  std::optional<int64_t> playTo;    // the "to" of the running play
  int left = 1000, right = 1000;    // setaudio volumes
  bool audioOn = true;
};

// The event loop is woken through this descriptor whenever a medium's bus has a message.
int WakeFd();
void ClearWake();

// Opens the medium and waits (pumping messages, calling `idle`) until it is ready to play,
// at most 12 seconds (4 for a local file). 0 or an MCI error.
int Open(Media& m, const std::string& uri, bool address, IdleFn idle);
// Handles what the medium's bus reported (end, errors, buffering, seeks done).
void HandleBus(Media& m);

int Play(Media& m, std::optional<int64_t> from, std::optional<int64_t> to, IdleFn idle);
void Pause(Media& m);
void Resume(Media& m);
void Stop(Media& m);
// Stops and moves to `ms` (-1: the medium's end); kErrOutOfRange past the end. Waits
// (pumping messages) a little for the seek to be done.
int Seek(Media& m, int64_t ms, IdleFn idle);
int64_t Length(Media& m);
int64_t Position(Media& m);
Mode CurrentMode(Media& m);
void SetVolume(Media& m, int left, int right);
void SetAudioOn(Media& m, bool on);
// Shows the video in the window (or stops showing it for 0 or a handle that names none).
int SetWindow(Media& m, uint64_t handle, IdleFn idle);
// The time the first sample after the last play reached the sink (-1: not yet).
int64_t FirstRenderMs(const Media& m);

}  // namespace MciMedia
