// Test support for the synthesizer library: loading it with dlopen as the engine does,
// synthetic voice databases written on the spot, and measurements of rendered sound.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "tts/mbrola/fonix_mbrola.h"
#include "tts/mbrola/voice_format.h"

// The exported names, resolved from the library the build made.
struct MbrolaLib {
  void* handle = nullptr;
  decltype(&init_MBR) init = nullptr;
  decltype(&init_rename_MBR) initRename = nullptr;
  decltype(&write_MBR) write = nullptr;
  decltype(&flush_MBR) flush = nullptr;
  decltype(&read_MBR) read = nullptr;
  decltype(&readtype_MBR) readType = nullptr;
  decltype(&close_MBR) close = nullptr;
  decltype(&reset_MBR) reset = nullptr;
  decltype(&lastError_MBR) lastError = nullptr;
  decltype(&lastErrorStr_MBR) lastErrorStr = nullptr;
  decltype(&setNoError_MBR) setNoError = nullptr;
  decltype(&setFreq_MBR) setFreq = nullptr;
  decltype(&getFreq_MBR) getFreq = nullptr;
  decltype(&setVolumeRatio_MBR) setVolume = nullptr;
  decltype(&getVersion_MBR) getVersion = nullptr;
  decltype(&getDatabaseInfo_MBR) databaseInfo = nullptr;
  decltype(&setParser_MBR) setParser = nullptr;
  decltype(&init_Phone) initPhone = nullptr;
  decltype(&close_Phone) closePhone = nullptr;
  decltype(&appendf0_Phone) appendF0 = nullptr;

  MbrolaLib() {
    handle = dlopen(FONIX_MBROLA_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return;
    Get(init, "init_MBR");
    Get(initRename, "init_rename_MBR");
    Get(write, "write_MBR");
    Get(flush, "flush_MBR");
    Get(read, "read_MBR");
    Get(readType, "readtype_MBR");
    Get(close, "close_MBR");
    Get(reset, "reset_MBR");
    Get(lastError, "lastError_MBR");
    Get(lastErrorStr, "lastErrorStr_MBR");
    Get(setNoError, "setNoError_MBR");
    Get(setFreq, "setFreq_MBR");
    Get(getFreq, "getFreq_MBR");
    Get(setVolume, "setVolumeRatio_MBR");
    Get(getVersion, "getVersion_MBR");
    Get(databaseInfo, "getDatabaseInfo_MBR");
    Get(setParser, "setParser_MBR");
    Get(initPhone, "init_Phone");
    Get(closePhone, "close_Phone");
    Get(appendF0, "appendf0_Phone");
  }
  ~MbrolaLib() {
    if (close != nullptr) close();
    if (handle != nullptr) dlclose(handle);
  }
  MbrolaLib(const MbrolaLib&) = delete;
  MbrolaLib& operator=(const MbrolaLib&) = delete;

  template <typename F>
  void Get(F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(handle, name));
  }
  bool Complete() const { return handle && init && write && flush && read && readType && close && reset && lastError; }

  int Write(std::string line) { return write(line.data()); }
  // Everything the library has ready.
  std::vector<int16_t> ReadAll() {
    std::vector<int16_t> out;
    short buf[4096];
    for (int n; (n = read(buf, 4096)) > 0;) out.insert(out.end(), buf, buf + n);
    return out;
  }
  // Writes the lines, flushes and reads all.
  std::vector<int16_t> Render(const std::vector<std::string>& lines) {
    std::vector<int16_t> out;
    for (const std::string& l : lines) {
      Write(l + "\r\n");
      const auto part = ReadAll();
      out.insert(out.end(), part.begin(), part.end());
    }
    flush();
    const auto rest = ReadAll();
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
  }
};

inline std::string BuiltVoice() { return FONIX_SONORA_VOICE; }

// A scratch folder removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sonora-mbr-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A small voice written by hand: each unit a 100 Hz pulse train (vowels) or silence, with
// exact pitch marks, so that damage to any field can be made on purpose.
struct SyntheticVoice {
  struct UnitSpec {
    std::string a, b;
  };
  std::vector<char> index, samples;

  static void Put32(std::vector<char>& v, uint32_t x) {
    for (int k = 0; k < 4; ++k) v.push_back(static_cast<char>((x >> (8 * k)) & 0xFF));
  }
  static void PutName(std::vector<char>& v, const std::string& n) {
    for (std::size_t k = 0; k < 4; ++k) v.push_back(k < n.size() ? n[k] : '\0');
  }

  explicit SyntheticVoice(const std::vector<UnitSpec>& units) {
    constexpr uint32_t kLen = 3200, kPeriod = 160;  // 200 ms of 100 Hz
    std::vector<char> records, marks;
    uint32_t markCount = 0;
    for (std::size_t u = 0; u < units.size(); ++u) {
      const bool leftSilent = units[u].a == "_", rightSilent = units[u].b == "_";
      auto silentAt = [&](uint32_t i) { return i < 1600 ? leftSilent : rightSilent; };
      for (uint32_t i = 0; i < kLen; ++i) {
        double v = 0;
        if (!silentAt(i)) {
          const double t = static_cast<double>(i % kPeriod) / kPeriod;
          v = 8000 * std::exp(-6 * t) * std::sin(2 * std::numbers::pi * 5 * t);
        }
        const auto s = static_cast<int16_t>(std::lround(v));
        samples.push_back(static_cast<char>(static_cast<uint16_t>(s) & 0xFF));
        samples.push_back(static_cast<char>(static_cast<uint16_t>(s) >> 8));
      }
      PutName(records, units[u].a);
      PutName(records, units[u].b);
      uint32_t count = 0;
      for (uint32_t m = 0; m < kLen; m += kPeriod, ++count) Put32(marks, m | (silentAt(m) ? 0u : VoiceFormat::kVoicedMark));
      for (uint32_t v : {static_cast<uint32_t>(u) * kLen, kLen, 320u, 1600u, 2880u, markCount, count}) Put32(records, v);
      markCount += count;
    }
    index.assign(VoiceFormat::kMagic, VoiceFormat::kMagic + 4);
    for (uint32_t v : {VoiceFormat::kVersion, 16000u, 100u, static_cast<uint32_t>(units.size()), markCount}) Put32(index, v);
    index.insert(index.end(), records.begin(), records.end());
    index.insert(index.end(), marks.begin(), marks.end());
  }
  void Save(const std::string& folder) const {
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/diphones.idx", std::ios::binary).write(index.data(), static_cast<std::streamsize>(index.size()));
    std::ofstream(folder + "/diphones.pcm", std::ios::binary).write(samples.data(), static_cast<std::streamsize>(samples.size()));
  }
};

// Sound measurements.
namespace Measure {

inline double Rms(const std::vector<int16_t>& s, std::size_t from, std::size_t n) {
  double e = 0;
  std::size_t k = 0;
  for (std::size_t i = from; i < from + n && i < s.size(); ++i, ++k) e += static_cast<double>(s[i]) * s[i];
  return k ? std::sqrt(e / static_cast<double>(k)) : 0.0;
}

// F0 of a 40 ms frame by normalised autocorrelation over 60..400 Hz; 0 when unvoiced.
inline double F0(const std::vector<int16_t>& s, std::size_t from, int rate = 16000) {
  const std::size_t n = static_cast<std::size_t>(rate) * 40 / 1000;
  if (from + n + static_cast<std::size_t>(rate / 60) > s.size() || Rms(s, from, n) < 200) return 0;
  double best = 0;
  int bestLag = 0;
  for (int lag = rate / 400; lag <= rate / 60; ++lag) {
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = from; i < from + n; ++i) {
      const double x = s[i], y = s[i + static_cast<std::size_t>(lag)];
      xy += x * y;
      xx += x * x;
      yy += y * y;
    }
    const double c = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
    if (c > best + 1e-9) {
      best = c;
      bestLag = lag;
    }
  }
  if (best < 0.6 || bestLag == 0) return 0;
  // The shortest lag nearly as good as the best: the period, not a multiple of it.
  for (int div = 4; div >= 2; --div) {
    const int lag = static_cast<int>(std::lround(static_cast<double>(bestLag) / div));
    if (lag < rate / 400) continue;
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = from; i < from + n; ++i) {
      const double x = s[i], y = s[i + static_cast<std::size_t>(lag)];
      xy += x * y;
      xx += x * x;
      yy += y * y;
    }
    if (xx > 0 && yy > 0 && xy / std::sqrt(xx * yy) > 0.9 * best) {
      bestLag = lag;
      break;
    }
  }
  return static_cast<double>(rate) / bestLag;
}

}  // namespace Measure
