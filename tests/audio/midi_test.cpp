// MIDI output: the messages sent, the written error of a refused program change, a missing
// sound font, and notes that sound in the synthesizer's capture file.
#include <filesystem>

#include "audio_fixture.h"
#include "platform/midi/midiout.h"
#include "services/midi.h"

namespace {

constexpr const char* kFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

class MidiTest : public AudioTest {
 protected:
  void TearDown() override {
    Midi::MidiClose();
    unsetenv("FONIX_SOUNDFONT");
    unsetenv("FONIX_AUDIO");
    AudioTest::TearDown();
  }
};

TEST_F(MidiTest, WithoutASynthesizerNotesDoNothingAndAProgramChangeSaysSo) {
  setenv("FONIX_SOUNDFONT", (drive.base / "nenhuma.sf2").c_str(), 1);
  setenv("FONIX_AUDIO", "null", 1);
  Midi::MidiOpen();
  EXPECT_FALSE(MidiOut::IsOpen());
  Midi::MidiNote(0, 60, 100);
  EXPECT_EQ(MidiOut::LastMessage(), 144u + 60 * 256 + 100 * 65536);
  EXPECT_EQ(Console::RowText(1), "");
  Midi::MidiProgram(0, 40);
  EXPECT_EQ(MidiOut::LastMessage(), 192u + 40 * 256);
  EXPECT_EQ(Console::RowText(1), "erro em ProgramChange");
}

TEST_F(MidiTest, NotesSoundInTheSynthesizersCaptureFile) {
  if (!std::filesystem::exists(kFont)) GTEST_SKIP() << "no General MIDI sound font";
  const std::string capture = (drive.base / "midi.wav").string();
  setenv("FONIX_AUDIO", ("capture:" + capture).c_str(), 1);
  Midi::MidiOpen();
  ASSERT_TRUE(MidiOut::IsOpen());
  Midi::MidiProgram(0, 40);
  EXPECT_EQ(Midi::LastResult(), 0);
  Console::ConsoleDelay(100);
  Midi::MidiNote(0, 60, 100);
  Console::ConsoleDelay(300);
  Midi::MidiNote(9, 36, 0);
  EXPECT_EQ(MidiOut::LastMessage(), 153u + 36 * 256);
  Midi::MidiNote(0, 60, 0);
  Midi::MidiClose();
  EXPECT_EQ(Console::RowText(1), "");
  const Capture c = ReadCapture(WaveOut::CaptureMidiPath(capture));
  EXPECT_EQ(c.rate, 44100);
  EXPECT_EQ(c.channels, 2);
  ASSERT_GT(c.data.size(), 44100u * 4 / 5) << "about 400 ms rendered";
  int loud = 0;
  for (std::size_t i = 0; i + 1 < c.data.size(); i += 2)
    loud += std::abs(static_cast<int16_t>(c.data[i] | (c.data[i + 1] << 8))) > 300;
  EXPECT_GT(loud, 1000) << "the note sounded";
  // The silence before the note stays silent.
  for (std::size_t i = 0; i + 1 < 44100 / 20 * 4; i += 2)
    ASSERT_LT(std::abs(static_cast<int16_t>(c.data[i] | (c.data[i + 1] << 8))), 100) << i;
  EXPECT_FALSE(std::filesystem::exists(capture)) << "the sound queue's own file is not touched";
}

}  // namespace
