// The prosody tables: phoneme durations, key-word classes, intonation patterns, pitch
// table and the voice's diphone list, with their loaders.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Sonora {

struct IntonationPattern {  // one entry of TProsodia
  std::string previous, current, next;  // classes, up to 3 characters; empty matches any
  std::string pattern;                  // three characters: digits, the first may be "?"
};

struct ProsodyState {
  std::vector<std::pair<std::string, int>> durations;        // phoneme (up to 2 characters), ms
  std::vector<std::pair<std::string, std::string>> keyWords;  // TChave: word, class; sorted by word
  std::vector<IntonationPattern> patterns;                    // file order
  std::array<int, 10> pitchTable{70, 75, 80, 85, 90, 100, 110, 120, 130, 140};  // percent per digit
  int basePitch = 230;                                        // Hz
  std::vector<std::string> diphones;                          // "A-B", upper-cased, sorted
  std::vector<std::string> messages;                          // what the last prosody load reported
  bool quiet = false;  // keep the messages from the user (fuzzing); they are still recorded
};

inline constexpr std::size_t kMaxDurations = 1000;
inline constexpr std::size_t kMaxKeyWords = 1000;
inline constexpr std::size_t kMaxPatterns = 300;

ProsodyState& Prosody();
void ResetProsody();

// Reads the three sections of the prosody file, in whatever order they come. A failure
// is reported to the user (standard error and the event transcript) and returns false.
bool LoadProsody(const std::string& path);
// Reads the voice's diphone list; false when the file cannot be read.
bool LoadDiphoneList(const std::string& path);

// Duration of a phoneme in ms, 100 when the table has none.
int PhonemeDuration(std::string_view phoneme);
// Class of an upper-case word, "XX" when it is not a key word.
std::string_view KeyWordClass(std::string_view upperWord);
// Whether the voice joins the two phonemes; letter case is not significant.
bool HasDiphone(std::string_view first, std::string_view second);

}  // namespace Sonora
