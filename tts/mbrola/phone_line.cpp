// Numbers are read with from_chars so that the user's locale never changes the decimal
// point, and every field is checked before it is used.
#include "tts/mbrola/phone_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace Mbr {
namespace {

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

bool Number(std::string_view s, double& v) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size() && std::isfinite(v);
}

}  // namespace

LineKind ParseLine(std::string_view line, Phone& phone, std::string& why) {
  const auto f = Fields(line);
  if (f.empty() || f[0].front() == ';') return LineKind::Nothing;
  if (f[0].front() == '#') return LineKind::Flush;
  phone = Phone{};
  if (f[0].size() > 4) {
    why = "phoneme name too long: " + std::string(f[0]);
    return LineKind::Bad;
  }
  phone.name = std::string(f[0]);
  if (f.size() < 2 || !Number(f[1], phone.ms) || phone.ms < 0 || phone.ms > kMaxPhoneMs) {
    why = "bad duration on the line of " + phone.name;
    return LineKind::Bad;
  }
  if (f.size() % 2 != 0) {
    why = "a position without its pitch on the line of " + phone.name;
    return LineKind::Bad;
  }
  for (std::size_t k = 2; k + 1 < f.size(); k += 2) {
    PitchPoint p;
    if (!Number(f[k], p.percent) || !Number(f[k + 1], p.hz)) {
      why = "bad pitch point on the line of " + phone.name;
      return LineKind::Bad;
    }
    if (p.hz <= 0) continue;
    p.percent = std::clamp(p.percent, 0.0, 100.0);
    p.hz = std::clamp(p.hz, kMinHz, kMaxHz);
    phone.points.push_back(p);
  }
  std::stable_sort(phone.points.begin(), phone.points.end(),
                   [](const PitchPoint& a, const PitchPoint& b) { return a.percent < b.percent; });
  return LineKind::Phone;
}

}  // namespace Mbr
