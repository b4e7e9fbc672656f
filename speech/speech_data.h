// The recorded characters and words of the built-in voice, generated at build time, put
// into the letters folder of drive C (c:\orbis\som\letras) on first start.
#pragma once

#include <string>

namespace SpeechData {

// The Linux folder holding the generated files: FONIX_SPEECH_DATA when set, else the
// installation's share/fonix/letras beside the executable, else the folder the build wrote
// them to.
std::string GeneratedFolder();

// Makes c:\orbis\som\letras hold the generated files (each a link, so files a user adds
// there stay beside them, and files already there are kept). False when the generated
// folder is missing or the letters folder could not be made.
bool InstallSpeechData();

}  // namespace SpeechData
