// The sample encodings readtype_MBR can deliver.
#pragma once

#include <cstdint>

namespace Mbr {

enum AudioType : int { kLin16 = 0, kLin8 = 1, kUlaw = 2, kAlaw = 3 };

uint8_t ToLin8(int16_t s);  // unsigned, 128 = silence
uint8_t ToUlaw(int16_t s);  // G.711 mu-law
uint8_t ToAlaw(int16_t s);  // G.711 A-law

}  // namespace Mbr
