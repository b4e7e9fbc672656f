// Levelling the diphones of the voice: each unit is scaled so that both its edges are as
// loud as the phoneme there usually is, then the whole database so no sample nears full scale.
#pragma once

#include <string>
#include <vector>

#include "tools/voicebuild/mbrola/carrier_cut.h"

namespace Leveling {

struct Named {
  std::string first, second;  // the phonemes of the pair
  CarrierCut::Unit unit;
};

struct Report {
  double peakBefore = 0, peakAfter = 0;  // largest sample magnitude
  double edgeSpreadBefore = 0, edgeSpreadAfter = 0;  // mean |dB| of edges from their phoneme's level
  double periodSpread = 0;  // mean |samples| of edge periods from the recording period
  long periodEdges = 0;     // voiced edges whose period was measured
};

// Levels the units in place; `period` is the recording's pitch period in samples.
Report Level(std::vector<Named>& units, double period);

}  // namespace Leveling
