// Installing the generated speech data into drive C.
#include "speech/speech_data.h"

#include <filesystem>

#include "platform/files/data_places.h"
#include "platform/files/paths.h"

namespace SpeechData {

std::string GeneratedFolder() {
  return DataPlaces::Find("FONIX_SPEECH_DATA", "letras", FONIX_SPEECH_DATA_DIR);
}

bool InstallSpeechData() {
  const std::string folder = GeneratedFolder();
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return false;
  return Paths::InstallData(folder, "c:\\orbis\\som\\letras", Paths::InstallMode::LinkEntries);
}

}  // namespace SpeechData
