// The screen model of the console and its device: writing with the column-81 rule,
// ending rows and scrolling, clearing, colours, title, and the window's message handling.
#include "console/console.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/braille_display.h"
#include "console/braille_input.h"
#include "console/keyboard.h"
#include "settings/settings_keys.h"
#include "platform/desktop/clipboard.h"
#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"
#include "platform/events/messages.h"
#include "platform/headless/transcript.h"
#include "platform/audio/waveout.h"

namespace Console {
namespace {

constexpr int kCells = kColumns * kRows;

struct State {
  uint8_t chars[kCells];
  uint8_t attrs[kCells];
  uint8_t remap[16];
  int column = 0;  // 0-based; kColumns after the last column of a row was written
  int row = 0;
  uint8_t attribute = 0x0F;
  bool coloursFixed = false;
  bool created = false;
  std::string title;
  std::string pendingLine;  // the line being written, for the transcript
  std::string stdoutBuffer;
  std::FILE* screenFile = nullptr;  // FONIX_SCREEN, opened at start
  std::unique_ptr<ConsoleDevice::Backend> device;
  Messages::Handler hooks[static_cast<int>(Messages::Kind::Wake) + 1] = {};

  State() {
    std::memset(chars, ' ', kCells);
    std::memset(attrs, attribute, kCells);
    for (int i = 0; i < 16; ++i) remap[i] = static_cast<uint8_t>(i);
  }
};

State& S() {
  static State state;
  return state;
}

ConsoleDevice::ScreenView View() {
  State& s = S();
  return {s.chars, s.attrs, s.remap, s.column, s.row};
}

// The braille display follows the row the console works on.
void ShowBrailleRow(int row) {
  State& s = S();
  BrailleDisplay::BrailleShowLine(std::string_view(reinterpret_cast<const char*>(s.chars) + row * kColumns, kColumns), row);
}

void DrawSpan(int row, int left, int right) {
  if (left < right) {
    Device().DrawSpan(View(), row, left, right);
    ShowBrailleRow(row);
  }
}

void ScrollUp() {
  State& s = S();
  std::memmove(s.chars, s.chars + kColumns, kCells - kColumns);
  std::memmove(s.attrs, s.attrs + kColumns, kCells - kColumns);
  std::memset(s.chars + kCells - kColumns, ' ', kColumns);
  std::memset(s.attrs + kCells - kColumns, s.attribute, kColumns);
  Device().Redraw(View());
}

// Ends the cursor's row: the touched span is drawn, the cursor moves down or the screen scrolls.
void EndRow(int& left, int& right) {
  State& s = S();
  DrawSpan(s.row, left, right);
  if (s.row == kRows - 1) ScrollUp();
  else ++s.row;
  left = kColumns;
  right = 0;
}

void FinishLine() {
  State& s = S();
  Transcript::Event("line", s.pendingLine);
  s.pendingLine.clear();
}

void WindowProc(const Messages::Message& m) {
  if (Messages::Handler hook = S().hooks[static_cast<int>(m.kind)]) return hook(m);
  if (m.kind == Messages::Kind::Close) ConsoleDone(3);
  Keyboard::HandleMessage(m);
}

bool AcceptsKeys() { return Keyboard::QueueCount() == 0; }

// A device with a window makes it now, its cells sized by the settings or the work area.
void CreateWindow(const Settings::VideoSettings& video) {
  ConsoleDevice::WindowDevice* window = Device().AsWindow();
  int areaWidth = 0, areaHeight = 0;
  if (!window || !window->WorkArea(areaWidth, areaHeight)) return;
  ConsoleDevice::Look look;
  look.face = video.fonte;
  look.cellWidth = Settings::LarguraLetraFor(video, areaWidth);
  look.cellHeight = Settings::AlturaLetraFor(video, areaHeight);
  look.weight = video.pesoLetra;
  look.maximised = !video.cantoTela;
  window->Create(look);
}

}  // namespace

bool OpenDevice(std::string& error) {
  if (S().device) return true;
  auto device = ConsoleDevice::OpenBackend(AcceptsKeys, error);
  if (!device) return false;
  UseDevice(std::move(device));
  return true;
}

void UseDevice(std::unique_ptr<ConsoleDevice::Backend> device) {
  S().device = std::move(device);
  Messages::SetHandler(WindowProc);
}

ConsoleDevice::Backend& Device() {
  State& s = S();
  if (!s.device) {
    std::string error;
    if (!OpenDevice(error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::exit(2);
    }
  }
  return *s.device;
}

ConsoleDevice::WindowDevice* DeviceWindow() { return Device().AsWindow(); }

ConsoleDevice::TerminalDevice* DeviceTerminal() { return Device().AsTerminal(); }

uint64_t WindowHandle() {
  const ConsoleDevice::WindowDevice* window = DeviceWindow();
  return window ? window->WindowHandle() : 0;
}

void ConsoleInit() {
  State& s = S();
  if (s.created) return;
  s.created = true;
  const Settings::VideoSettings video = Settings::ReadVideoSettings();
  std::copy(video.tabCores.begin(), video.tabCores.end(), s.remap);
  s.coloursFixed = video.coresFixas;
  s.attribute = static_cast<uint8_t>((video.corFundo << 4) | video.corLetra);
  std::memset(s.attrs, s.attribute, kCells);
  CreateWindow(video);
  Device().Redraw(View());
  Device().SetTitle(s.title);
  const int mode = Settings::ReadBrailleModo();
  BrailleInput::SetMode(mode == 3 ? 1 : mode, true);
  BrailleDisplay::BrailleOpen();
}

void ConsoleWrite(std::string_view bytes) {
  ConsoleInit();
  State& s = S();
  if (ConsoleDevice::TerminalDevice* terminal = DeviceTerminal()) terminal->WriteStream(bytes);
  int left = kColumns, right = 0;
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (b == 7) {
      if (!WaveOut::RingBell())  // the sound queue's beep once it is linked in
        if (ConsoleDevice::TerminalDevice* terminal = DeviceTerminal()) terminal->Beep();
    } else if (b == 8) {
      if (s.column > 0) {
        if (s.column > kColumns) s.column = kColumns;
        --s.column;
        s.chars[s.row * kColumns + s.column] = ' ';
        s.attrs[s.row * kColumns + s.column] = s.attribute;
        left = std::min(left, s.column);
        right = std::max(right, s.column + 1);
        if (!s.pendingLine.empty()) s.pendingLine.pop_back();
      }
    } else if (b == 10) {
      EndRow(left, right);
      s.column = 0;
      FinishLine();
    } else if (b == 13) {
      s.column = 0;
    } else if (b >= 32) {
      if (s.column >= kColumns) {
        s.column = 0;
        EndRow(left, right);
      }
      s.chars[s.row * kColumns + s.column] = b;
      s.attrs[s.row * kColumns + s.column] = s.attribute;
      left = std::min(left, s.column);
      right = std::max(right, s.column + 1);
      ++s.column;
      s.pendingLine.push_back(c);
    }
  }
  DrawSpan(s.row, left, right);
  Device().MoveCursor(View());
}

void ConsoleWriteChar(uint8_t byte) { ConsoleWrite(std::string_view(reinterpret_cast<const char*>(&byte), 1)); }

void ConsoleGotoXY(int column, int row) {
  ConsoleInit();
  State& s = S();
  // Clamped before the arithmetic: any int is a position, the smallest included.
  s.column = std::clamp(column, 1, kColumns) - 1;
  s.row = std::clamp(row, 1, kRows) - 1;
  Device().MoveCursor(View());
  ShowBrailleRow(s.row);
}

int ConsoleWhereX() {
  ConsoleInit();
  return S().column + 1;
}

int ConsoleWhereY() {
  ConsoleInit();
  return S().row + 1;
}

void ConsoleClear() {
  ConsoleInit();
  State& s = S();
  std::memset(s.chars, ' ', kCells);
  std::memset(s.attrs, s.attribute, kCells);
  s.column = 0;
  s.row = 0;
  Device().Redraw(View());
  Device().MoveCursor(View());
  ShowBrailleRow(s.row);
}

void ConsoleClearToEol() {
  ConsoleInit();
  State& s = S();
  const int from = std::min(s.column, kColumns);
  std::memset(s.chars + s.row * kColumns + from, ' ', kColumns - from);
  std::memset(s.attrs + s.row * kColumns + from, s.attribute, kColumns - from);
  DrawSpan(s.row, from, kColumns);
}

void ConsoleSetForeground(int colour) {
  ConsoleInit();
  State& s = S();
  if (!s.coloursFixed) s.attribute = static_cast<uint8_t>((s.attribute & 0xF0) | (colour & 0x0F));
}

void ConsoleSetBackground(int colour) {
  ConsoleInit();
  State& s = S();
  if (!s.coloursFixed) s.attribute = static_cast<uint8_t>((s.attribute & 0x0F) | ((colour * 16) & 0xF0));
}

uint8_t TextAttribute() { return S().attribute; }
void SetTextAttribute(uint8_t attribute) { S().attribute = attribute; }
void SetColoursFixed(bool fixed) { S().coloursFixed = fixed; }

void ConsoleDelay(int milliseconds) {
  ConsoleInit();
  const int64_t until = Messages::NowMs() + (milliseconds & 0xFFFF);
  for (;;) {
    Messages::PumpMessages();
    const int64_t left = until - Messages::NowMs();
    if (left <= 0) break;
    Messages::WaitMessage(static_cast<int>(left));
  }
  Messages::PumpMessages();
}

void ConsoleSetTitle(std::string_view title) {
  State& s = S();
  s.title.assign(title.substr(0, 79));
  Transcript::Event("title", s.title);
  if (s.device) s.device->SetTitle(s.title);
}

std::string ConsoleTitle() { return S().title; }

void ConsoleShow(ConsoleDevice::Visibility visibility) {
  ConsoleInit();
  if (ConsoleDevice::WindowDevice* window = DeviceWindow()) window->SetVisibility(visibility);
}

void ConsoleCopyText(std::string_view text) {
  ConsoleDevice::WindowDevice* window = S().device ? S().device->AsWindow() : nullptr;
  if (!window || !window->CopyText(text)) Clipboard::SetText(text);
}

std::string ConsolePasteText(std::size_t capacity) {
  if (capacity == 0) return {};
  std::string text;
  ConsoleDevice::WindowDevice* window = S().device ? S().device->AsWindow() : nullptr;
  if (!window || !window->PasteText(text)) text = Clipboard::GetText();
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

void ConsolePutText(int column, int row, std::string_view text, uint8_t attribute) {
  ConsoleInit();
  if (row < 1 || row > kRows || column > kColumns) return;
  State& s = S();
  const long long skip = std::max(0LL, 1LL - column);  // cells left of the screen
  if (static_cast<unsigned long long>(skip) >= text.size()) return;
  text.remove_prefix(static_cast<std::size_t>(skip));
  const int from = static_cast<int>(std::max<long long>(column - 1LL, 0));
  const int count = static_cast<int>(std::min<std::size_t>(text.size(), static_cast<std::size_t>(kColumns - from)));
  const int at = (row - 1) * kColumns + from;
  for (int i = 0; i < count; ++i) {
    const auto b = static_cast<uint8_t>(text[static_cast<std::size_t>(i)]);
    s.chars[at + i] = b < 32 ? ' ' : b;  // a cell never holds a control byte
  }
  std::memset(s.attrs + at, attribute, static_cast<std::size_t>(count));
  DrawSpan(row - 1, from, from + count);
}

void ConsoleStreamText(std::string_view text) {
  ConsoleInit();
  if (ConsoleDevice::TerminalDevice* terminal = DeviceTerminal()) terminal->WriteStream(text);
  for (char c : text)
    if (static_cast<uint8_t>(c) >= 32) S().pendingLine.push_back(c);
}

void ShowBand(const ConsoleDevice::Band& band) {
  ConsoleInit();
  Device().ShowBand(View(), band);
}

void HideBand() {
  ConsoleInit();
  Device().HideBand(View());
}

bool SuspendDevice() {
  ConsoleInit();
  return LendTerminal();
}

bool LendTerminal() {
  ConsoleDevice::TerminalDevice* terminal = DeviceTerminal();
  return terminal && terminal->LendTerminal();
}

void ResumeDevice() {
  if (ConsoleDevice::TerminalDevice* terminal = DeviceTerminal()) terminal->ReclaimTerminal();
}

void ConsoleDone(int status) {
  Keyboard::ClearQueue();
  throw ProgramExit{status};
}

void ExitStep() {
  if (S().created) ConsoleSetTitle("Programa terminado");
}

bool OpenScreenFile(std::string& error) {
  State& s = S();
  const char* path = std::getenv("FONIX_SCREEN");
  if (!path || !*path || s.screenFile) return true;
  s.screenFile = std::fopen(path, "w");
  if (!s.screenFile) error = std::string("não foi possível criar o arquivo de tela ") + path;
  return s.screenFile != nullptr;
}

bool Shutdown() {
  State& s = S();
  if (!s.stdoutBuffer.empty()) {
    std::string rest;
    rest.swap(s.stdoutBuffer);
    ConsoleWrite(rest);
  }
  if (!s.pendingLine.empty()) FinishLine();
  bool written = true;
  std::string error;
  if (OpenScreenFile(error) && s.screenFile) {
    for (int r = 1; r <= kRows; ++r) {
      const std::string line = Cp1252::ToUtf8(RowText(r)) + "\n";
      if (std::fwrite(line.data(), 1, line.size(), s.screenFile) != line.size()) written = false;
    }
    if (std::fclose(s.screenFile) != 0) written = false;
    s.screenFile = nullptr;
  } else if (!error.empty()) {
    written = false;
  }
  if (s.device) s.device->Shutdown();
  s.device.reset();  // before the event loop it is registered with goes away
  s.created = false;
  return written;
}

void SetMessageHook(Messages::Kind kind, Messages::Handler handler) {
  S().hooks[static_cast<int>(kind)] = handler;
}

void StdoutWrite(std::string_view bytes) {
  State& s = S();
  for (char c : bytes) {
    s.stdoutBuffer.push_back(c);
    if (s.stdoutBuffer.size() == 128) {
      std::string chunk;
      chunk.swap(s.stdoutBuffer);
      ConsoleWrite(chunk);
      Keyboard::ConsoleKeyPressed();
    }
  }
  if (!s.stdoutBuffer.empty()) {
    std::string chunk;
    chunk.swap(s.stdoutBuffer);
    ConsoleWrite(chunk);
    Keyboard::ConsoleKeyPressed();
  }
}

std::string RowText(int row) {
  State& s = S();
  if (row < 1 || row > kRows) return {};
  std::string text(reinterpret_cast<const char*>(s.chars + (row - 1) * kColumns), kColumns);
  text.resize(TextKit::TrimTrailingSpaces(text).size());
  return text;
}

uint8_t CellAttribute(int column, int row) {
  if (column < 1 || column > kColumns || row < 1 || row > kRows) return 0;
  return S().attrs[(row - 1) * kColumns + column - 1];
}

void ResetConsole() {
  State& s = S();
  s.attribute = 0x0F;
  std::memset(s.chars, ' ', kCells);
  std::memset(s.attrs, s.attribute, kCells);
  for (int i = 0; i < 16; ++i) s.remap[i] = static_cast<uint8_t>(i);
  s.column = s.row = 0;
  s.coloursFixed = false;
  s.created = false;
  s.title.clear();
  s.pendingLine.clear();
  s.stdoutBuffer.clear();
  ResetImage();
  ResetTone();
}

}  // namespace Console
