// Installing the Sonora data into drive C.
#include "tts/sonora_data.h"

#include <cstdlib>
#include <filesystem>

#include "platform/files/data_places.h"
#include "platform/files/paths.h"

namespace Sonora {

// FONIX_SONORA_DATA, else the installed share/fonix/sonora, else the build tree's.
std::string GeneratedSonoraFolder() {
  return DataPlaces::Find("FONIX_SONORA_DATA", "sonora", FONIX_SONORA_DATA_DIR);
}

bool InstallSonoraData() {
  const std::string folder = GeneratedSonoraFolder();
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return false;
  return Paths::InstallData(folder, "c:\\orbis\\sonoratts", Paths::InstallMode::LinkEntries);
}

}  // namespace Sonora
