// The run-time library load stands for the Windows one; the table is filled by name in its fixed
// order, and a library that lacks any name is not used at all.
#include "tts/mbrola_library.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "settings/settings.h"
#include "platform/text/cp1252.h"
#include "platform/files/data_places.h"
#include "platform/files/paths.h"
#include "platform/system/dynamic_library.h"
#include "tts/sonora_state.h"

namespace Sonora {

const char* const kMbrolaNames[23] = {
    "init_MBR",         "init_rename_MBR",  "write_MBR",        "flush_MBR",          "read_MBR",
    "readtype_MBR",     "close_MBR",        "reset_MBR",        "lastError_MBR",      "lastErrorStr_MBR",
    "setNoError_MBR",   "getNoError_MBR",   "setFreq_MBR",      "getFreq_MBR",        "setVolumeRatio_MBR",
    "getVolumeRatio_MBR", "getVersion_MBR", "getDatabaseInfo_MBR", "setParser_MBR",   "init_Phone",
    "reset_Phone",      "close_Phone",      "appendf0_Phone",
};

namespace {

template <typename F>
bool Resolve(DynamicLibrary::Handle handle, int index, F& slot, std::string& missing) {
  void* p = DynamicLibrary::Find(handle, kMbrolaNames[index]);
  if (p == nullptr) {
    if (missing.empty()) missing = kMbrolaNames[index];
    return false;
  }
  slot = reinterpret_cast<F>(p);
  return true;
}

}  // namespace

std::string MbrolaLibraryPath() {
  const std::string setting = Settings::ReadSetting("SONORATTS", "MBROLA_LIB");
  if (!setting.empty()) {
    const bool windows = setting.find('\\') != std::string::npos || (setting.size() >= 2 && setting[1] == ':');
    return windows ? Paths::ToHost(setting) : setting;
  }
  if (const char* env = std::getenv("FONIX_MBROLA_LIB"); env != nullptr && *env != '\0') return env;
  // Installed beside the executable (<prefix>/bin/../<libdir>/fonix), else the build tree's.
  if (const std::string folder = DataPlaces::ExecutableFolder(); !folder.empty()) {
    const std::filesystem::path installed = std::filesystem::path(folder).parent_path() / FONIX_MBROLA_INSTALLED;
    std::error_code ec;
    if (std::filesystem::is_regular_file(installed, ec)) return installed.lexically_normal().string();
  }
  return FONIX_MBROLA_LIBRARY;
}

bool LoadMbrola(const std::string& path, std::string& error) {
  UnloadMbrola();
  EngineState& e = Engine();
  std::string why;
  DynamicLibrary::Handle handle = path.empty() ? nullptr : DynamicLibrary::Open(path, why);
  if (handle == nullptr) {
    error = std::string("Biblioteca MBROLA não encontrada: "_cp) + path + (why.empty() ? "" : " (" + why + ")");
    return false;
  }
  MbrolaTable t;
  std::string missing;
  bool ok = true;
  int i = 0;
  ok = Resolve(handle, i++, t.init_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.init_rename_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.write_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.flush_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.read_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.readtype_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.close_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.reset_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.lastError_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.lastErrorStr_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.setNoError_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.getNoError_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.setFreq_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.getFreq_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.setVolumeRatio_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.getVolumeRatio_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.getVersion_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.getDatabaseInfo_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.setParser_MBR, missing) && ok;
  ok = Resolve(handle, i++, t.init_Phone, missing) && ok;
  ok = Resolve(handle, i++, t.reset_Phone, missing) && ok;
  ok = Resolve(handle, i++, t.close_Phone, missing) && ok;
  ok = Resolve(handle, i++, t.appendf0_Phone, missing) && ok;
  if (!ok) {
    DynamicLibrary::Close(handle);
    error = std::string("Função "_cp) + missing + " ausente na biblioteca MBROLA";
    return false;
  }
  e.library = handle;
  e.mbr = t;
  return true;
}

void UnloadMbrola() {
  EngineState& e = Engine();
  DynamicLibrary::Close(e.library);
  e.library = nullptr;
  e.mbr = MbrolaTable{};
}

}  // namespace Sonora
