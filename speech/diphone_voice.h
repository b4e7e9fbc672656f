// The default voice: recorded-sound speech with the diphone concatenation synthesizer.
#pragma once

#include <string_view>

namespace Speech {

// Opens the voice of the current speed: 0 ok, 1 a folder or the database missing, 2 the
// rules or exceptions missing.
int DiphoneInit();
void DiphoneDone();
// Plays a run of letters, blanks and codes 128..255 (upper-cased) with the diphone voice.
void SayPhrase(std::string_view text);

}  // namespace Speech
