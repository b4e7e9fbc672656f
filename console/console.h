// The 80x25 text console: the screen model (characters, attributes, cursor, colours,
// title) that every text of the runtime is written into, and the device it is shown on.
// The console never speaks; the write-and-speak operations of the speech manager do.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console/console_backend.h"
#include "platform/events/messages.h"

// Thrown to end the program from inside any wait (window closed, key script exhausted):
// unwinds to the executable's main, which leaves with `status`.
struct ProgramExit {
  int status;
};

namespace Console {

inline constexpr int kColumns = ConsoleDevice::kColumns;
inline constexpr int kRows = ConsoleDevice::kRows;

// Opens the device; call once at start (ConsoleInit does it on first use otherwise).
// Returns false with a message when the device cannot be opened (bad FONIX_CONSOLE/KEYS).
bool OpenDevice(std::string& error);
// Tests and tools may plug their own device.
void UseDevice(std::unique_ptr<ConsoleDevice::Backend> device);
ConsoleDevice::Backend& Device();
// The device's window and terminal, when it has them (null: it has none).
ConsoleDevice::WindowDevice* DeviceWindow();
ConsoleDevice::TerminalDevice* DeviceTerminal();
// The native window the console is drawn in; 0 without a window.
uint64_t WindowHandle();

void ConsoleInit();
void ConsoleWrite(std::string_view bytes);
void ConsoleWriteChar(uint8_t byte);
void ConsoleGotoXY(int column, int row);
int ConsoleWhereX();
int ConsoleWhereY();
void ConsoleClear();
void ConsoleClearToEol();
void ConsoleSetForeground(int colour);
void ConsoleSetBackground(int colour);
uint8_t TextAttribute();
void SetTextAttribute(uint8_t attribute);
void SetColoursFixed(bool fixed);
void ConsoleDelay(int milliseconds);
void ConsoleSound(int frequency);  // a looping square-wave tone until ConsoleNoSound
void ConsoleNoSound();
void ConsoleSetTitle(std::string_view title);
std::string ConsoleTitle();
void ConsoleShow(ConsoleDevice::Visibility visibility);
void ConsoleCopyText(std::string_view text);
std::string ConsolePasteText(std::size_t capacity);
// The picture drawn over the text: a device-independent bitmap as read from its file.
using Image = ConsoleDevice::Picture;
// Loads a bitmap file (Windows path) as the overlay at (0, 0); false when the file is
// missing, unreadable, not a bitmap with a 40-byte header, or its picture is unusable, in
// which case the previous overlay stays.
bool ConsoleLoadImage(std::string_view fileName);
// The same for a file named by its Linux path (the runtime's own temporary files).
bool ConsoleLoadImageFile(const std::string& hostPath);
void ConsoleDrawImage(int x, int y);
void ConsoleRemoveImage();
const Image* ConsoleOverlay();

// Cells written in place from (column, row) in `attribute`, clipped to that row: the screen
// and the device change, the cursor stays, and the text is not part of the written stream
// (nor of the transcript's lines). Fields and menus that are drawn over and over use it.
void ConsolePutText(int column, int row, std::string_view text, uint8_t attribute);
// Text already on the screen (a field drawn in place) joins the written stream and the
// transcript's line, as if it had been written; the screen does not change.
void ConsoleStreamText(std::string_view text);
// The magnifier's band over the top rows, drawn by the device; HideBand shows the rows again.
void ShowBand(const ConsoleDevice::Band& band);
void HideBand();

// A program started for the user gets the terminal the console is shown on until it ends:
// SuspendDevice is true when the device gave a terminal away, ResumeDevice takes it back.
bool SuspendDevice();
void ResumeDevice();
// LendTerminal is SuspendDevice without making the console first.
bool LendTerminal();

// Closes the console and ends the program with the given exit status (never returns).
[[noreturn]] void ConsoleDone(int status);
// The normal end: title "Programa terminado", the device released.
void ExitStep();
// Creates the screen file of FONIX_SCREEN now, so that a name that cannot be written is
// known at start (false, with a message for the user); it is written at Shutdown.
bool OpenScreenFile(std::string& error);
// Releases the device and writes the end-of-run files (FONIX_SCREEN, unfinished line);
// false when the screen file could not be written.
bool Shutdown();

// Other modules install handlers in the window procedure for their own notices (the wave
// output's buffer completions, speech-server notices); null removes one.
void SetMessageHook(Messages::Kind kind, Messages::Handler handler);

// Standard output of the program: bytes buffered by 128 and handed to ConsoleWrite, then
// one pump of messages, as a console-bound standard output does.
void StdoutWrite(std::string_view bytes);

// Row r (1-based) as text, trailing blanks removed (Windows-1252).
std::string RowText(int row);
uint8_t CellAttribute(int column, int row);
// Back to a fresh, empty screen (tests), with no picture over it and no tone.
void ResetConsole();
// The picture over the text removed, the tone stopped (ResetConsole does both).
void ResetImage();
void ResetTone();

}  // namespace Console
