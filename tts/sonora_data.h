// The Sonora data made at build time (the five data files and the voice database), put into
// c:\orbis\sonoratts on first start.
#pragma once

#include <string>

namespace Sonora {

// FONIX_SONORA_DATA when set, else the folder the build wrote them to.
std::string GeneratedSonoraFolder();

// Makes c:\orbis\sonoratts hold the generated files (each a link; files already there, and
// files a user adds, are kept). False when the generated folder is missing.
bool InstallSonoraData();

}  // namespace Sonora
