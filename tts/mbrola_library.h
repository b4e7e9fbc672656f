// Loading the MBROLA-compatible synthesizer library at run time and resolving its names.
#pragma once

#include <string>

namespace Sonora {

// The library's Linux path: setting MBROLA_LIB of section SONORATTS (a Linux path or a drive
// path), else FONIX_MBROLA_LIB, else our own libfonix-mbrola.
std::string MbrolaLibraryPath();

// Loads the library and resolves the 23 names in order; a name that does not resolve
// unloads the library. False with the reason in `error`.
bool LoadMbrola(const std::string& path, std::string& error);
void UnloadMbrola();

// The 23 names, in the order they are resolved.
extern const char* const kMbrolaNames[23];

}  // namespace Sonora
