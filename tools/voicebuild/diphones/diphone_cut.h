// Cutting one diphone out of a monotone carrier word: from the middle of its first phone
// to the middle of its second, at 11025 Hz, at the recording's level (16-bit scale).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/voicebuild/diphones/espeak_phonemes.h"

namespace DiphoneCut {

inline constexpr int kRate = 11025;

struct Cut {
  std::vector<float> samples;    // empty when the carrier did not say what was asked
  std::string problem;           // why, for the build's list of missing diphones
  bool fromPhone = false;        // the unit begins inside a phone (not in a pause)
  bool toPhone = false;          // and ends inside one
};

// Phone indexes of DiphonePhones::Table(); silence on either side takes a stretch of the
// pause before or after the phone; solo takes the whole phone between two pauses.
Cut Pair(EspeakPhonemes::Session& session, int a, int b);
Cut Solo(EspeakPhonemes::Session& session, int a);

}  // namespace DiphoneCut
