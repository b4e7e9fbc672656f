// The SAPI 4 voice on eSpeak NG: the engine synthesizes each text synchronously and its
// samples go through the sound queue, so that a waiting key, StopSpeech and the capture and
// null devices treat them as they treat the built-in voice. The engine's buffer notices
// (text started and done, audio started and stopped) keep the pending count and the
// audio-active flag that IsSpeaking reports.
#include "speech/server_sapi4.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"
#include "platform/events/messages.h"
#include "platform/speech/sapi4_espeak.h"
#include "speech/speech_state.h"
#include "audio/sound_queue.h"

namespace Sapi4Voice {
namespace {

// Sound handed to the sound queue in whole buffers, except the first piece of a text, which
// goes out at once so that speech starts as soon as the engine has anything.
struct Feed {
  std::vector<uint8_t> bytes;
  unsigned stopsAtStart = 0;
  bool started = false;
  bool cut = false;  // a key or a stop ended the text
};

void TextDataStarted() { ++St().pending; }
void TextDataDone() { St().pending = std::max(0, St().pending - 1); }
void AudioStart() { St().audioActive = true; }
void AudioStop() { St().audioActive = false; }

bool Interrupted(const Feed& feed) { return Speech::KeyWaiting() || St().stops != feed.stopsAtStart; }

// The engine's sound is its own: the built-in voice's speed-ups do not apply to it.
void Play(Feed& feed) {
  if (feed.bytes.empty()) return;
  SoundQueue::Flags& flags = SoundQueue::WaveFlags();
  const SoundQueue::Flags saved = flags;
  flags.fastRate = false;
  flags.speechCutting = false;
  flags.interrupt = true;
  SoundQueue::PlaySamples(feed.bytes.data(), feed.bytes.size(), Sapi4Espeak::SampleRate(), 1, 16);
  flags = saved;
  feed.bytes.clear();
}

bool OnSamples(const int16_t* samples, int count, void* context) {
  Feed& feed = *static_cast<Feed*>(context);
  if (Interrupted(feed)) {
    feed.cut = true;
    return false;
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples);
  feed.bytes.insert(feed.bytes.end(), bytes, bytes + static_cast<std::size_t>(count) * 2);
  if (!feed.started) {
    feed.started = true;
    AudioStart();
    Play(feed);
  } else if (feed.bytes.size() >= SoundQueue::kBufferSize) {
    Play(feed);
  }
  if (Interrupted(feed)) {
    feed.cut = true;
    return false;
  }
  return true;
}

// Control bytes would be read by the engine as they come; they are blanks to the listener.
std::string EngineText(std::string text) {
  for (char& c : text)
    if (static_cast<uint8_t>(c) < 32) c = ' ';
  return Cp1252::ToUtf8(text);
}

}  // namespace

State& St() {
  static State state;
  return state;
}

int EnginePitch(int hertz) { return std::clamp((hertz - 60) / 2, 0, 100); }

bool Open(int voice, int speed, int pitch, std::string_view outputFile) {
  Close();
  // Sound goes through the sound queue; a file of its own is not offered by this engine.
  if (!outputFile.empty()) return false;
  if (!Sapi4Espeak::StartEngine()) return false;
  const std::vector<std::string> voices = Sapi4Espeak::PortugueseVoices();
  if (voices.empty()) return false;
  if (voice < 1 || static_cast<std::size_t>(voice) > voices.size()) voice = 1;
  if (!Sapi4Espeak::SelectVoice(voices[static_cast<std::size_t>(voice) - 1])) return false;
  if (speed != 0) Sapi4Espeak::SetRate(speed);
  if (pitch != 0) Sapi4Espeak::SetPitch(EnginePitch(pitch));
  State& s = St();
  s.open = true;
  s.pending = 0;
  s.audioActive = false;
  return true;
}

void Speak(std::string_view text) {
  State& s = St();
  std::string said(TextKit::TrimLineBlanks(text));
  if (said.empty() || !s.open) return;
  if (said.size() == 1 && std::isdigit(static_cast<unsigned char>(said[0]))) said += '.';
  if (Speech::KeyWaiting()) return;
  if (s.pending > 0) {
    Messages::WaitMessage(20);
    Messages::PumpMessages();
  }
  Feed feed;
  feed.stopsAtStart = s.stops;
  TextDataStarted();
  const bool ok = Sapi4Espeak::Synthesize(EngineText(said), OnSamples, &feed);
  if (!ok || feed.cut) {
    Stop();
    return;
  }
  Play(feed);
  if (!feed.started) {  // nothing to hear: the text is done already
    TextDataDone();
  }
}

bool IsSpeaking(bool strict) {
  Messages::PumpMessages();
  State& s = St();
  if ((s.pending > 0 || s.audioActive) && !SoundQueue::WaveIsPlaying()) {
    // The sound queue has played everything: every text handed over is done.
    while (s.pending > 0) TextDataDone();
    AudioStop();
  }
  return strict ? s.pending > 0 : s.pending > 0 || s.audioActive;
}

void Stop() {
  State& s = St();
  ++s.stops;
  // The sound queue drops what is queued at once; the engine has nothing of its own playing.
  if (s.audioActive && s.open) SoundQueue::WaveStop();
  AudioStop();
  s.pending = 0;
}

void Close() {
  State& s = St();
  if (!s.open) return;
  Stop();
  s.open = false;
}

void Reset() { St() = State{}; }

}  // namespace Sapi4Voice
