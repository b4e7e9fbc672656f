// Installing the generated speech data into drive C.
#include "speech/speech_data.h"

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"

namespace SpeechData {

std::string GeneratedFolder() {
  const char* env = std::getenv("FONIX_SPEECH_DATA");
  return env != nullptr && *env != '\0' ? env : FONIX_SPEECH_DATA_DIR;
}

bool InstallSpeechData() {
  const std::string folder = GeneratedFolder();
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return false;
  return Paths::InstallData(folder, "c:\\orbis\\som\\letras", Paths::InstallMode::LinkEntries);
}

}  // namespace SpeechData
