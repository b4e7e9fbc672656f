// The layout of the synthesizer's voice database, shared by the builder that writes it and
// the library that reads it (FORMAT.md describes it for people).
#pragma once

#include <cstdint>

namespace VoiceFormat {

inline constexpr char kMagic[4] = {'F', 'X', 'M', 'B'};
inline constexpr uint32_t kVersion = 1;
inline constexpr int kRate = 16000;
inline constexpr const char* kIndexFile = "diphones.idx";
inline constexpr const char* kSamplesFile = "diphones.pcm";
inline constexpr std::size_t kNameSize = 4;  // a phoneme name, NUL-padded
inline constexpr uint32_t kVoicedMark = 0x80000000u;

// All numbers little-endian. The index is: the header, `units` unit records, then
// `marks` 32-bit pitch marks.
struct Header {                 // 24 bytes
  char magic[4];
  uint32_t version;
  uint32_t rate;                // samples per second of the samples file
  uint32_t f0;                  // the monotone pitch the voice was recorded at, Hz
  uint32_t units;
  uint32_t marks;
};

struct Unit {                   // 36 bytes
  char first[kNameSize];        // left phoneme
  char second[kNameSize];       // right phoneme
  uint32_t offset;              // first sample in the samples file
  uint32_t length;              // samples, the margins included
  uint32_t start;               // where the diphone begins (mid first phoneme), within the unit
  uint32_t boundary;            // where the second phoneme begins
  uint32_t end;                 // where the diphone ends (mid second phoneme)
  uint32_t firstMark;           // index of its first pitch mark
  uint32_t markCount;           // marks in increasing order, positions within the unit;
                                // kVoicedMark set on the marks of voiced periods
};

inline constexpr std::size_t kHeaderBytes = 24;
inline constexpr std::size_t kUnitBytes = 36;

}  // namespace VoiceFormat
