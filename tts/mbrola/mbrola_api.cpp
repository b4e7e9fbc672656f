// The exported MBROLA-compatible names of libfonix-mbrola, on top of the voice reader, the
// line parser and the renderer.
#include "tts/mbrola/fonix_mbrola.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>

#include "tts/mbrola/phone_line.h"
#include "tts/mbrola/render.h"
#include "tts/mbrola/sample_types.h"
#include "tts/mbrola/synth_state.h"
#include "tts/mbrola/voice_db.h"
#include "tts/mbrola/voice_format.h"

#define MBR_EXPORT extern "C" __attribute__((visibility("default")))

struct MbrPhone {
  Mbr::Phone phone;
};

namespace Mbr {

State& S() {
  static State state;
  return state;
}

void Reset() { S() = State{}; }

void ResetStream() {
  State& s = S();
  s.pending.clear();
  s.previous.assign(1, '_');
  s.timeMs = 0;
  s.lastPointMs = -1;
  s.lastPointHz = 0;
  s.nextMark = 0;
  s.acc.clear();
  s.accBase = 0;
  s.resamplePos = 0;
  s.resampleTail.clear();
  s.ready.clear();
  s.readAt = 0;
}

void SetError(int code, std::string text) {
  State& s = S();
  s.lastError = code;
  s.lastErrorText = std::move(text);
}

namespace {

int CopyText(const std::string& text, char* out, int size) {
  if (out == nullptr || size <= 0) return 0;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return static_cast<int>(n);
}

bool Ready() {
  if (S().open) return true;
  SetError(kNotInitialised, "the synthesizer has no voice (init_MBR)");
  return false;
}

// "old new old new ...": each new name stands for the old; a renamed old name is gone.
void Aliases(const char* text, bool renaming) {
  if (text == nullptr) return;
  std::istringstream in(text);
  std::string from, to;
  auto& alias = S().voice.alias;
  while (in >> from >> to) {
    alias[to] = from;
    if (renaming && !alias.contains(from)) alias[from] = "";
  }
}

int Open(const char* database, const char* rename, const char* clone) {
  State& s = S();
  s.open = false;
  ResetStream();
  std::string error;
  int code = kNoError;
  if (database == nullptr || !LoadVoice(database, s.voice, error, code)) {
    SetError(database == nullptr ? kBadArgument : code, database == nullptr ? "no database named" : error);
    return -1;
  }
  Aliases(rename, true);
  Aliases(clone, false);
  s.open = true;
  s.lastError = kNoError;
  s.lastErrorText.clear();
  return 0;
}

bool Queue(const Phone& phone) {
  State& s = S();
  if (!KnowsPhoneme(s.voice, phone.name) && !s.noError) {
    SetError(kUnknownPhoneme, "unknown phoneme " + phone.name);
    return false;
  }
  s.pending.push_back(phone);
  Feed();
  return true;
}

void PullFromParser() {
  State& s = S();
  auto* parser = static_cast<MbrParser*>(s.parser);
  if (parser == nullptr || parser->next == nullptr) return;
  while (MbrPhone* p = parser->next(parser->user)) {
    if (p->phone.name == "#") break;
    Queue(p->phone);
  }
  FlushAll();
}

int Take(int wanted, auto&& store) {
  State& s = S();
  if (!Ready() || wanted <= 0) return 0;
  if (s.readAt >= s.ready.size() && s.parser != nullptr) PullFromParser();
  const std::size_t n = std::min(static_cast<std::size_t>(wanted), s.ready.size() - s.readAt);
  for (std::size_t i = 0; i < n; ++i) store(i, s.ready[s.readAt + i]);
  s.readAt += n;
  if (s.readAt >= s.ready.size()) {
    s.ready.clear();
    s.readAt = 0;
  }
  return static_cast<int>(n);
}

}  // namespace
}  // namespace Mbr

using namespace Mbr;

MBR_EXPORT int init_MBR(char* database) { return Open(database, nullptr, nullptr); }

MBR_EXPORT int init_rename_MBR(char* database, char* rename, char* clone) { return Open(database, rename, clone); }

// Returns the number of bytes taken, or -1 at the first bad line (the lines before it stay
// queued); several lines may be given at once, separated by line feeds.
MBR_EXPORT int write_MBR(char* lines) {
  if (!Ready() || lines == nullptr) return -1;
  const std::string_view all(lines);
  std::size_t at = 0;
  while (at < all.size()) {
    std::size_t end = all.find('\n', at);
    if (end == std::string_view::npos) end = all.size();
    Phone phone;
    std::string why;
    switch (ParseLine(all.substr(at, end - at), phone, why)) {
      case LineKind::Nothing: break;
      case LineKind::Flush: FlushAll(); break;
      case LineKind::Bad: SetError(kBadLine, why); return -1;
      case LineKind::Phone:
        if (!Queue(phone)) return -1;
        break;
    }
    at = end + 1;
  }
  return static_cast<int>(all.size());
}

MBR_EXPORT int flush_MBR(void) {
  if (!Ready()) return -1;
  FlushAll();
  return 0;
}

MBR_EXPORT int read_MBR(short* samples, int wanted) {
  if (samples == nullptr) return 0;
  return Take(wanted, [samples](std::size_t i, int16_t v) { samples[i] = v; });
}

MBR_EXPORT int readtype_MBR(void* samples, int wanted, int type) {
  if (samples == nullptr) return 0;
  if (type < kLin16 || type > kAlaw) {
    SetError(kBadArgument, "unknown sample type");
    return -1;
  }
  if (type == kLin16) return read_MBR(static_cast<short*>(samples), wanted);
  auto* bytes = static_cast<uint8_t*>(samples);
  return Take(wanted, [bytes, type](std::size_t i, int16_t v) {
    bytes[i] = type == kLin8 ? ToLin8(v) : type == kUlaw ? ToUlaw(v) : ToAlaw(v);
  });
}

MBR_EXPORT void close_MBR(void) {
  ResetStream();
  State& s = S();
  s.voice = Voice{};
  s.open = false;
  s.parser = nullptr;
}

MBR_EXPORT int reset_MBR(void) {
  ResetStream();
  S().lastError = kNoError;
  S().lastErrorText.clear();
  return 0;
}

MBR_EXPORT int lastError_MBR(void) { return S().lastError; }

MBR_EXPORT int lastErrorStr_MBR(char* text, int size) { return CopyText(S().lastErrorText, text, size); }

MBR_EXPORT void setNoError_MBR(int noError) { S().noError = noError != 0; }

MBR_EXPORT int getNoError_MBR(void) { return S().noError ? 1 : 0; }

// Rates from 4000 to 48000 Hz; others are refused and leave the rate as it was.
MBR_EXPORT void setFreq_MBR(int freq) {
  if (freq < 4000 || freq > 48000) {
    SetError(kBadArgument, "output rate out of range");
    return;
  }
  S().freq = freq;
}

MBR_EXPORT int getFreq_MBR(void) { return S().freq; }

MBR_EXPORT void setVolumeRatio_MBR(float ratio) {
  if (!(ratio >= 0.0f && ratio <= 16.0f)) {
    SetError(kBadArgument, "volume ratio out of range");
    return;
  }
  S().volume = ratio;
}

MBR_EXPORT float getVolumeRatio_MBR(void) { return S().volume; }

MBR_EXPORT int getVersion_MBR(char* text, int size) { return CopyText("3.3 fonix-mbrola 1.0", text, size); }

// 0: a description of the voice; 1: its phonemes; other indexes: nothing (returns 0).
MBR_EXPORT int getDatabaseInfo_MBR(char* text, int size, int index) {
  const State& s = S();
  if (!s.open) return 0;
  std::string info;
  if (index == 0) {
    info = "fonix diphone voice " + s.voice.path + ": " + std::to_string(s.voice.units.size()) + " diphones, " +
           std::to_string(VoiceFormat::kRate) + " Hz, recorded at " + std::to_string(s.voice.f0) + " Hz";
  } else if (index == 1) {
    for (const auto& [name, unit] : s.voice.anyLeft) info += (info.empty() ? "" : " ") + name;
  } else {
    return 0;
  }
  return CopyText(info, text, size);
}

MBR_EXPORT void setParser_MBR(MbrParser* parser) { S().parser = parser; }

MBR_EXPORT MbrPhone* init_Phone(const char* name, float ms) {
  if (name == nullptr || !(ms >= 0.0f && ms <= kMaxPhoneMs)) return nullptr;
  auto* p = new MbrPhone;  // released by close_Phone: the C interface owns it
  p->phone.name = name;
  p->phone.ms = ms;
  return p;
}

MBR_EXPORT void reset_Phone(MbrPhone* phone) {
  if (phone != nullptr) phone->phone.points.clear();
}

MBR_EXPORT void close_Phone(MbrPhone* phone) { delete phone; }

MBR_EXPORT int appendf0_Phone(MbrPhone* phone, float percent, float hz) {
  if (phone == nullptr || !(percent >= 0.0f && percent <= 100.0f) || !(hz > 0.0f)) return 0;
  auto& points = phone->phone.points;
  const PitchPoint p{percent, std::clamp<double>(hz, kMinHz, kMaxHz)};
  points.insert(std::upper_bound(points.begin(), points.end(), p,
                                 [](const PitchPoint& a, const PitchPoint& b) { return a.percent < b.percent; }),
                p);
  return 1;
}
