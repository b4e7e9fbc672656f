// Turning queued phones into samples: pitch-synchronous overlap-add of the voice's diphones.
#pragma once

namespace Mbr {

// Renders the phones whose right neighbour and pitch course are known.
void Feed();
// Renders everything queued, the last phone followed by silence, and ends the utterance.
void FlushAll();

}  // namespace Mbr
