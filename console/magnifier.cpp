// The magnifier's band: which part of the text it shows, where the cursor colour goes,
// and handing the band to the console device, which draws it its own way.
#include "console/magnifier.h"

#include <algorithm>

#include "console/console.h"

namespace Magnifier {

State& St() {
  static State state;
  return state;
}

void MagnifierSetColours(int text, int background, int cursor) {
  State& s = St();
  s.textColour = text & 15;
  s.backgroundColour = background & 15;
  s.cursorColour = cursor & 15;
}

void MagnifierStart(int bandRow, int zoom) {
  State& s = St();
  if (zoom <= 0) {
    s.zoom = 0;
    return;
  }
  s.bandRow = std::clamp(bandRow, 1, Console::kRows);
  s.zoom = std::min(zoom, 10);
  s.offset = 1;
}

ConsoleDevice::Band MakeBand(std::string_view text, int index, int zoom, int& offset) {
  ConsoleDevice::Band band;
  zoom = std::clamp(zoom, 1, 10);
  const int i = std::max(index, 1);
  const int w = Console::kColumns / zoom;
  if (i - 1 < offset) offset = i - 1;
  if (offset <= 0) offset = 1;
  if (w + offset < i) offset = i - w;
  const std::size_t from = static_cast<std::size_t>(offset - 1);
  const std::string_view s = from < text.size() ? text.substr(from, static_cast<std::size_t>(w)) : std::string_view();
  const std::size_t n = static_cast<std::size_t>(i - offset + 1);  // the cursor's place in s, 1-based
  // A: s[1 .. n-2]; C: s[n-1] in the cursor colour; B: s[n ..] and blanks to the band's end.
  const std::size_t lengthA = n > 2 ? std::min(n - 2, s.size()) : 0;
  band.text.assign(s.substr(0, lengthA));
  if (n > 1 && n - 2 < s.size()) {
    band.text.push_back(s[n - 2]);
    band.cursorIndex = static_cast<int>(band.text.size());
  }
  if (n - 1 < s.size()) band.text.append(s.substr(n - 1));
  band.text.resize(static_cast<std::size_t>(w), ' ');
  band.zoom = zoom;
  return band;
}

void MagnifierShow(std::string_view text, int index) {
  State& s = St();
  if (s.zoom == 0) return;
  ConsoleDevice::Band band = MakeBand(text, index, s.zoom, s.offset);
  band.row = s.bandRow;
  band.textColour = s.textColour;
  band.backgroundColour = s.backgroundColour;
  band.cursorColour = s.cursorColour;
  Console::ShowBand(band);
  s.shown = true;
}

void MagnifierHide() {
  State& s = St();
  if (!s.shown) return;
  s.shown = false;
  Console::HideBand();
}

void ResetMagnifier() { St() = State{}; }

}  // namespace Magnifier
