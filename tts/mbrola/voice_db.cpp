// A database is trusted only after every record has been checked against the sizes of the
// two files: a damaged voice must fail init_MBR, never make the renderer read past a buffer.
#include "tts/mbrola/voice_db.h"

#include <bit>
#include <cstring>
#include <fstream>

#include "tts/mbrola/voice_format.h"

namespace Mbr {
namespace {

uint32_t U32(const std::vector<char>& b, std::size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<uint8_t>(b[at + static_cast<std::size_t>(k)]);
  return v;
}

std::string Name(const std::vector<char>& b, std::size_t at) {
  std::string n;
  for (std::size_t k = 0; k < VoiceFormat::kNameSize && b[at + k] != '\0'; ++k) n += b[at + k];
  return n;
}

bool ReadAll(const std::string& path, std::vector<char>& out) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  out.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(out.data(), size));
}

bool Fail(std::string& error, int& code, int c, std::string text) {
  error = std::move(text);
  code = c;
  return false;
}

}  // namespace

bool LoadVoice(const std::string& folder, Voice& voice, std::string& error, int& code) {
  voice = Voice{};
  std::string dir = folder;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  std::vector<char> idx, pcm;
  if (!ReadAll(dir + VoiceFormat::kIndexFile, idx) || !ReadAll(dir + VoiceFormat::kSamplesFile, pcm))
    return Fail(error, code, kDatabaseMissing, "voice database not found in " + folder);
  if (idx.size() < VoiceFormat::kHeaderBytes || std::memcmp(idx.data(), VoiceFormat::kMagic, 4) != 0)
    return Fail(error, code, kDatabaseCorrupt, "not a voice database index: " + dir + VoiceFormat::kIndexFile);
  if (U32(idx, 4) != VoiceFormat::kVersion || U32(idx, 8) != static_cast<uint32_t>(VoiceFormat::kRate))
    return Fail(error, code, kDatabaseCorrupt, "voice database of another version or rate");
  const uint32_t f0 = U32(idx, 12), units = U32(idx, 16), marks = U32(idx, 20);
  if (f0 < 40 || f0 > 500) return Fail(error, code, kDatabaseCorrupt, "voice database pitch out of range");
  const uint64_t wanted = VoiceFormat::kHeaderBytes + uint64_t{units} * VoiceFormat::kUnitBytes + uint64_t{marks} * 4;
  if (wanted != idx.size()) return Fail(error, code, kDatabaseCorrupt, "voice database index truncated or too long");
  if (pcm.size() % 2 != 0) return Fail(error, code, kDatabaseCorrupt, "voice database samples truncated");
  voice.path = folder;
  voice.f0 = static_cast<int>(f0);
  voice.samples.resize(pcm.size() / 2);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(voice.samples.data(), pcm.data(), pcm.size());
  } else {
    for (std::size_t i = 0; i < voice.samples.size(); ++i)
      voice.samples[i] = static_cast<int16_t>(static_cast<uint8_t>(pcm[2 * i]) | (static_cast<uint8_t>(pcm[2 * i + 1]) << 8));
  }
  const std::size_t marksAt = VoiceFormat::kHeaderBytes + std::size_t{units} * VoiceFormat::kUnitBytes;
  voice.marks.resize(marks);
  for (std::size_t i = 0; i < marks; ++i) voice.marks[i] = U32(idx, marksAt + 4 * i);
  for (uint32_t u = 0; u < units; ++u) {
    const std::size_t at = VoiceFormat::kHeaderBytes + std::size_t{u} * VoiceFormat::kUnitBytes;
    const std::string a = Name(idx, at), b = Name(idx, at + 4);
    Diphone d;
    d.offset = U32(idx, at + 8);
    d.length = U32(idx, at + 12);
    d.start = U32(idx, at + 16);
    d.boundary = U32(idx, at + 20);
    d.end = U32(idx, at + 24);
    d.firstMark = U32(idx, at + 28);
    d.markCount = U32(idx, at + 32);
    const std::string which = "diphone " + a + "-" + b;
    if (a.empty() || b.empty()) return Fail(error, code, kDatabaseCorrupt, "unnamed diphone in the voice database");
    if (uint64_t{d.offset} + d.length > voice.samples.size())
      return Fail(error, code, kDatabaseCorrupt, which + ": samples past the end of the samples file");
    if (!(d.start <= d.boundary && d.boundary <= d.end && d.end <= d.length))
      return Fail(error, code, kDatabaseCorrupt, which + ": cut points out of order");
    if (uint64_t{d.firstMark} + d.markCount > marks || d.markCount == 0)
      return Fail(error, code, kDatabaseCorrupt, which + ": pitch marks out of range");
    uint32_t before = 0;
    for (uint32_t m = 0; m < d.markCount; ++m) {
      const uint32_t pos = voice.marks[d.firstMark + m] & ~VoiceFormat::kVoicedMark;
      if (pos >= d.length || (m > 0 && pos <= before))
        return Fail(error, code, kDatabaseCorrupt, which + ": pitch marks out of order");
      before = pos;
    }
    if (!voice.byPair.emplace(a + "-" + b, voice.units.size()).second)
      return Fail(error, code, kDatabaseCorrupt, which + " twice in the voice database");
    voice.anyLeft.emplace(a, voice.units.size());
    voice.anyRight.emplace(b, voice.units.size());
    voice.units.push_back(d);
  }
  if (voice.units.empty()) return Fail(error, code, kDatabaseCorrupt, "voice database without diphones");
  return true;
}

std::string Canonical(const Voice& voice, const std::string& name) {
  const auto it = voice.alias.find(name);
  return it == voice.alias.end() ? name : it->second;
}

const Diphone* FindDiphone(const Voice& voice, const std::string& a, const std::string& b) {
  const auto it = voice.byPair.find(Canonical(voice, a) + "-" + Canonical(voice, b));
  return it == voice.byPair.end() ? nullptr : &voice.units[it->second];
}

bool KnowsPhoneme(const Voice& voice, const std::string& name) {
  const std::string c = Canonical(voice, name);
  return voice.anyLeft.contains(c) || voice.anyRight.contains(c);
}

}  // namespace Mbr
