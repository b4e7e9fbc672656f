// The console window's picture of the screen, kept in memory: the cells as painted, and the
// frame the window shows (cells, then the picture over the text, the magnifier's band and
// the caret), with the part that changed since it was last shown.
#pragma once

#include <SDL.h>

#include <optional>

#include "platform/console/console_backend.h"
#include "platform/window/window_font.h"

namespace WindowCanvas {

struct State {
  WindowFont::State font;
  WindowFont::Surface cells;  // 80 x 25 cells as painted from the screen model
  WindowFont::Surface frame;  // what the window shows
  WindowFont::Surface picture;  // the visible part of the picture over the text
  SDL_Rect pictureAt{0, 0, 0, 0};
  std::optional<ConsoleDevice::Band> band;
  uint8_t bandRemap[16] = {};
  bool caret = false;
  SDL_Rect caretAt{0, 0, 0, 0};
  SDL_Rect dirty{0, 0, 0, 0};  // of the frame; empty when nothing changed
};

// Makes the surfaces for the font's cell size; false when memory runs out.
bool Make(State& c);
int Width(const State& c);
int Height(const State& c);

void PaintCells(State& c, const ConsoleDevice::ScreenView& view, int row, int colBegin, int colEnd);
void PaintAll(State& c, const ConsoleDevice::ScreenView& view);
// Null removes the picture.
void SetPicture(State& c, const ConsoleDevice::Picture* picture);
void SetBand(State& c, const ConsoleDevice::ScreenView& view, const ConsoleDevice::Band* band);
void SetCaret(State& c, bool shown, const ConsoleDevice::ScreenView& view);
void Invalidate(State& c);
// Brings the frame up to date where it changed; returns that rectangle (w 0: nothing).
SDL_Rect Compose(State& c);

}  // namespace WindowCanvas
