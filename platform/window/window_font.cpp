// The console window's font: fontconfig lookup, sizing to the cell and the glyph cache.
#include "platform/window/window_font.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>

#include "platform/text/cp1252.h"

namespace WindowFont {
namespace {

// The file fontconfig gives for `face`, and whether its family is really that face.
std::string Match(const std::string& face, int weight, bool& exact) {
  exact = false;
  if (!FcInit()) return {};
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* found = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  if (found) {
    FcChar8* family = nullptr;
    FcChar8* path = nullptr;
    if (FcPatternGetString(found, FC_FAMILY, 0, &family) == FcResultMatch && family)
      exact = strcasecmp(reinterpret_cast<const char*>(family), face.c_str()) == 0;
    if (FcPatternGetString(found, FC_FILE, 0, &path) == FcResultMatch && path)
      file = reinterpret_cast<const char*>(path);
    FcPatternDestroy(found);
  }
  FcPatternDestroy(pattern);
  return file;
}

uint64_t GlyphKey(uint8_t ch, ConsoleDevice::Rgb fg, ConsoleDevice::Rgb bg, int zoom) {
  return uint64_t{ch} | uint64_t{fg.r} << 8 | uint64_t{fg.g} << 16 | uint64_t{fg.b} << 24 |
         uint64_t{bg.r} << 32 | uint64_t{bg.g} << 40 | uint64_t{bg.b} << 48 | uint64_t(zoom & 0xFF) << 56;
}

// The largest point size whose line height fits `height` pixels.
int FittingSize(TTF_Font* font, int height) {
  int size = std::max(height, 1);
  for (; size > 1; --size) {
    if (TTF_SetFontSize(font, size) != 0) return 0;
    if (TTF_FontHeight(font) <= height) break;
  }
  return TTF_SetFontSize(font, size) == 0 ? size : 0;
}

constexpr int kDefaultHeight = 16;
constexpr std::size_t kMaxGlyphs = 8192;

TTF_Font* FontFor(State& font, int zoom) {
  auto it = font.fonts.find(zoom);
  if (it != font.fonts.end()) return it->second.get();
  TTF_Font* opened = TTF_OpenFont(font.file.c_str(), font.cellHeight * zoom);
  if (!opened) return nullptr;
  if (FittingSize(opened, font.cellHeight * zoom) == 0) {
    TTF_CloseFont(opened);
    return nullptr;
  }
  font.fonts[zoom].reset(opened);
  return opened;
}

}  // namespace

std::string FindFace(const std::string& face, int weight) {
  bool exact = false;
  if (!face.empty()) {
    std::string file = Match(face, weight, exact);
    if (exact && !file.empty()) return file;
  }
  std::string file = Match(kFallbackFace, weight, exact);
  return exact ? file : std::string();
}

bool Open(State& font, const ConsoleDevice::Look& look, std::string& error) {
  Close(font);
  if (!TTF_WasInit() && TTF_Init() != 0) {
    error = std::string("não foi possível iniciar as fontes: ") + TTF_GetError();
    return false;
  }
  font.weight = look.weight;
  font.file = FindFace(look.face, look.weight);
  if (font.file.empty()) {
    error = std::string("fonte não encontrada: ") + look.face + " (nem " + kFallbackFace + ")";
    return false;
  }
  font.cellHeight = look.cellHeight > 0 ? std::min(look.cellHeight, 400) : kDefaultHeight;
  TTF_Font* base = FontFor(font, 1);
  if (!base) {
    error = "não foi possível abrir a fonte " + font.file + ": " + TTF_GetError();
    return false;
  }
  int advance = 0;
  if (look.cellWidth > 0) font.cellWidth = std::min(look.cellWidth, 400);
  else font.cellWidth = TTF_GlyphMetrics32(base, 'M', nullptr, nullptr, nullptr, nullptr, &advance) == 0 && advance > 0
                             ? advance
                             : std::max(font.cellHeight / 2, 1);
  font.ascent = std::min(TTF_FontAscent(base), font.cellHeight - 2);
  return true;
}

SDL_Surface* Glyph(State& font, uint8_t ch, ConsoleDevice::Rgb fg, ConsoleDevice::Rgb bg, int zoom) {
  const uint64_t key = GlyphKey(ch, fg, bg, zoom);
  if (auto it = font.glyphs.find(key); it != font.glyphs.end()) return it->second.get();
  // Colours and zooms are few, but a script may run through many: the cache stays bounded.
  if (font.glyphs.size() >= kMaxGlyphs) font.glyphs.clear();
  const int w = font.cellWidth * zoom, h = font.cellHeight * zoom;
  Surface cell(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_XRGB8888));
  if (!cell) return nullptr;
  SDL_FillRect(cell.get(), nullptr, SDL_MapRGB(cell->format, bg.r, bg.g, bg.b));
  TTF_Font* ttf = FontFor(font, zoom);
  const char32_t cp = Cp1252::ToUnicode(ch);
  if (ttf && ch > 32 && ch != 160) {
    Surface glyph(TTF_RenderGlyph32_Blended(ttf, static_cast<Uint32>(cp), SDL_Color{fg.r, fg.g, fg.b, 255}));
    if (glyph) {
      int advance = 0;
      TTF_GlyphMetrics32(ttf, static_cast<Uint32>(cp), nullptr, nullptr, nullptr, nullptr, &advance);
      if (advance <= 0) advance = glyph->w;
      // The font's own advance is stretched to the cell width the settings ask for.
      SDL_Rect to{0, 0, glyph->w * w / advance, glyph->h};
      SDL_SetSurfaceBlendMode(glyph.get(), SDL_BLENDMODE_BLEND);
      if (to.w == glyph->w) SDL_BlitSurface(glyph.get(), nullptr, cell.get(), &to);
      else SDL_BlitScaled(glyph.get(), nullptr, cell.get(), &to);
    }
  }
  SDL_Surface* made = cell.get();
  font.glyphs[key] = std::move(cell);
  return made;
}

void Close(State& font) {
  font.glyphs.clear();
  font.fonts.clear();
  // Fontconfig's configuration is only needed to find the face again.
  if (!font.file.empty()) ReleaseFontconfig();
  font.file.clear();
}

void ReleaseFontconfig() { FcFini(); }

}  // namespace WindowFont
