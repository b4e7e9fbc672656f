// Installing the Sonora data into drive C.
#include "tts/sonora_data.h"

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"

namespace Sonora {

std::string GeneratedSonoraFolder() {
  const char* env = std::getenv("FONIX_SONORA_DATA");
  return env != nullptr && *env != '\0' ? env : FONIX_SONORA_DATA_DIR;
}

bool InstallSonoraData() {
  const std::string folder = GeneratedSonoraFolder();
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return false;
  return Paths::InstallData(folder, "c:\\orbis\\sonoratts", Paths::InstallMode::LinkEntries);
}

}  // namespace Sonora
