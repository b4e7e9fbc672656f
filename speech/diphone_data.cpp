// Installing the generated diphone database into drive C.
#include "speech/diphone_data.h"

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"

namespace SpeechData {

std::string DiphoneFolder() {
  const char* env = std::getenv("FONIX_DIPHONE_DATA");
  return env != nullptr && *env != '\0' ? env : FONIX_DIPHONE_DATA_DIR;
}

bool InstallDiphoneData() {
  const std::string folder = DiphoneFolder();
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return false;
  return Paths::InstallData(folder, "c:\\orbis\\som\\difones", Paths::InstallMode::LinkEntries);
}

}  // namespace SpeechData
