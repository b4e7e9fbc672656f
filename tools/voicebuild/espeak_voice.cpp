// eSpeak NG in synchronous mode: each text's samples are gathered by the callback into
// the buffer that the caller's Synthesize passes through the library's user data.
#include "tools/voicebuild/espeak_voice.h"

#include <espeak-ng/speak_lib.h>

namespace EspeakVoice {
namespace {

int Collect(short* wav, int count, espeak_EVENT* events) {
  if (wav == nullptr || count <= 0 || events == nullptr) return 0;
  auto* out = static_cast<std::vector<int16_t>*>(events->user_data);
  if (out != nullptr) out->insert(out->end(), wav, wav + count);
  return 0;
}

}  // namespace

Session::Session(const std::vector<std::string>& voiceNames) {
  // DONT_EXIT: a broken data folder must come back as an error, not end the build tool.
  const int r = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr, espeakINITIALIZE_DONT_EXIT);
  if (r <= 0) {
    error = "eSpeak NG did not start (is espeak-ng-data installed?)";
    return;
  }
  espeak_SetSynthCallback(Collect);
  for (const std::string& name : voiceNames) {
    if (espeak_SetVoiceByName(name.c_str()) == EE_OK) {
      rate = r;
      return;
    }
  }
  error = "no Portuguese voice in the eSpeak NG data";
}

Session::~Session() { espeak_Terminate(); }

Sound Synthesize(Session& session, std::string_view utf8Text, int wordsPerMinute) {
  Sound sound;
  if (session.rate <= 0) return sound;
  espeak_SetParameter(espeakRATE, wordsPerMinute, 0);
  std::vector<int16_t> samples;
  const std::string text(utf8Text);
  const espeak_ERROR e = espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                                      espeakCHARS_UTF8, nullptr, &samples);
  if (e != EE_OK || espeak_Synchronize() != EE_OK) return sound;
  sound.rate = session.rate;
  sound.samples = std::move(samples);
  return sound;
}

}  // namespace EspeakVoice
