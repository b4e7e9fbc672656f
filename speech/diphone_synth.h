// The diphone concatenation of the default voice: notation in, units of the index and
// recorded letters gathered into a 64000-byte buffer that is played whenever it fills.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "speech/diphone_phones.h"

namespace DiphoneSynth {

inline constexpr std::size_t kBufferSize = 64000;
inline constexpr std::size_t kHeaderSize = 44;
inline constexpr std::size_t kRecordSize = 15;
inline constexpr std::size_t kNoiseBytes = 300;
// Samples two joined units overlap by (3 ms), and the fade of the sound before a silence
// or the end of a phrase (50 ms, most of it in the last phone's own fall to silence).
inline constexpr std::size_t kCrossFade = 33;
inline constexpr std::size_t kFadeOut = 551;

struct State {
  std::vector<uint8_t> index;  // 15-byte records sorted by unit name
  // Reads `length` bytes of the ".DIF" file at `offset`; fewer when the file is short.
  std::function<std::vector<uint8_t>(uint32_t offset, std::size_t length)> readUnit;
  // The samples of the letters folder's file name + ".wav" after its header; none when missing.
  std::function<std::optional<std::vector<uint8_t>>(const std::string& name)> readRecorded;
  // Plays a WAVE image (header and samples) and returns once it has been heard.
  std::function<void(const uint8_t* image, std::size_t size)> play;
  std::function<bool()> keyWaiting;
  int corteFon = 0;  // bytes cut from each unstressed diphone (CORTEFON)
  int sobraFon = 0;  // below this a cut diphone keeps its length, up to this (SOBRAFON)
  int interPal = 0;  // silence after each word, in whole blocks of 100 bytes (INTERPAL)

  std::size_t crossFade = kCrossFade;
  std::size_t fadeOut = kFadeOut;

  std::vector<uint8_t> buffer;  // kBufferSize once allocated; header first
  std::size_t fill = kHeaderSize;
  // Where the sound the next unit joins began: the buffer holds it from here to fill
  // (after a silence, a recorded file or a played buffer there is nothing to join).
  std::size_t soundFrom = kHeaderSize;
  bool stressed = false;
  uint32_t noise = 12345;  // state of the noise generator
};
State& Synth();
// Everything back to the start: no index, no buffer, the seams empty.
void ResetSynth();

// Plays a whole notation (DiphoneNotation::TextNotation) and what is left in the buffer.
void Say(std::string_view notation);

// One unit of the notation played as the unit player does, at a length factor.
void PlayUnit(std::string_view unit, double factor);
// One name of the index (or "_" name of a recorded file), with the fall-backs for a name
// that is missing.
void PlayName(std::string_view name, double factor);

struct Piece {
  std::string unit;
  double factor = 1.0;
};
// The units a word's phones are played as (see the .cpp). `notation` is one unit of the
// notation; `previous` the phone before it in its word, for the pair across units; `last`
// whether the word ends with it; `runOn` that the word goes on into the next one without
// silence (its last phone stays in `previous` for the pair into the next word). Updates
// `previous`.
std::vector<Piece> SplitUnit(std::string_view notation, DiphonePhones::Token& previous, bool first, bool last,
                             bool runOn = false);

// Appends samples (played first when the buffer would reach its size) and plays the rest.
void Append(const uint8_t* data, std::size_t length);
// Appends a unit of the voice: its first samples overlap the sound it follows, fading
// from that sound into this one.
void AppendJoined(const uint8_t* data, std::size_t length);
// Fades the sound at the end of the buffer out to silence (before a pause and at the end).
void FadeOut();
void Flush();

}  // namespace DiphoneSynth
