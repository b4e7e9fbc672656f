// Fuzzing the settings parser: no byte sequence in Auris.ini may crash it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/settings_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Settings::Profile profile = Settings::ParseProfile(bytes);
  for (const auto& [section, keys] : profile.sections)
    for (const auto& [key, value] : keys) (void)Settings::FindValue(profile, section, key);
  return 0;
}
