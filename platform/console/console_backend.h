// The device behind the console: what the screen model asks of a window, a terminal or
// nothing at all (headless). One small interface; the backend is chosen at start.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ConsoleDevice {

inline constexpr int kColumns = 80;
inline constexpr int kRows = 25;

struct Rgb {
  uint8_t r, g, b;
};

// The console's palette: colour number -> red, green, blue (through the remap table; a
// remap entry above 15 is black). Every device draws with these.
inline constexpr Rgb kPalette[16] = {
    {0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
    {255, 0, 0},     {142, 0, 142},   {68, 34, 34},    {192, 192, 192},
    {40, 40, 40},    {128, 128, 255}, {128, 255, 128}, {128, 255, 255},
    {255, 128, 128}, {255, 128, 255}, {255, 255, 0},   {255, 255, 255}};

inline constexpr Rgb PaletteColour(const uint8_t* remap, int colour) {
  const uint8_t entry = remap ? remap[colour & 15] : static_cast<uint8_t>(colour & 15);
  return entry > 15 ? Rgb{0, 0, 0} : kPalette[entry];
}

// Read-only view of the screen model handed to the backend when it draws.
struct ScreenView {
  const uint8_t* chars = nullptr;  // kColumns * kRows, row-major, Windows-1252
  const uint8_t* attrs = nullptr;  // background << 4 | foreground
  const uint8_t* remap = nullptr;  // 16 entries: colour number -> palette entry
  int cursorColumn = 0;            // 0-based; may be kColumns after the last column
  int cursorRow = 0;
};

enum class Visibility { Hidden, Normal, Restored };

// The picture over the text: a device-independent bitmap as read from its file.
struct Picture {
  int width = 0;
  int height = 0;  // negative for a top-down bitmap
  int bitCount = 0;
  std::vector<uint8_t> info;    // the 40-byte header and the colour table
  std::vector<uint8_t> pixels;  // rows padded to 4 bytes
  int x = 0;                    // position in pixels
  int y = 0;
};

// How a window shows the console, from the display settings: the font's face, cell size in
// pixels (0: what the font gives) and weight, and whether the window starts maximised.
struct Look {
  std::string face;
  int cellWidth = 0;
  int cellHeight = 0;
  int weight = 700;
  bool maximised = false;
};

// The low-vision magnifier's band: a piece of text shown enlarged over the top rows, in
// colours of its own, with the character at the cursor in a third colour. The screen model
// under it is untouched; hiding the band shows those rows again.
struct Band {
  std::string text;     // what the band shows, Windows-1252, at most 80 / zoom characters
  int cursorIndex = 0;  // 1-based index in `text` of the character in the cursor colour, 0: none
  int row = 1;          // console row (1-based) the band is drawn on
  int zoom = 1;         // magnification 1..10
  int textColour = 14, backgroundColour = 6, cursorColour = 3;  // colour numbers 0..15
};

// What only a device with a window does: it is made from the settings' look, shown and
// hidden, holds the picture over the text and the caret, and reaches the desktop's clipboard.
class WindowDevice {
 public:
  virtual void SetVisibility(Visibility) = 0;
  // The picture over the text was drawn, moved or removed (null: none).
  virtual void ImageChanged(const Picture*) = 0;
  // The native window the console is drawn in (an X11 window id).
  virtual uint64_t WindowHandle() const = 0;
  // The desktop's work area in pixels (false when it is not known), asked before Create so
  // that the cell size can follow it; Create makes the window.
  virtual bool WorkArea(int& width, int& height) = 0;
  virtual void Create(const Look&) = 0;
  // A key wait is in progress (the window shows the caret while it has the focus).
  virtual void SetReading(bool) = 0;
  // The desktop's clipboard (false: the process clipboard serves).
  virtual bool CopyText(std::string_view) = 0;
  virtual bool PasteText(std::string&) = 0;

 protected:
  ~WindowDevice() = default;
};

// What only a device on a terminal does: the bell, the plain stream of the line mode, and
// the terminal lent to a program started in the foreground until it ends. LendTerminal stops
// reading keys and gives the terminal back as the user had it (false when it cannot);
// ReclaimTerminal takes it again and redraws.
class TerminalDevice {
 public:
  virtual void Beep() {}
  // The bytes handed to the console, in order (a plain text stream, for line-mode output).
  virtual void WriteStream(std::string_view) {}
  virtual bool LendTerminal() = 0;
  virtual void ReclaimTerminal() = 0;

 protected:
  ~TerminalDevice() = default;
};

// What every device does.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;
  // Cells [colBegin, colEnd) of one row changed.
  virtual void DrawSpan(const ScreenView& view, int row, int colBegin, int colEnd) = 0;
  // Everything changed (clear, scroll).
  virtual void Redraw(const ScreenView& view) = 0;
  virtual void MoveCursor(const ScreenView& view) = 0;
  virtual void SetTitle(std::string_view title) = 0;
  // The magnifier's band is drawn (again, with new text) or removed.
  virtual void ShowBand(const ScreenView&, const Band&) {}
  virtual void HideBand(const ScreenView&) {}
  // Keys the user has typed ahead and the device still holds are dropped (the error tone
  // discards what waits). A key script holds none: it types when the program takes keys.
  virtual void DiscardTypedKeys() {}
  // Shift, Ctrl and Alt held now (Keys::kShift ...).
  virtual uint8_t Modifiers() const = 0;
  // No key will ever come again (key script done, input closed).
  virtual bool InputExhausted() const = 0;
  // The program is ending: give the device back as it was found.
  virtual void Shutdown() {}
  // The device's window or terminal, when it has one (null: it has none).
  virtual WindowDevice* AsWindow() { return nullptr; }
  virtual TerminalDevice* AsTerminal() { return nullptr; }
};

// Decides whether the console may be handed another key now (the key queue is empty).
using AcceptsKeys = bool (*)();

// FONIX_CONSOLE=window|terminal|lines|headless; default: headless when a key script
// (FONIX_KEYS) drives the run, else the window when a display opens, else terminal when
// standard input and output are terminals, else headless. Returns null with a message in `error`
// when the key script of FONIX_KEYS is malformed.
std::unique_ptr<Backend> OpenBackend(AcceptsKeys acceptsKeys, std::string& error);

}  // namespace ConsoleDevice
