// The small sound primitives of the speech manager: recorded characters and words,
// spelling, pauses, the click, the beep, telephone-key tones and the battery report.
#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "platform/system/power.h"
#include "platform/headless/transcript.h"
#include "speech/recorded_numbers.h"
#include "speech/speech.h"
#include "speech/speech_state.h"
#include "audio/sound_queue.h"

namespace Speech {
namespace {

std::string WordPath(std::string_view name) {
  const State& s = St();
  return (name.starts_with("_") ? s.lettersFolder : s.wordsFolder) + std::string(name) + ".wav";
}

void WaitUntilPlayed() {
  while (SoundQueue::WaveIsPlaying()) Messages::WaitMessage(10);
}

}  // namespace

bool PlayRecorded(const std::string& path) {
  if (!Paths::Exists(path)) return false;
  St().silent = false;
  return SoundQueue::PlayFile(path) == 0;
}

void SpeakChar(uint8_t code) {
  if ((code >= 1 && code <= 11) || (code >= 13 && code <= 31)) return;
  WaitForServer();
  Transcript::Event("char", std::to_string(code));
  const std::string& folder = St().lettersFolder;
  const std::string file = folder + "_" + std::to_string(code) + ".wav";
  PlayRecorded(Paths::Exists(file) ? file : folder + "_unknown.wav");
}

void SpeakWordFile(std::string_view name) {
  WaitForServer();
  Transcript::Event("word", name);
  PlayRecorded(WordPath(name));
}

bool WordFileExists(std::string_view name) { return Paths::Exists(WordPath(name)); }

void Spell(std::string_view text) {
  Transcript::Event("spell", text);
  for (char c : text) {
    if (KeyWaiting()) return;
    if (c == '\t')
      SpeakWordFile("_FON9");
    else
      SpeakChar(static_cast<uint8_t>(c));
  }
}

void SpeechPause(int milliseconds) {
  for (int step = 0; step < milliseconds / 50; ++step)
    if (!KeyWaiting()) Console::ConsoleDelay(50);
}

void PunctuationPause(std::string_view text) {
  if (text.empty() || KeyWaiting()) return;
  WaitForSilence();
  const char mark = text[0];
  SpeakChar(static_cast<uint8_t>(mark));
  const bool spaceAfter = text.size() > 1 && text[1] == ' ';
  const Settings::SintetizadorSettings& t = St().timing;
  if (mark == '(' || mark == ')' || mark == ':' || mark == ';')
    SpeechPause(t.pausaDoisPontos);
  else if ((mark == ',' || mark == '-') && spaceAfter)
    SpeechPause(t.pausaVirg);
  else if (mark == '.' && spaceAfter)
    SpeechPause(t.pausaPonto);
}

void PlaySoundImage(std::string_view image) {
  WaitForServer();
  SoundQueue::PlayImage(reinterpret_cast<const uint8_t*>(image.data()), image.size());
  WaitUntilPlayed();
}

void PlayBeep() {
  const Messages::QuietPause quiet;
  WaitForServer();
  Keyboard::DiscardWaitingKeys();
  Transcript::Event("beep");
  static constexpr uint8_t kPattern[8] = {128, 112, 96, 80, 64, 80, 96, 112};
  uint8_t beep[512];
  for (int i = 0; i < 512; ++i) beep[i] = kPattern[i % 8];
  beep[511] = 128;
  SoundQueue::PlaySamples(beep, sizeof beep, 11025, 1, 8);
  WaitUntilPlayed();
}

void PlayClick() {
  const Messages::QuietPause quiet;
  WaitForServer();
  Transcript::Event("click");
  const auto& click = St().click;
  bool& cutting = SoundQueue::WaveFlags().speechCutting;
  const bool saved = cutting;
  cutting = false;
  SoundQueue::PlayImage(click.data(), click.size());
  WaitUntilPlayed();
  cutting = saved;
}

void PlayToneDigits(std::string_view text) {
  bool& fast = SoundQueue::WaveFlags().fastRate;
  const bool saved = fast;
  fast = false;
  for (char c : text) {
    if (c == ',') {
      Console::ConsoleDelay(1000);
      continue;
    }
    const bool digit = c >= '0' && c <= '9';
    if (!digit && c != '#' && c != '*') continue;
    const std::string name = std::string("dtmf_") + (c == '*' ? 'X' : c);
    Transcript::Event("word", name);
    PlayRecorded(St().lettersFolder + name + ".wav");
    WaitUntilPlayed();
    Console::ConsoleDelay(100);
  }
  fast = saved;
}

void SpeakBatteryStatus() {
  const Power::Status power = Power::ReadStatus();
  if (!power.hasBattery) {
    SpeakWordFile("_SEMBAT");
    return;
  }
  Speak(std::to_string(power.percent) + "%");
  if (!power.onMains) SpeakWordFile("_SEMENER");
}

}  // namespace Speech
