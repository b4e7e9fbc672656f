// Telephone-key tones: each key is the sum of one row and one column frequency.
#pragma once

#include <utility>
#include <vector>

namespace Dtmf {

// Row and column frequency (Hz) of a key "0".."9", "*", "#" (also "A".."D"); {0, 0} for others.
std::pair<int, int> Frequencies(char key);

// The key's tone pair, `ms` long at `rate`, full scale ±1 at most, with short fades so it
// starts and ends without a click.
std::vector<float> Tone(char key, int ms, int rate);

}  // namespace Dtmf
