// The speech manager's module state, shared by its files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_keys.h"

namespace Speech {

struct ServerOps;

struct State {
  int speed = 3;
  Settings::SintetizadorSettings timing;
  std::string wordsFolder;    // ends in "\" when not empty
  std::string lettersFolder;  // ends in "\"
  bool serverActive = false;
  const ServerOps* server = nullptr;  // the open server's table, chosen when it opens
  bool stop = false;
  bool serverMayStillSpeak = false;
  bool silent = true;  // nothing said since the last stop
  std::array<uint8_t, 44 + 256> click{};  // WAVE image, made once
  bool clickMade = false;
  // The number words joined into one sound (recorded_numbers.cpp), allocated once.
  std::vector<uint8_t> wordsBuffer;
};

State& St();
// A canonical 44-byte header for 8-bit mono sound at 11025 Hz followed by `dataBytes`.
void WriteWaveHeader(uint8_t* out, uint32_t dataBytes);
// Plays a recorded file (Windows path) and waits until it has been heard; false when the
// file is missing or is no WAVE file.
bool PlayRecorded(const std::string& path);
// True when a key is waiting (the pending messages are handled first).
bool KeyWaiting();

}  // namespace Speech
