// The text stages of the engine run in order: from a line of text to phoneme lines
// or to the MBROLA lines the synthesizer is given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Sonora {

struct DataFiles {
  std::string rules, exceptions, abbreviations, prosody, diphones;
};

// folder + base name + ".nrl", ".exc", ".abr", ".pro", ".dfn".
DataFiles DataFilesIn(const std::string& folder, const std::string& base = "portug");

// Loads the five files, rules before exceptions; on failure the text of the error is
// left in `error` and false returned.
bool LoadTextData(const DataFiles& files, std::string& error);
void ResetTextData();

// Text stages up to letter-to-sound (trim, preprocessing, tokens, patterns, phonemes).
std::vector<std::string> TextToPhonemeLines(std::string_view text);
// All text stages, prosody included.
std::vector<std::string> TextToMbrolaLines(std::string_view text, double pitchFactor = 1.0,
                                           double durationFactor = 1.0);

}  // namespace Sonora
