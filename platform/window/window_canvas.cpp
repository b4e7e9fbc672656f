// The console window's frame in memory: cells from the screen model, the picture, the band
// and the caret composed where something changed.
#include "platform/window/window_canvas.h"

#include <algorithm>
#include <cstring>

namespace WindowCanvas {
namespace {

using ConsoleDevice::kColumns;
using ConsoleDevice::kRows;
using ConsoleDevice::Rgb;

WindowFont::Surface MakeSurface(int w, int h) {
  return WindowFont::Surface(SDL_CreateRGBSurfaceWithFormat(0, std::max(w, 1), std::max(h, 1), 32, SDL_PIXELFORMAT_XRGB8888));
}

void AddDirty(State& c, SDL_Rect r) {
  SDL_Rect bounds{0, 0, Width(c), Height(c)};
  SDL_Rect clipped;
  if (!SDL_IntersectRect(&r, &bounds, &clipped)) return;
  if (c.dirty.w <= 0 || c.dirty.h <= 0) c.dirty = clipped;
  else SDL_UnionRect(&c.dirty, &clipped, &c.dirty);
}

SDL_Rect BandRect(const State& c, const ConsoleDevice::Band& band) {
  const int zoom = std::clamp(band.zoom, 1, 10);
  const int row = std::clamp(band.row, 1, kRows) - 1;
  return {0, row * c.font.cellHeight, static_cast<int>(band.text.size()) * c.font.cellWidth * zoom,
          c.font.cellHeight * zoom};
}

// The colour of pixel x of a bitmap row.
uint32_t DibPixel(const ConsoleDevice::Picture& p, const uint8_t* row, int x, int colours) {
  const uint8_t* table = p.info.data() + 40;
  auto fromTable = [&](unsigned index) -> uint32_t {
    if (static_cast<int>(index) >= colours) return 0;
    const uint8_t* e = table + 4 * index;
    return uint32_t{e[2]} << 16 | uint32_t{e[1]} << 8 | e[0];
  };
  switch (p.bitCount) {
    case 1: return fromTable((row[x / 8] >> (7 - x % 8)) & 1);
    case 4: return fromTable((row[x / 2] >> (x % 2 ? 0 : 4)) & 15);
    case 8: return fromTable(row[x]);
    case 16: {
      const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
      const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
      return (r * 255 / 31) << 16 | (g * 255 / 31) << 8 | (b * 255 / 31);
    }
    case 24: return uint32_t{row[3 * x + 2]} << 16 | uint32_t{row[3 * x + 1]} << 8 | row[3 * x];
    default: return uint32_t{row[4 * x + 2]} << 16 | uint32_t{row[4 * x + 1]} << 8 | row[4 * x];
  }
}

}  // namespace

int Width(const State& c) { return kColumns * c.font.cellWidth; }
int Height(const State& c) { return kRows * c.font.cellHeight; }

bool Make(State& c) {
  c.cells = MakeSurface(Width(c), Height(c));
  c.frame = MakeSurface(Width(c), Height(c));
  if (!c.cells || !c.frame) return false;
  SDL_FillRect(c.cells.get(), nullptr, 0);
  Invalidate(c);
  return true;
}

void PaintCells(State& c, const ConsoleDevice::ScreenView& view, int row, int colBegin, int colEnd) {
  if (!c.cells || row < 0 || row >= kRows) return;
  colBegin = std::max(colBegin, 0);
  colEnd = std::min(colEnd, kColumns);
  for (int col = colBegin; col < colEnd; ++col) {
    const int at = row * kColumns + col;
    const uint8_t attr = view.attrs[at];
    const Rgb fg = ConsoleDevice::PaletteColour(view.remap, attr & 15);
    const Rgb bg = ConsoleDevice::PaletteColour(view.remap, attr >> 4);
    SDL_Rect to{col * c.font.cellWidth, row * c.font.cellHeight, c.font.cellWidth, c.font.cellHeight};
    if (SDL_Surface* glyph = WindowFont::Glyph(c.font, view.chars[at], fg, bg, 1))
      SDL_BlitSurface(glyph, nullptr, c.cells.get(), &to);
    else
      SDL_FillRect(c.cells.get(), &to, SDL_MapRGB(c.cells->format, bg.r, bg.g, bg.b));
  }
  if (colBegin < colEnd)
    AddDirty(c, {colBegin * c.font.cellWidth, row * c.font.cellHeight, (colEnd - colBegin) * c.font.cellWidth,
                 c.font.cellHeight});
}

void PaintAll(State& c, const ConsoleDevice::ScreenView& view) {
  for (int row = 0; row < kRows; ++row) PaintCells(c, view, row, 0, kColumns);
}

void SetPicture(State& c, const ConsoleDevice::Picture* p) {
  if (c.picture) AddDirty(c, c.pictureAt);
  c.picture.reset();
  if (!p || p->width <= 0 || p->height == 0 || !c.frame) return;
  // Only the part inside the window is made: a huge picture costs no more than the window.
  const int height = p->height < 0 ? -p->height : p->height;
  SDL_Rect whole{p->x, p->y, p->width, height};
  SDL_Rect bounds{0, 0, Width(c), Height(c)};
  SDL_Rect shown;
  if (!SDL_IntersectRect(&whole, &bounds, &shown)) return;
  const int64_t rowBytes = ((static_cast<int64_t>(p->width) * p->bitCount + 31) / 32) * 4;
  if (rowBytes * height > static_cast<int64_t>(p->pixels.size())) return;
  const int colours = static_cast<int>((p->info.size() - 40) / 4);
  WindowFont::Surface surface = MakeSurface(shown.w, shown.h);
  if (!surface) return;
  for (int y = 0; y < shown.h; ++y) {
    const int sourceRow = shown.y - p->y + y;
    const int stored = p->height < 0 ? sourceRow : height - 1 - sourceRow;
    const uint8_t* row = p->pixels.data() + stored * rowBytes;
    auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < shown.w; ++x) out[x] = DibPixel(*p, row, shown.x - p->x + x, colours);
  }
  c.picture = std::move(surface);
  c.pictureAt = shown;
  AddDirty(c, shown);
}

void SetBand(State& c, const ConsoleDevice::ScreenView& view, const ConsoleDevice::Band* band) {
  if (c.band) AddDirty(c, BandRect(c, *c.band));
  c.band.reset();
  if (!band) return;
  c.band = *band;
  c.band->zoom = std::clamp(band->zoom, 1, 10);
  c.band->text.resize(std::min<std::size_t>(c.band->text.size(), static_cast<std::size_t>(kColumns / c.band->zoom)));
  // Colours go through the same remap table as the cells.
  for (int i = 0; i < 16; ++i) c.bandRemap[i] = view.remap ? view.remap[i] : static_cast<uint8_t>(i);
  AddDirty(c, BandRect(c, *c.band));
}

void SetCaret(State& c, bool shown, const ConsoleDevice::ScreenView& view) {
  const int col = std::clamp(view.cursorColumn, 0, kColumns - 1);
  const int row = std::clamp(view.cursorRow, 0, kRows - 1);
  const SDL_Rect at{col * c.font.cellWidth, row * c.font.cellHeight + c.font.ascent, c.font.cellWidth, 2};
  if (c.caret == shown && (!shown || std::memcmp(&at, &c.caretAt, sizeof at) == 0)) return;
  if (c.caret) AddDirty(c, c.caretAt);
  c.caret = shown;
  c.caretAt = at;
  if (shown) AddDirty(c, at);
}

void Invalidate(State& c) { AddDirty(c, {0, 0, Width(c), Height(c)}); }

SDL_Rect Compose(State& c) {
  SDL_Rect r = c.dirty;
  c.dirty = {0, 0, 0, 0};
  if (r.w <= 0 || r.h <= 0 || !c.frame) return {0, 0, 0, 0};
  SDL_Rect to = r;
  SDL_BlitSurface(c.cells.get(), &r, c.frame.get(), &to);
  SDL_SetClipRect(c.frame.get(), &r);
  if (c.picture) {
    SDL_Rect at = c.pictureAt;
    SDL_BlitSurface(c.picture.get(), nullptr, c.frame.get(), &at);
  }
  if (c.band) {
    const ConsoleDevice::Band& b = *c.band;
    const SDL_Rect whole = BandRect(c, b);
    const Rgb bg = ConsoleDevice::PaletteColour(c.bandRemap, b.backgroundColour);
    for (std::size_t i = 0; i < b.text.size(); ++i) {
      const int colour = static_cast<int>(i) + 1 == b.cursorIndex ? b.cursorColour : b.textColour;
      const Rgb fg = ConsoleDevice::PaletteColour(c.bandRemap, colour);
      SDL_Rect at{static_cast<int>(i) * c.font.cellWidth * b.zoom, whole.y, c.font.cellWidth * b.zoom, whole.h};
      SDL_Rect cell;
      if (!SDL_IntersectRect(&at, &r, &cell)) continue;
      if (SDL_Surface* glyph = WindowFont::Glyph(c.font, static_cast<uint8_t>(b.text[i]), fg, bg, b.zoom))
        SDL_BlitSurface(glyph, nullptr, c.frame.get(), &at);
      else
        SDL_FillRect(c.frame.get(), &at, SDL_MapRGB(c.frame->format, bg.r, bg.g, bg.b));
    }
  }
  if (c.caret) {
    // The caret inverts what is under it, as a text caret does.
    SDL_Rect at;
    if (SDL_IntersectRect(&c.caretAt, &r, &at)) {
      for (int y = at.y; y < at.y + at.h; ++y) {
        auto* px = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(c.frame->pixels) + y * c.frame->pitch);
        for (int x = at.x; x < at.x + at.w; ++x) px[x] ^= 0x00FFFFFF;
      }
    }
  }
  SDL_SetClipRect(c.frame.get(), nullptr);
  return r;
}

}  // namespace WindowCanvas
