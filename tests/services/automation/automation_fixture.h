// Test support for the automation commands: a real X server with openbox and the GTK 3
// window of alvo.py, whose report file says what it received; X helpers to look at the
// keyboard state left behind.
#pragma once

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "interpreter/commands.h"
#include "platform/terminal/terminal_clipboard.h"
#include "tests/services/programs/programs_fixture.h"
#include "tests/support/x_server.h"
// After GoogleTest: Xlib's macros (None, Bool ...) would break its headers.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <X11/Xlib.h>

class AutomationTest : public ProgramsTest {
 protected:
  void SetUp() override {
    setenv("FONIX_AUDIO", "null", 1);
    ProgramsTest::SetUp();
    Commands::ResetAutomation();
    report_ = dir_ / "relato.txt";
  }
  void TearDown() override {
    TerminalClipboard::Detach();
    Commands::ResetAutomation();
    ProgramsTest::TearDown();
  }

  // Starts the GTK window (accessibility bridge off unless asked) and waits for it to be
  // ready and in front; its process id.
  pid_t StartTarget(XServer& x, bool accessible = false, const std::string& title = "Alvo de teste") {
    // Without the accessibility test's bus the window gets none: no session bus may be
    // launched for it that would outlive the test.
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string saved = bus ? bus : "";
    if (!accessible) {
      setenv("NO_AT_BRIDGE", "1", 1);
      setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    }
    const pid_t pid = x.Client({"/usr/bin/python3", FONIX_ALVO, report_.string(), title});
    unsetenv("NO_AT_BRIDGE");
    if (!accessible) {
      if (bus) setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
      else unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    Until([&] { return Has("pronto"); }, 30000);
    Until([&] { return Cp1252::ToUtf8(DesktopWindows_Title()) == title; }, 10000);
    return pid;
  }

  // The lines the window reported so far.
  std::vector<std::string> Reported() {
    std::istringstream in(ReadFile(report_));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  bool Has(const std::string& line) {
    for (const std::string& l : Reported())
      if (l == line) return true;
    return false;
  }
  // The last line starting with `prefix`, empty when none.
  std::string Last(const std::string& prefix) {
    std::string found;
    for (const std::string& l : Reported())
      if (l.rfind(prefix, 0) == 0) found = l;
    return found;
  }
  // Waits until the last line starting with `prefix` is `line`.
  bool LastBecomes(const std::string& prefix, const std::string& line) {
    return Until([&] { return Last(prefix) == line; }, 10000);
  }

  // The window title in front (Windows-1252), as CAPTURA TITULO reads it.
  std::string DesktopWindows_Title() {
    if (!Line("CAPTURA TITULO $fonix_titulo")) return {};
    return Cp1252::FromUtf8(Var("$FONIX_TITULO"));
  }

  // The keyboard mapping and the keys held down, straight from the server.
  static std::vector<KeySym> KeyboardMapping() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return {};
    int min = 0, max = 0, per = 0;
    XDisplayKeycodes(d, &min, &max);
    KeySym* syms = XGetKeyboardMapping(d, static_cast<KeyCode>(min), max - min + 1, &per);
    std::vector<KeySym> all(syms, syms + (max - min + 1) * per);
    XFree(syms);
    XCloseDisplay(d);
    return all;
  }
  static bool AnyKeyDown() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return true;
    char keys[32];
    XQueryKeymap(d, keys);
    XCloseDisplay(d);
    for (char k : keys)
      if (k) return true;
    return false;
  }
  static bool NumLockOn() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    XkbStateRec state{};
    XkbGetState(d, XkbUseCoreKbd, &state);
    const unsigned mask = XkbKeysymToModifiers(d, XK_Num_Lock);
    XCloseDisplay(d);
    return (state.locked_mods & mask) != 0;
  }

  std::filesystem::path report_;
};
