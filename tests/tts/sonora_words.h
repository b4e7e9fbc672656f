// Tests of the shipped text data: a fixture that loads the engine's data files and the
// phonemes it gives each word of a text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/text/cp1252.h"
#include "tts/text_engine.h"

class SonoraData : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(Sonora::LoadTextData(Sonora::DataFilesIn(SONORA_DATA_DIR), error)) << Cp1252::ToUtf8(error);
  }
  void TearDown() override { Sonora::ResetTextData(); }
};

// "word: phonemes" for each word of the text (UTF-8 in and out).
inline std::vector<std::string> Words(std::string_view utf8) {
  std::vector<std::string> out;
  std::string current;
  bool inWord = false;
  for (const std::string& line : Sonora::TextToPhonemeLines(Cp1252::FromUtf8(utf8))) {
    if (!line.empty() && line[0] == ';') {
      current = Cp1252::ToUtf8(line.substr(5)) + ":";
      inWord = true;
    } else if (line.empty()) {
      if (inWord && current.size() > 1) out.push_back(current);
      inWord = false;
    } else if (inWord && line != "__") {
      current += ' ' + Cp1252::ToUtf8(line);
    }
  }
  return out;
}
