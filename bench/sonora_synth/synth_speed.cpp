// bench_sonora_synth: time to the first sample of a ten-word sentence and the real-time
// factor of synthesis, for Sonora (text stages + libfonix-mbrola, loaded as the engine loads
// it) beside eSpeak NG on the same texts, in the same run. Nothing is played.
#include <dlfcn.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text/cp1252.h"
#include "tts/mbrola/fonix_mbrola.h"
#include "tts/text_engine.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Lib {
  decltype(&init_MBR) init;
  decltype(&write_MBR) write;
  decltype(&flush_MBR) flush;
  decltype(&read_MBR) read;
  decltype(&reset_MBR) reset;
  decltype(&setNoError_MBR) setNoError;
};

// Sonora as SynthesizeLines drives it: a read after every line. Returns the samples made and
// sets `first` to the time of the first sample from the start (text stages included).
std::size_t SonoraRun(const Lib& m, const std::string& text, double& first) {
  const auto start = Clock::now();
  const auto lines = Sonora::TextToMbrolaLines(text, 1.0, 0.8);
  std::vector<short> buf(64000);
  std::size_t total = 0;
  first = -1;
  m.reset();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string l = lines[i] + "\r\n";
    m.write(l.data());
    if (i + 1 == lines.size()) m.flush();
    for (int n; (n = m.read(buf.data(), 64000)) > 0;) {
      if (first < 0) first = Ms(Clock::now() - start);
      total += static_cast<std::size_t>(n);
    }
  }
  return total;
}

Clock::time_point EspeakStart;
double EspeakFirst = -1;
std::size_t EspeakTotal = 0;
int Collect(short*, int n, espeak_EVENT*) {
  if (n > 0 && EspeakFirst < 0) EspeakFirst = Ms(Clock::now() - EspeakStart);
  EspeakTotal += static_cast<std::size_t>(std::max(0, n));
  return 0;
}

std::size_t Espeak(const std::string& utf8, double& first) {
  EspeakFirst = -1;
  EspeakTotal = 0;
  EspeakStart = Clock::now();
  espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
  espeak_Synchronize();
  first = EspeakFirst;
  return EspeakTotal;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string library = argc > 1 ? argv[1] : BENCH_MBROLA_LIBRARY;
  const std::string voice = argc > 2 ? argv[2] : BENCH_SONORA_VOICE;
  void* h = dlopen(library.c_str(), RTLD_NOW);
  if (h == nullptr) {
    std::fprintf(stderr, "bench_sonora_synth: %s\n", dlerror());
    return 1;
  }
  Lib m{reinterpret_cast<decltype(&init_MBR)>(dlsym(h, "init_MBR")), reinterpret_cast<decltype(&write_MBR)>(dlsym(h, "write_MBR")),
        reinterpret_cast<decltype(&flush_MBR)>(dlsym(h, "flush_MBR")), reinterpret_cast<decltype(&read_MBR)>(dlsym(h, "read_MBR")),
        reinterpret_cast<decltype(&reset_MBR)>(dlsym(h, "reset_MBR")),
        reinterpret_cast<decltype(&setNoError_MBR)>(dlsym(h, "setNoError_MBR"))};
  std::string v = voice;
  std::string error;
  if (!m.init || m.init(v.data()) < 0 || !Sonora::LoadTextData(Sonora::DataFilesIn(BENCH_SONORA_DATA), error)) {
    std::fprintf(stderr, "bench_sonora_synth: the voice or the data files did not load\n");
    return 1;
  }
  m.setNoError(1);
  if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 20, nullptr, 0) <= 0 || espeak_SetVoiceByName("pt-br") != EE_OK) {
    std::fprintf(stderr, "bench_sonora_synth: eSpeak NG did not start\n");
    return 1;
  }
  espeak_SetSynthCallback(Collect);

  const std::string ten = "Amanhã vamos ao mercado comprar frutas e verduras bem cedo.";
  std::vector<double> ours, theirs;
  for (int i = 0; i < 30; ++i) {
    double f = 0;
    SonoraRun(m, Cp1252::FromUtf8(ten), f);
    ours.push_back(f);
    Espeak(ten, f);
    theirs.push_back(f);
  }
  std::printf("time to the first sample, ten words (median of 30):\n");
  std::printf("  Sonora      %7.2f ms\n  eSpeak NG   %7.2f ms\n", Median(ours), Median(theirs));

  std::vector<std::string> texts;
  std::ifstream in(BENCH_FRASES);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) texts.push_back(line);
  double oursTime = 0, theirsTime = 0, oursAudio = 0, theirsAudio = 0;
  for (int round = 0; round < 5; ++round)
    for (const std::string& t : texts) {
      double f = 0;
      auto start = Clock::now();
      oursAudio += static_cast<double>(SonoraRun(m, Cp1252::FromUtf8(t), f)) / 16000.0;
      oursTime += Ms(Clock::now() - start) / 1000.0;
      start = Clock::now();
      theirsAudio += static_cast<double>(Espeak(t, f)) / 22050.0;
      theirsTime += Ms(Clock::now() - start) / 1000.0;
    }
  std::printf("real-time factor (synthesis time / audio time, %zu sentences x 5):\n", texts.size());
  std::printf("  Sonora      %7.4f  (%.1f s of audio)\n  eSpeak NG   %7.4f  (%.1f s of audio)\n", oursTime / oursAudio, oursAudio,
              theirsTime / theirsAudio, theirsAudio);
  espeak_Terminate();
  return 0;
}
