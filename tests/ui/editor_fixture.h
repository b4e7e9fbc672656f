// Test support: FONIX lines and the console's user interface run with a key script on the
// headless console while the recorded voice plays at once; the transcript, variables,
// screen, colours and clipboard are then looked at.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/recording_device.h"
#include "tests/support/interp_fixture.h"
#include "ui/line_editor.h"
#include "console/magnifier.h"
#include "ui/screen_review.h"
#include "interpreter/text.h"
#include "platform/desktop/clipboard.h"

class EditorTest : public InterpTest {
 protected:
  void SetUp() override {
    InterpTest::SetUp();
    ASSERT_TRUE(StartRecordedVoice(sound_, 3));
    LineEditor::ResetLineEditor();
    ScreenReview::ResetScreenReview();
    Magnifier::ResetMagnifier();
    Clipboard::SetText("");
  }
  void TearDown() override {
    SoundQueue::ResetSoundQueue();
    std::filesystem::remove(SettingsFile());
    Settings::ResetSettings();
    InterpTest::TearDown();
  }

  static std::filesystem::path SettingsFile() {
    return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Auris" / "Auris.ini";
  }
  // Writes the settings file (UTF-8 text, written as Windows-1252).
  static void WriteSettings(const std::string& text) {
    std::filesystem::create_directories(SettingsFile().parent_path());
    std::ofstream(SettingsFile()) << Cp1252::FromUtf8(text);
    Settings::ResetSettings();
  }

  // Runs the lines with the keys typed; true when the program ended normally (false when
  // it failed or the keys ran out while it waited for one).
  bool Type(const std::string& keys, const std::vector<std::string>& lines) {
    Start(keys);
    try {
      return Run(lines).outcome == Interp::Outcome::Normal;
    } catch (const ProgramExit&) {
      return false;
    }
  }

  // Runs the line editor on `field` (UTF-8 in and out) with the keys typed; `watch` runs at
  // every pump of the event loop meanwhile (to see the screen while the editor runs).
  uint8_t Edit(const std::string& keys, std::string& field, int maxLength, int width = 40, int column = 1, int row = 5,
               std::function<void()> watch = nullptr) {
    Start(keys);
    if (watch) {
      Messages::Source src;
      src.fd = [] { return -1; };
      src.dueInMs = [] { return 0; };
      src.drain = watch;
      Messages::AddSource(std::move(src));
    }
    std::string text = Cp1252::FromUtf8(field);
    const uint8_t code = LineEditor::EditLine(text, column, row, width, maxLength);
    field = Cp1252::ToUtf8(text);
    return code;
  }

  // The attributes of cells [from, to] of a row, as hexadecimal bytes.
  static std::string Attributes(int row, int from, int to) {
    std::string out;
    char buf[4];
    for (int c = from; c <= to; ++c) {
      std::snprintf(buf, sizeof buf, "%02X", Console::CellAttribute(c, row));
      out += (out.empty() ? "" : " ") + std::string(buf);
    }
    return out;
  }

  // The events of these kinds, in order ("say", "word", "beep" ...).
  std::vector<std::string> Only(std::initializer_list<std::string_view> kinds) {
    std::vector<std::string> out;
    for (const std::string& e : Events())
      for (std::string_view k : kinds)
        if (e == k || (e.starts_with(k) && e.size() > k.size() && e[k.size()] == ':')) out.push_back(e);
    return out;
  }
  int Count(const std::string& event) {
    int n = 0;
    for (const std::string& e : Events()) n += e == event;
    return n;
  }
  bool Has(const std::string& event) { return Count(event) > 0; }

  // A variable's text as UTF-8 ("$name" or a letter, in any case).
  std::string Var(const std::string& name) { return InterpTest::Var(Cp1252::ToUtf8(Text::Fold(Cp1252::FromUtf8(name)))); }

  // A screen row as UTF-8, trailing blanks removed.
  static std::string Row(int row) { return Cp1252::ToUtf8(Console::RowText(row)); }

  std::vector<uint8_t> sound_;
};
