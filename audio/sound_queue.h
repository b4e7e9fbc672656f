// The sound queue: all sound the runtime makes itself (recorded letters and words, the
// diphone voice, Sonora's samples, beeps, clicks and tones) is queued here in 16 fixed
// buffers of 8192 bytes on the audio device, with the fast-rate and speech-cutting speed-ups
// and interruption by a waiting key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/events/messages.h"
#include "platform/audio/waveout.h"

namespace SoundQueue {

inline constexpr int kBufferCount = 16;
inline constexpr std::size_t kBufferSize = 8192;

struct Flags {
  bool fastRate = false;       // RAPIDINHO: play at 1.5 × the rate
  bool speechCutting = false;  // CORTAFALA: drop every other pitch period of mono sound
  bool interrupt = true;       // a waiting key stops playback
  bool asynchronous = false;   // PlayFile returns once the sound is queued
};
// Read and written by the speech manager, saved and restored around some calls.
Flags& WaveFlags();

// What the sound queue takes from the console and the settings, given by the module that
// joins them (Speech::ConnectSoundQueue): whether a key waits in the console's queue, the
// SAIDADEAUDIO device name, and telling the user about a buffer the device gave back wrongly
// (the text, possibly empty, written on the console, then a wait for Enter). Unset: no key
// ever waits, the default device, nothing told.
struct Hooks {
  bool (*keyWaiting)() = nullptr;
  std::string (*deviceSetting)() = nullptr;
  void (*reportError)(std::string_view text) = nullptr;
};
void SetHooks(const Hooks& hooks);
// The interrupt flag is on and a key waits.
bool InterruptRequested();
// A buffer's completion (a WaveDone message), handed back by the console's window procedure.
void HandleCompletion(const Messages::Message& m);

// Output device names, trimmed, in device order.
std::vector<std::string> ListOutputDevices();
// 0, or the device's error code (nothing played). Returns early, having stopped the sound,
// when a key waits.
int PlaySamples(const uint8_t* data, std::size_t length, int rate, int channels, int bits);
// An in-memory WAVE image; -1 when its header is not a WAVE header.
int PlayImage(const uint8_t* image, std::size_t size);
// A WAVE file (Windows path): 0 played to its end, -1 otherwise.
int PlayFile(std::string_view windowsPath);
bool WaveIsPlaying();
void WaveStop();

// A WAVE image played over and over until StopLoop (the console's tone). The image must stay
// untouched until then. There is one device: a loop stops the sound that plays, and sound
// played while a loop runs ends the loop. A loop does not count as playing for WaveIsPlaying.
void PlayLoop(const uint8_t* image, std::size_t size);
void StopLoop();
bool IsLooping();
// The short beep of the console's bell (byte 7), queued without waiting.
void RingBell();

// The device index chosen from SAIDADEAUDIO (-1: the system's default).
int ChosenDevice();
// Buffers handed to the device and not yet returned (loop buffers included).
int BuffersInFlight();
// Closes the device (program end).
void CloseSoundQueue();
// Tests: a device of their own (null: FONIX_AUDIO again), flags and counts back to the
// start, the device chosen again at the next play.
void ResetSoundQueue(std::unique_ptr<WaveOut::Device> device = nullptr);

}  // namespace SoundQueue
