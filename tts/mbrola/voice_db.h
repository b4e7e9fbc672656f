// Reading and checking a voice database folder (diphones.idx and diphones.pcm).
#pragma once

#include <string>

#include "tts/mbrola/synth_state.h"

namespace Mbr {

// Fills `voice`; false with `error` set when a file is missing, truncated or inconsistent.
bool LoadVoice(const std::string& folder, Voice& voice, std::string& error, int& code);
// The unit joining a and b (names as written, aliases applied), or nullptr.
const Diphone* FindDiphone(const Voice& voice, const std::string& a, const std::string& b);
bool KnowsPhoneme(const Voice& voice, const std::string& name);
std::string Canonical(const Voice& voice, const std::string& name);

}  // namespace Mbr
