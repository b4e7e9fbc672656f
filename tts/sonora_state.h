// The Sonora engine's one plain state: the loaded synthesizer library and its function
// table, the data files, the factors, the output file and the sample buffers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tts/mbrola/fonix_mbrola.h"

namespace Sonora {

// The 23 names of the synthesizer library, resolved in this order.
struct MbrolaTable {
  int (*init_MBR)(char*) = nullptr;
  int (*init_rename_MBR)(char*, char*, char*) = nullptr;
  int (*write_MBR)(char*) = nullptr;
  int (*flush_MBR)() = nullptr;
  int (*read_MBR)(short*, int) = nullptr;
  int (*readtype_MBR)(void*, int, int) = nullptr;
  void (*close_MBR)() = nullptr;
  int (*reset_MBR)() = nullptr;
  int (*lastError_MBR)() = nullptr;
  int (*lastErrorStr_MBR)(char*, int) = nullptr;
  void (*setNoError_MBR)(int) = nullptr;
  int (*getNoError_MBR)() = nullptr;
  void (*setFreq_MBR)(int) = nullptr;
  int (*getFreq_MBR)() = nullptr;
  void (*setVolumeRatio_MBR)(float) = nullptr;
  float (*getVolumeRatio_MBR)() = nullptr;
  int (*getVersion_MBR)(char*, int) = nullptr;
  int (*getDatabaseInfo_MBR)(char*, int, int) = nullptr;
  void (*setParser_MBR)(MbrParser*) = nullptr;
  MbrPhone* (*init_Phone)(const char*, float) = nullptr;
  void (*reset_Phone)(MbrPhone*) = nullptr;
  void (*close_Phone)(MbrPhone*) = nullptr;
  int (*appendf0_Phone)(MbrPhone*, float, float) = nullptr;
};

inline constexpr int kScratchSamples = 64000;
inline constexpr std::size_t kPlaybackBlock = 64000;  // a block is queued before it reaches this
inline constexpr std::size_t kMinimumBlock = 256;
inline constexpr std::size_t kHeaderBytes = 44;

struct EngineState {
  void* library = nullptr;  // dlopen handle
  MbrolaTable mbr;
  bool open = false;
  std::string databaseName = "br4";
  std::string dataFolder;   // Windows path ending in "\"
  std::string base = "portug";
  std::string outputFile;   // Windows path; empty: the sound card
  std::FILE* output = nullptr;
  bool writingToFile = false;
  double pitchFactor = 1.0;
  double durationFactor = 1.0;
  std::string lastError;
  std::vector<short> scratch;
  // Header, then room for one whole read (2 × kScratchSamples bytes): the block is queued
  // when it would reach kPlaybackBlock, so any read fits behind what is left.
  std::vector<uint8_t> playback;
  std::size_t fill = 0;
};

EngineState& Engine();
// Closes everything and forgets the settings (tests).
void ResetEngine();

}  // namespace Sonora
