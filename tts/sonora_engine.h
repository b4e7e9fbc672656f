// The Sonora engine's driver: finding its data, opening and closing the synthesizer, and
// speaking a text through all the stages, to the sound card or to a WAVE file.
#pragma once

#include <string>
#include <string_view>

namespace Sonora {

// Reads section SONORATTS (database name, data folder, base name) into the engine.
void LocateDataFiles();

// Loads the synthesizer and the data files; with an output file name, creates that file
// (16000 Hz 16-bit mono) and writes the samples there instead of playing them. On failure
// the engine stays closed and SonoraLastError tells why.
bool SonoraOpen(std::string_view outputFile);
void SonoraSetFactors(double pitchFactor, double durationFactor);
// Synthesizes the text and queues its sound; returns when all of it is queued.
bool SonoraSpeak(std::string_view text);
bool SonoraIsPlaying();
void SonoraStop();
// Rewrites the output file's header with its final size, releases the data and the library.
void SonoraClose();
bool SonoraIsOpen();
const std::string& SonoraLastError();

}  // namespace Sonora
