// The engine's open steps stop at the first failure, each leaving its reason in the last
// error text, and leave the engine closed: speech then takes the built-in path.
#include "tts/sonora_engine.h"

#include <cstdio>

#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "tts/mbrola_library.h"
#include "tts/sonora_state.h"
#include "tts/synthesize_lines.h"
#include "tts/text_classes.h"
#include "tts/text_engine.h"
#include "audio/sound_queue.h"

namespace Sonora {

EngineState& Engine() {
  static EngineState state;
  return state;
}

void ResetEngine() {
  SonoraClose();
  Engine() = EngineState{};
}

namespace {

// The folder that holds the voice database: the MBROLA section's entry for the database
// name (the stand-in for the synthesizer's registry entry), else the fixed folder.
std::string DatabasePath(const std::string& name) {
  const std::string registered = Settings::ReadSetting("MBROLA", name);
  return registered.empty() ? std::string("c:\\orbis\\sonoratts\\br4") : registered;
}

void CloseLibrary() {
  EngineState& e = Engine();
  ResetTextData();
  if (e.library != nullptr && e.mbr.close_MBR != nullptr) e.mbr.close_MBR();
  UnloadMbrola();
}

bool Fail(std::string_view text) {
  Engine().lastError = std::string(text);
  CloseLibrary();
  return false;
}

}  // namespace

void LocateDataFiles() {
  const Settings::SonoraTtsSettings s = Settings::ReadSonoraTtsSettings();
  EngineState& e = Engine();
  e.databaseName = s.mbrolaDb.empty() ? "br4" : s.mbrolaDb;
  e.dataFolder = s.dir;
  if (!e.dataFolder.empty() && e.dataFolder.back() != '\\') e.dataFolder += '\\';
  e.base = s.base.empty() ? "portug" : s.base;
}

bool SonoraOpen(std::string_view outputFile) {
  SonoraClose();
  EngineState& e = Engine();
  if (e.dataFolder.empty()) LocateDataFiles();
  std::string error;
  if (!LoadMbrola(MbrolaLibraryPath(), error)) {
    e.lastError = error;
    return false;
  }
  const std::string database = Paths::ToHost(DatabasePath(e.databaseName));
  std::string path = database;
  if (e.mbr.init_MBR(path.data()) < 0) {
    char why[256] = {};
    e.mbr.lastErrorStr_MBR(why, sizeof why);
    UnloadMbrola();
    e.lastError = std::string("Base de dados de voz MBROLA não pode ser aberta: "_cp) + why;
    return false;
  }
  e.mbr.setNoError_MBR(1);
  const std::string stem = e.dataFolder + e.base;
  DataFiles files{Paths::ToHost(stem + ".nrl"), Paths::ToHost(stem + ".exc"), Paths::ToHost(stem + ".abr"),
                  Paths::ToHost(stem + ".pro"), Paths::ToHost(stem + ".dfn")};
  if (!LoadTextData(files, error)) return Fail(error);
  e.writingToFile = false;
  e.outputFile = std::string(outputFile);
  if (!e.outputFile.empty()) {
    const std::string host = Paths::ToHost(e.outputFile);
    e.output = host.empty() ? nullptr : std::fopen(host.c_str(), "w+b");
    if (e.output == nullptr) return Fail("Arquivo de saída não pode ser criado"_cp);
    uint8_t header[kHeaderBytes];
    WriteWaveHeader(header, 0);
    if (std::fwrite(header, 1, sizeof header, e.output) != sizeof header || std::fflush(e.output) != 0) {
      std::fclose(e.output);
      e.output = nullptr;
      return Fail("Arquivo de saída não pode ser criado"_cp);
    }
    e.writingToFile = true;
  }
  e.lastError.clear();
  e.open = true;
  return true;
}

void SonoraSetFactors(double pitchFactor, double durationFactor) {
  EngineState& e = Engine();
  e.pitchFactor = pitchFactor;
  e.durationFactor = durationFactor;
}

bool SonoraSpeak(std::string_view text) {
  const EngineState& e = Engine();
  if (!e.open) return false;
  if (Trim(text).empty()) return true;
  return SynthesizeLines(TextToMbrolaLines(text, e.pitchFactor, e.durationFactor));
}

bool SonoraIsPlaying() {
  const EngineState& e = Engine();
  return !e.writingToFile && SoundQueue::WaveIsPlaying();
}

void SonoraStop() {
  if (!Engine().writingToFile) SoundQueue::WaveStop();
}

void SonoraClose() {
  EngineState& e = Engine();
  if (e.writingToFile && e.output != nullptr) {
    // Reopened as the file may have been written past what this stream knows.
    std::fclose(e.output);
    e.output = nullptr;
    const std::string host = Paths::ToHost(e.outputFile);
    if (std::FILE* f = std::fopen(host.c_str(), "r+b")) {
      if (std::fseek(f, 0, SEEK_END) == 0) {
        const long size = std::ftell(f);
        uint8_t header[kHeaderBytes];
        WriteWaveHeader(header, static_cast<uint32_t>(size > static_cast<long>(kHeaderBytes) ? size - static_cast<long>(kHeaderBytes) : 0));
        if (std::fseek(f, 0, SEEK_SET) == 0) std::fwrite(header, 1, sizeof header, f);
      }
      std::fclose(f);
    }
  }
  e.writingToFile = false;
  if (e.open || e.library != nullptr) CloseLibrary();
  e.open = false;
}

bool SonoraIsOpen() { return Engine().open; }

const std::string& SonoraLastError() { return Engine().lastError; }

}  // namespace Sonora
