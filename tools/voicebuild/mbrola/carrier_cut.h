// Recording a carrier word for one diphone with eSpeak NG and cutting the diphone out of it,
// at 16000 Hz, with its pitch marks and a margin on either side for the overlap-add windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/voicebuild/diphones/espeak_phonemes.h"
#include "tools/voicebuild/mbrola/phoneme_table.h"

namespace CarrierCut {

struct Unit {
  std::vector<int16_t> samples;   // empty when the diphone could not be cut
  uint32_t start = 0, boundary = 0, end = 0;
  std::vector<uint32_t> marks;    // VoiceFormat::kVoicedMark set on voiced ones
  std::string problem;
};

// The recording's pitch period at 16000 Hz, from a long stressed vowel; 0 on failure.
double RecordingPeriod(EspeakPhonemes::Session& session);

Unit Cut(EspeakPhonemes::Session& session, const MbrolaVoice::Phoneme& a, const MbrolaVoice::Phoneme& b, double period);

}  // namespace CarrierCut
