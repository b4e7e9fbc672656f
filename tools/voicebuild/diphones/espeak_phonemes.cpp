// Synchronous eSpeak NG: the callback gathers samples and phoneme events of one text
// into the recording passed through the library's user data.
#include "tools/voicebuild/diphones/espeak_phonemes.h"

#include <espeak-ng/speak_lib.h>

#include <cstring>

namespace EspeakPhonemes {
namespace {

int Collect(short* wav, int count, espeak_EVENT* events) {
  if (events == nullptr) return 0;
  auto* out = static_cast<Recording*>(events->user_data);
  if (out == nullptr) return 0;
  for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
    if (e->type != espeakEVENT_PHONEME) continue;
    char name[sizeof e->id.string + 1] = {};
    std::memcpy(name, e->id.string, sizeof e->id.string);
    out->events.push_back({name, static_cast<std::size_t>(e->sample > 0 ? e->sample : 0)});
  }
  if (wav != nullptr && count > 0) out->samples.insert(out->samples.end(), wav, wav + count);
  return 0;
}

}  // namespace

Session::Session(int wordsPerMinute) {
  const int options = espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT;
  const int r = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, options);
  if (r <= 0) {
    error = "eSpeak NG did not start (is espeak-ng-data installed?)";
    return;
  }
  espeak_SetSynthCallback(Collect);
  if (espeak_SetVoiceByName("pt-br") != EE_OK && espeak_SetVoiceByName("pt") != EE_OK) {
    error = "no Portuguese voice in the eSpeak NG data";
    return;
  }
  // Monotone: the runtime joins diphones of any word, so none may carry a melody.
  espeak_SetParameter(espeakRANGE, 0, 0);
  espeak_SetParameter(espeakRATE, wordsPerMinute, 0);
  rate = r;
}

Session::~Session() { espeak_Terminate(); }

Recording Speak(Session& session, std::string_view phonemes) {
  Recording rec;
  if (session.rate <= 0) return rec;
  const std::string text = "[[" + std::string(phonemes) + "]]";
  const espeak_ERROR e = espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                                      espeakCHARS_AUTO | espeakPHONEMES, nullptr, &rec);
  if (e != EE_OK || espeak_Synchronize() != EE_OK) return {};
  return rec;
}

}  // namespace EspeakPhonemes
