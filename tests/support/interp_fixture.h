// Test support: runs FONIX lines in a clean interpreter on a headless console with a key
// script, and gives back the outcome and the transcript.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "settings/settings.h"
#include "interpreter/run.h"
#include "interpreter/state.h"
#include "interpreter/variables.h"
#include "platform/headless/console_headless.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "speech/speech.h"
#include "platform/files/paths.h"
#include "platform/headless/transcript.h"

class InterpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Settings and drive C of the test's own, never the user's.
    // Per process: ctest runs test cases side by side.
    const std::string root = ::testing::TempDir() + "fonix_unit_" + std::to_string(getpid());
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("FONIX_DRIVE_C", (root + "/c").c_str(), 1);
    Settings::ResetSettings();
    Paths::ResetPaths();
    Start("");
  }
  void TearDown() override {
    Transcript::Close();
    std::remove(path_.c_str());
  }

  // Fresh interpreter, console and keyboard; `keys` in the FONIX_KEYS grammar.
  void Start(const std::string& keys) {
    Transcript::Close();
    Messages::ResetMessages();
    Console::ResetConsole();
    // The sound queue's completions come back through the console, as speech start-up
    // connects them in a real run.
    Speech::ConnectSoundQueue();
    Keyboard::ResetKeyboard();
    std::vector<KeyScript::Item> items;
    std::string error;
    ASSERT_TRUE(KeyScript::Parse(keys, items, error)) << error;
    Console::UseDevice(ConsoleDevice::OpenHeadless(std::move(items), [] { return Keyboard::QueueCount() == 0; }));
    path_ = ::testing::TempDir() + "fonix_transcript_" + std::to_string(getpid());
    Transcript::Open(path_);
    Interp::ResetInterpreter();
  }

  // Stores the lines (UTF-8 source text) and runs them; returns the outcome and line.
  Interp::RunResult Run(const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) Interp::StoreLine(Cp1252::FromUtf8(lines[i]), static_cast<int>(i + 1));
    return Interp::RunProgram();
  }

  // Transcript events so far (UTF-8), one per element.
  std::vector<std::string> Events() {
    std::ifstream in(path_);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }

  // A variable's text as UTF-8 ("$NAME" or a letter).
  std::string Var(const std::string& name) {
    const int code = name[0] == '$' ? Variables::VariableCodeForName(Cp1252::FromUtf8(name.substr(1)))
                                    : Variables::LetterCode(name[0]);
    return Cp1252::ToUtf8(Variables::GetVariable(code));
  }

  bool Line(const std::string& line) { return Interp::ExecuteLine(Cp1252::FromUtf8(line), false); }

  std::string path_;
};
