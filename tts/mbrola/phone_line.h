// Reading one input line: "name duration [position pitch]...", a ";" comment, or "#"
// (flush).
#pragma once

#include <string>
#include <string_view>

#include "tts/mbrola/synth_state.h"

namespace Mbr {

enum class LineKind { Nothing, Phone, Flush, Bad };

inline constexpr double kMaxPhoneMs = 100000;
inline constexpr double kMinHz = 40, kMaxHz = 1000;

// Bad lines leave the reason in `why`. Pitch points are put in order of position; points of
// 0 Hz or less are dropped, others held to kMinHz..kMaxHz, positions to 0..100.
LineKind ParseLine(std::string_view line, Phone& phone, std::string& why);

}  // namespace Mbr
