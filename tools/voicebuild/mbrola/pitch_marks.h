// Pitch marks of a monotone recording: one mark per glottal period where it is voiced, and
// marks one period apart where it is not.
#pragma once

#include <cstdint>
#include <vector>

namespace PitchMarks {

struct Mark {
  std::size_t at;
  bool voiced;
};

// The period (in samples) of a monotone voiced stretch, by autocorrelation between
// minLag and maxLag; 0 when nothing periodic was found.
double Period(const std::vector<float>& s, std::size_t from, std::size_t to, int minLag, int maxLag);

// Marks over the whole recording, for a voice recorded with the given period.
std::vector<Mark> Find(const std::vector<float>& s, double period);

}  // namespace PitchMarks
