// The shared settings file Auris.ini: where it is, and how a value is read from it (the
// legacy file and the folder macros included). The keys themselves are in settings_keys.h.
#pragma once

#include <string>
#include <string_view>

namespace Settings {

// All texts here are Windows-1252 and all paths Windows paths (platform/files/paths.h).

// The folder that holds Auris.ini, never ending with a backslash: the per-user folder
// ${XDG_CONFIG_HOME:-~/.config}/Auris in its Windows form ("z:\home\ana\.config\Auris"),
// or the Windows folder "c:\windows" when only the legacy file exists there.
std::string SettingsFolder();
// SettingsFolder() + "\Auris.ini".
std::string SettingsFile();
// "c:\windows\Auris.ini", consulted again for values the settings file leaves empty.
std::string LegacyFile();

// A value with the folder macros expanded ("@", "@@\", "@\"); an empty value is looked up
// again in the legacy file while the legacy switch is on. Empty when the key is absent.
// Values are cut at 254 characters.
std::string ReadSetting(std::string_view section, std::string_view key);

// A value of the settings file alone, as the readers that bypass ReadSetting see it: no
// legacy file, no macros, `def` when the key is absent (a key present with an empty value
// reads as empty), cut at 80 characters.
std::string ReadDirect(std::string_view section, std::string_view key, std::string_view def);

// On from process start; the speech start-up sets it from LEGADO.
void SetLegacySwitch(bool on);
bool LegacySwitch();

// The folder of the running program for "@" and "@\" (a trailing backslash is dropped).
// Until it is set, the folder of the running executable is used.
void SetProgramFolder(std::string windowsPath);
std::string ProgramFolder();

// Forgets the cached files, the program folder and the legacy switch (tests).
void ResetSettings();

}  // namespace Settings
