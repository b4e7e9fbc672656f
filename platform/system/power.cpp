// Reads the power status from the kernel's power-supply folder.
#include "platform/system/power.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace Power {
namespace {

std::string ReadLine(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

}  // namespace

Status ReadStatus() {
  Status status;
  const char* root = std::getenv("FONIX_POWER_SUPPLY");
  const std::filesystem::path folder = root && *root ? root : "/sys/class/power_supply";
  std::error_code error;
  bool mainsSeen = false, mainsOnline = false;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string type = ReadLine(entry.path() / "type");
    if (type == "Battery" && ReadLine(entry.path() / "scope") != "Device") {
      if (status.hasBattery) continue;
      status.hasBattery = true;
      status.percent = std::atoi(ReadLine(entry.path() / "capacity").c_str());
      if (ReadLine(entry.path() / "status") == "Discharging") status.onMains = false;
    } else if (type == "Mains") {
      mainsSeen = true;
      mainsOnline = mainsOnline || ReadLine(entry.path() / "online") == "1";
    }
  }
  if (mainsSeen) status.onMains = mainsOnline;
  return status;
}

}  // namespace Power
