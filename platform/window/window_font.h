// The console window's font: the face of the display settings found through fontconfig
// (a monospace fallback when it is not installed), sized to the cell, and its glyphs
// rendered once per character, colours and zoom and kept.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/console/console_backend.h"

namespace WindowFont {

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

struct FontClose {
  void operator()(TTF_Font* f) const { TTF_CloseFont(f); }
};

struct State {
  std::string file;  // the font file in use
  int cellWidth = 0;
  int cellHeight = 0;
  int ascent = 0;  // pixels from the cell's top to the base line (the caret's place)
  int weight = 700;
  // One font per zoom (1 is the console's own); opened when first needed.
  std::unordered_map<int, std::unique_ptr<TTF_Font, FontClose>> fonts;
  std::unordered_map<uint64_t, Surface> glyphs;
};

// The file of the installed face named `face` with the weight, through fontconfig; the
// fallback face when the named one is absent; empty when neither is installed.
std::string FindFace(const std::string& face, int weight);
inline constexpr const char* kFallbackFace = "DejaVu Sans Mono";

// Opens the font for cells of the look's size (0: the font's own size). False with a
// message when no font file opens.
bool Open(State& font, const ConsoleDevice::Look& look, std::string& error);
// The cell image of `ch` (Windows-1252) in the colours, `zoom` times the cell size; null
// when the glyph cannot be made (the cell is then drawn blank).
SDL_Surface* Glyph(State& font, uint8_t ch, ConsoleDevice::Rgb fg, ConsoleDevice::Rgb bg, int zoom);
void Close(State& font);
// Lets go of fontconfig's configuration (before an exit that skips the normal close).
void ReleaseFontconfig();

}  // namespace WindowFont
