// The audio output device: a waveOut-like queue of PCM buffers (open with a format, write a
// buffer, its completion posted to the event loop, reset, close), with SDL2, capture-to-file
// and null backends, chosen by FONIX_AUDIO=sdl|capture:FILE|null.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace WaveOut {

struct Format {
  int rate = 0;      // frames per second
  int bits = 0;      // 8 (unsigned, 128 = silence) or 16 (signed little-endian)
  int channels = 0;  // 1..8
  int BlockAlign() const { return channels * bits / 8; }
  bool operator==(const Format&) const = default;
};

// Result codes, numbered as the system's multimedia results are.
inline constexpr int kOk = 0;
inline constexpr int kErrBadDevice = 2;     // no such device, or the backend has none
inline constexpr int kErrAllocated = 4;     // the device is already open
inline constexpr int kErrInvalidHandle = 5; // not open
inline constexpr int kErrNoDriver = 6;
inline constexpr int kErrNoMem = 7;
inline constexpr int kErrBadFormat = 32;
inline constexpr int kErrStillPlaying = 33;

// Accepted formats; anything else is kErrBadFormat.
bool FormatSupported(const Format& format);

// Renders `bytes` bytes of samples of the open format into `out` (a stream device: MIDI).
using RenderFn = void (*)(void* context, uint8_t* out, std::size_t bytes);

// One audio output. Buffers handed to Write stay owned by the caller and must stay
// untouched until their completion (a Messages::Kind::WaveDone message whose data is the
// tag given to Write) has been posted. Completions are posted from the device's own thread;
// the device never calls anything but Messages::Post.
class Device {
 public:
  virtual ~Device() = default;
  virtual const char* Name() const = 0;
  // Output device names as the system gives them (Windows-1252), in device order; the
  // position in the list is the index Open takes.
  virtual std::vector<std::string> OutputNames() = 0;
  // Opens device `index` (-1: the system's default) for queued buffers.
  virtual int Open(int index, const Format& format) = 0;
  // Opens device `index` so that it pulls its samples from `render` (no buffers queued).
  virtual int OpenStream(int index, const Format& format, RenderFn render, void* context) = 0;
  // Queues one buffer; kErrStillPlaying when the device queue is full.
  virtual int Write(const uint8_t* data, std::size_t length, uintptr_t tag) = 0;
  // Stops playing; every queued buffer's completion is posted before this returns.
  virtual void Reset() = 0;
  // Reset, then close (a closed device ignores it).
  virtual void Close() = 0;
  // Buffers written and not yet completed.
  virtual int Pending() const = 0;
  // The device's own buffering in milliseconds after a sample leaves the queue (0 when it
  // has none: capture and null are silent the moment they are reset).
  virtual double LatencyMs() const = 0;
};

// Whether FONIX_AUDIO names a device (sdl, null, capture:FILE with FILE writable); false
// with a message for the user otherwise. Checked at start, before anything plays.
bool CheckChoice(std::string& error);
// The device of FONIX_AUDIO (default sdl; sdl falls back to null when no device opens).
// `purpose` "midi" makes a capture device write next to the capture file (see
// CaptureMidiPath) instead of into it.
std::unique_ptr<Device> OpenChosen(const char* purpose = "wave");
std::unique_ptr<Device> OpenSdl();  // null when SDL has no audio output at all
std::unique_ptr<Device> OpenCapture(const std::string& path, std::vector<std::string> names = {"Captura"});
// The null device plays at the real rate (as a card does); unpaced, every buffer is done the
// moment it is written, for runs that want no waiting at all (fuzzing).
enum class Pacing { RealTime, None };
std::unique_ptr<Device> OpenNull(Pacing pacing = Pacing::RealTime);
// capture:/x/som.wav → /x/som-midi.wav (the synthesizer's own file).
std::string CaptureMidiPath(const std::string& capturePath);

// Sounds that the console makes through the sound queue once it is linked in: the bell
// and a looping tone image. Both do nothing (return false) until a player is installed.
using BellPlayer = void (*)();
using TonePlayer = void (*)(const uint8_t* image, std::size_t size);  // null image: stop
void SetBellPlayer(BellPlayer player);
void SetTonePlayer(TonePlayer player);
bool RingBell();
bool PlayTone(const uint8_t* image, std::size_t size);
bool StopTone();

}  // namespace WaveOut
