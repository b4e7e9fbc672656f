// Installing the generated diphone database into drive C.
#include "speech/diphone_data.h"

#include <filesystem>

#include "platform/files/data_places.h"
#include "platform/files/paths.h"

namespace SpeechData {

std::string DiphoneFolder() {
  return DataPlaces::Find("FONIX_DIPHONE_DATA", "difones", FONIX_DIPHONE_DATA_DIR);
}

bool InstallDiphoneData() {
  const std::string folder = DiphoneFolder();
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return false;
  return Paths::InstallData(folder, "c:\\orbis\\som\\difones", Paths::InstallMode::LinkEntries);
}

}  // namespace SpeechData
