// The eSpeak NG library behind the SAPI 4 engine: started once, in its synchronous mode, so
// that its samples come back on the calling thread and go wherever the caller plays them.
#include "platform/speech/sapi4_espeak.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cctype>

#include "platform/text/text_kit.h"

namespace Sapi4Espeak {
namespace {

struct State {
  bool tried = false;
  int rate = 0;  // sample rate; 0: the library did not start
  Sink sink = nullptr;
  void* context = nullptr;
  bool stopped = false;
};

State& S() {
  static State state;
  return state;
}

// Small buffers: the first samples reach the caller soon after the first clause starts.
constexpr int kBufferMs = 20;

int OnSamples(short* samples, int count, espeak_EVENT*) {
  State& s = S();
  if (s.stopped) return 1;
  if (samples && count > 0 && s.sink && !s.sink(samples, count, s.context)) {
    s.stopped = true;
    return 1;
  }
  return 0;
}

}  // namespace

bool StartEngine() {
  State& s = S();
  if (!s.tried) {
    s.tried = true;
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMs, nullptr, 0);
    if (rate > 0) {
      s.rate = rate;
      espeak_SetSynthCallback(OnSamples);
    }
  }
  return s.rate > 0;
}

int SampleRate() { return S().rate; }

std::vector<std::string> PortugueseVoices() {
  std::vector<std::string> brazilian, others;
  if (!StartEngine()) return {};
  espeak_VOICE wanted{};
  wanted.languages = "pt";
  const espeak_VOICE** voices = espeak_ListVoices(&wanted);
  for (int i = 0; voices && voices[i]; ++i) {
    const espeak_VOICE* v = voices[i];
    if (!v->identifier || !v->languages) continue;
    const std::string id = v->identifier;
    // MBROLA voices need a program and data of their own: not eSpeak NG's voices.
    if (id.starts_with("mb/") || id.find("/mb-") != std::string::npos) continue;
    // languages: a priority byte, then the name, for each language the voice speaks.
    const std::string language = TextKit::AsciiLowerText(v->languages + 1);
    if (!language.starts_with("pt")) continue;
    std::vector<std::string>& list = language == "pt-br" ? brazilian : others;
    if (std::find(list.begin(), list.end(), id) == list.end()) list.push_back(id);
  }
  brazilian.insert(brazilian.end(), others.begin(), others.end());
  return brazilian;
}

bool SelectVoice(const std::string& identifier) {
  return StartEngine() && espeak_SetVoiceByName(identifier.c_str()) == EE_OK;
}

void SetRate(int wordsPerMinute) {
  espeak_SetParameter(espeakRATE, std::clamp(wordsPerMinute, espeakRATE_MINIMUM, espeakRATE_MAXIMUM), 0);
}

void SetPitch(int pitch) { espeak_SetParameter(espeakPITCH, std::clamp(pitch, 0, 100), 0); }

int Rate() { return espeak_GetParameter(espeakRATE, 1); }

int Pitch() { return espeak_GetParameter(espeakPITCH, 1); }

bool Synthesize(std::string_view utf8, Sink sink, void* context) {
  State& s = S();
  if (!StartEngine()) return false;
  const std::string text(utf8);  // the engine reads up to a terminating NUL
  s.sink = sink;
  s.context = context;
  s.stopped = false;
  const espeak_ERROR rc =
      espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
  s.sink = nullptr;
  s.context = nullptr;
  return rc == EE_OK;
}

}  // namespace Sapi4Espeak
