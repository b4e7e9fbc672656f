// What the built-in voice says for numbers, words, marks, times and dates, seen through the
// recorded sounds it plays (the transcript).
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/interp_fixture.h"
#include "speech/diphone_data.h"
#include "speech/recorded_numbers.h"
#include "speech/speech_data.h"
#include "speech/speech.h"
#include "speech/speech_server.h"
#include "speech/speech_state.h"
#include "audio/sound_queue.h"
#include "tests/support/recording_device.h"
#include "speech/speech_data.h"
#include "speech/diphone_data.h"
#include "settings/settings.h"

namespace {

class SpeechTest : public InterpTest {
 protected:
  // The sounds played by saying `text` (UTF-8): char:, word:, phrase:, spell:, click.
  std::vector<std::string> Said(const std::string& text) {
    Start("");
    Speech::Speak(Cp1252::FromUtf8(text));
    return Sounds();
  }

  std::vector<std::string> Sounds() {
    std::vector<std::string> out;
    for (const std::string& e : Events()) {
      // A run of blanks alone is silent.
      if (e.starts_with("phrase:") && e.find_first_not_of(' ', 7) == std::string::npos) continue;
      if (e.starts_with("char:") || e.starts_with("word:") || e.starts_with("phrase:") || e.starts_with("spell:") ||
          e == "click")
        out.push_back(e);
    }
    return out;
  }

  static std::vector<std::string> Words(std::initializer_list<const char*> names) {
    std::vector<std::string> out;
    for (const char* n : names) out.push_back(std::string("word: ") + n);
    return out;
  }
};

TEST_F(SpeechTest, NumbersAndZeros) {
  EXPECT_EQ(Said("007"), Words({"_zero", "_zero", "_sete"}));
  EXPECT_EQ(Said("17 16"), Words({"_dezeset", "_dezesse"}));
  EXPECT_EQ(Said("123456"), Words({"_cento", "_e", "_vinte", "_e", "_tres", "_mil", "_quatroc", "_e", "_cinquen",
                                   "_e", "_seis"}));
  EXPECT_EQ(Said("1050"), Words({"_mil", "_e", "_cinquen"}));
  auto seven = Said("1234567");
  ASSERT_FALSE(seven.empty());
  EXPECT_EQ(seven[0], "spell: 1234567");
  EXPECT_EQ(std::count(seven.begin(), seven.end(), "char: 49"), 1);
  EXPECT_EQ(Said("12-3")[0], "spell: 12-3");
  EXPECT_EQ(Said("-5"), Words({"_MENOS", "_cinco"}));
}

TEST_F(SpeechTest, WordsAndMarks) {
  EXPECT_EQ(Said("www."), (std::vector<std::string>{"spell: www", "char: 119", "char: 119", "char: 119", "char: 46"}));
  EXPECT_EQ(Said("www ponto")[0], "phrase: WWW PONTO ");
  EXPECT_EQ(Said("====="), (std::vector<std::string>{"char: 61", "char: 61", "char: 61", "char: 61", "click"}));
  EXPECT_EQ(Said("a-b"), (std::vector<std::string>{"phrase: A", "phrase: B "}));
  EXPECT_EQ(Said("a - b"), (std::vector<std::string>{"phrase: A ", "char: 45", "phrase:  B "}));
  EXPECT_EQ(Said("ação!"), (std::vector<std::string>{"phrase: AÇÃO", "char: 33"}));
  EXPECT_EQ(Said("http://x"), (std::vector<std::string>{"phrase: HTTP", "spell: :", "char: 58", "char: 47",
                                                         "char: 47", "phrase: X "}));
}

TEST_F(SpeechTest, TimesAndDates) {
  Speech::SayTime(12, 1);
  EXPECT_EQ(Sounds(), Words({"_doze", "_horas", "_um", "_minuto"}));
  Start("");
  Speech::SayTime(1, 0);
  EXPECT_EQ(Sounds(), Words({"_uma", "_hora"}));
  Start("");
  Speech::SayTime(2, 2);
  EXPECT_EQ(Sounds(), Words({"_duas", "_horas", "_dois", "_minutos"}));
  Start("");
  Speech::SayDate(1, 3, 2024);
  EXPECT_EQ(Sounds(), Words({"_Sexta", "_primeir", "_de", "_Marco", "_de", "_dois", "_mil", "_e", "_vinte", "_e",
                             "_quatro"}));
  Start("");
  Speech::SayDate(15, 2, 1999);
  EXPECT_EQ(Sounds(), Words({"_Segunda", "_quinze", "_de", "_Feverei", "_de", "_noventa", "_e", "_nove"}));
  EXPECT_EQ(Speech::NumberWords(1000000), "um milhao");
  EXPECT_EQ(Speech::NumberWords(53), "cinquenta e tres");
}

TEST_F(SpeechTest, AWaitingKeyEndsTheWalk) {
  Start("x");
  Keyboard::ConsoleKeyPressed();  // the key reaches the queue
  Speech::Speak("um texto longo que nunca termina 123");
  EXPECT_TRUE(Sounds().empty());
  const auto events = Events();
  EXPECT_NE(std::find(events.begin(), events.end(), "stop"), events.end());
  EXPECT_EQ(Keyboard::QueueCount(), 1);  // the key stays for its reader
}

TEST_F(SpeechTest, SpeedFromTheSettings) {
  Paths::EnsureDriveC();
  ASSERT_TRUE(SpeechData::InstallSpeechData());
  ASSERT_TRUE(SpeechData::InstallDiphoneData());
  const std::string folder = std::string(getenv("XDG_CONFIG_HOME")) + "/Auris";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/Auris.ini") << "[TRADUTOR]\nVELOCIDADE=9\n";
  Settings::ResetSettings();
  Speech::InitSpeech(0, "");
  EXPECT_EQ(Speech::Speed(), 3);
  std::ofstream(folder + "/Auris.ini") << "[TRADUTOR]\nVELOCIDADE=5\n";
  Settings::ResetSettings();
  Speech::InitSpeech(0, "");
  EXPECT_EQ(Speech::Speed(), 5);
  Speech::InitSpeech(2, "");
  EXPECT_EQ(Speech::Speed(), 2);
  std::filesystem::remove(folder + "/Auris.ini");
}

TEST_F(SpeechTest, AResetStartsTheManagerAfresh) {
  Paths::EnsureDriveC();
  ASSERT_TRUE(SpeechData::InstallSpeechData());
  ASSERT_TRUE(SpeechData::InstallDiphoneData());
  Speech::InitSpeech(2, "c:\\palavras");
  const auto click = Speech::St().click;
  Speech::ResetSpeech();
  EXPECT_EQ(Speech::Speed(), 3);
  EXPECT_TRUE(Speech::St().wordsFolder.empty());
  EXPECT_FALSE(Speech::St().clickMade);
  // A second run starts as the first did, the click made again.
  Speech::InitSpeech(2, "c:\\palavras");
  EXPECT_EQ(Speech::Speed(), 2);
  EXPECT_EQ(Speech::St().wordsFolder, "c:\\palavras\\");
  EXPECT_EQ(Speech::St().click, click);
  Speech::ResetSpeech();
}

// Each server type reaches its own server; every type without one, the SAPI 5 voice.
TEST(SpeechServerTest, TheTypeChoosesTheServer) {
  EXPECT_EQ(Speech::ServerFor(3).type, 3);
  EXPECT_EQ(Speech::ServerFor(4).type, 4);
  for (int type : {54, 5, 0, 99}) EXPECT_EQ(Speech::ServerFor(type).type, 54) << type;
  // Only the engine is stopped when it says it is silent.
  EXPECT_TRUE(Speech::ServerFor(3).stopsWhenSilent);
  EXPECT_FALSE(Speech::ServerFor(4).stopsWhenSilent);
  EXPECT_FALSE(Speech::ServerFor(54).stopsWhenSilent);
}

}  // namespace

namespace {

class SpeechStartTest : public InterpTest {};

TEST_F(SpeechStartTest, AMissingLettersFolderEndsTheStart) {
  Paths::EnsureDriveC();
  ASSERT_TRUE(SpeechData::InstallDiphoneData());
  const std::string folder = std::string(getenv("XDG_CONFIG_HOME")) + "/Auris";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/Auris.ini") << "[TRADUTOR]\nDIRLETRAS=c:\\nao\\existe\n";
  Settings::ResetSettings();
  Start("{ENTER}");
  try {
    Speech::InitSpeech(0, "");
    ADD_FAILURE() << "the start went on";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.status, 1);
  }
  const auto events = Events();
  EXPECT_NE(std::find(events.begin(), events.end(), "line: Erro de inicialização: 1"), events.end());
  EXPECT_NE(std::find(events.begin(), events.end(), "line: Banco de dados de voz: DIFONES2"), events.end());
  std::filesystem::remove(folder + "/Auris.ini");
  Settings::ResetSettings();
}

TEST_F(SpeechStartTest, AnyBytesAreSaidWithoutHarm) {
  std::vector<uint8_t> sound;
  ASSERT_TRUE(StartRecordedVoice(sound, 3));
  auto& timing = Speech::St().timing;
  timing.pausaPonto = timing.pausaVirg = timing.pausaDoisPontos = 0;  // the marks' waits
  std::string text(100000, ' ');
  uint32_t seed = 7;
  for (char& c : text) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  Speech::Speak(text);
  EXPECT_GT(sound.size(), 100000u);
  Speech::Spell(text.substr(0, 5000));
  SoundQueue::ResetSoundQueue();
}

}  // namespace
