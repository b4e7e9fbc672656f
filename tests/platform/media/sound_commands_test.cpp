// The sound commands as scripts use them: TOCA waited and not, ended by a key that it
// consumes; MENSAGEM on names with and without ".wav" in any letter case, cut short by a
// key; MCI with its answers; MIDI in every form, heard from the synthesizer; and keys that
// still silence speech while an address is slow to open.
#include <filesystem>

#include "interpreter/sound_commands.h"
#include "platform/media/mci.h"
#include "platform/media/mci_audio.h"
#include "platform/midi/midiout.h"
#include "tests/audio/audio_fixture.h"
#include "tests/support/local_server.h"
#include "tests/platform/media/sound_analysis.h"
#include "tests/support/interp_fixture.h"
#include "audio/sound_queue.h"

namespace {

using NetTest::HttpFileServer;

// The capture reader of the sound output tests.
struct CaptureReader : AudioTest {
  using AudioTest::ReadCapture;
};

class SoundCommandsTest : public InterpTest {
 protected:
  void SetUp() override {
    InterpTest::SetUp();
    root_ = std::filesystem::path(::testing::TempDir()) / ("fonix_sound_" + std::to_string(getpid()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    capture_ = (root_ / "captura.wav").string();
    setenv("FONIX_AUDIO", ("capture:" + capture_).c_str(), 1);
    Begin("");
  }
  void TearDown() override {
    SoundCommands::ResetSoundCommands();
    SoundQueue::ResetSoundQueue(WaveOut::OpenNull());
    unsetenv("FONIX_AUDIO");
    std::filesystem::remove_all(root_);
    InterpTest::TearDown();
  }

  // A fresh interpreter with `keys`, the sound queue on a new capture file.
  void Begin(const std::string& keys) {
    SoundCommands::ResetSoundCommands();
    Start(keys);
    SoundQueue::ResetSoundQueue(WaveOut::OpenCapture(capture_));
  }

  std::filesystem::path DriveC() const { return getenv("FONIX_DRIVE_C"); }

  // ffmpeg makes c:\sons\NAME.
  std::string Make(const std::string& name, const std::string& inputs) {
    const std::filesystem::path host = DriveC() / "sons" / name;
    std::filesystem::create_directories(host.parent_path());
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + inputs + " '" + host.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return "c:\\sons\\" + name;
  }
  static std::string Tone(double hz, double seconds) {
    return "-f lavfi -i sine=frequency=" + std::to_string(hz) + ":sample_rate=44100:duration=" + std::to_string(seconds);
  }

  int64_t Timed(const std::vector<std::string>& lines, Interp::RunResult* result = nullptr) {
    const int64_t start = Messages::NowMs();
    const Interp::RunResult r = Run(lines);
    if (result) *result = r;
    return Messages::NowMs() - start;
  }

  Sound HeardMci() {
    Mci::ResetMci();
    return Channels(CaptureReader::ReadCapture(MciAudio::CapturePath(capture_)));
  }
  Capture HeardWave() {
    SoundQueue::CloseSoundQueue();
    return CaptureReader::ReadCapture(capture_);
  }
  bool Logged(const std::string& event) {
    for (const std::string& e : Events())
      if (e == event) return true;
    return false;
  }

  std::filesystem::path root_;
  std::string capture_;
};

TEST_F(SoundCommandsTest, TocaWaitsForTheSoundAndAKeyEndsItAndIsConsumed) {
  Make("tom.wav", Tone(440, 1.0));
  Make("longo.wav", Tone(660, 3.0));
  Interp::RunResult r;
  const int64_t whole = Timed({"toca \"c:\\sons\\tom.wav\""}, &r);
  EXPECT_EQ(r.outcome, Interp::Outcome::Normal);
  EXPECT_GE(whole, 950) << "TOCA waits for the sound";
  EXPECT_EQ(Mci::OpenCount(), 0) << "myfile is closed";
  EXPECT_TRUE(Logged("wav: c:\\sons\\tom.wav"));
  Sound s = HeardMci();
  auto runs = LoudRuns(s, s.left);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NEAR(runs[0].Length(), 1.0, 0.06) << "played to its end";
  EXPECT_NEAR(ToneFrequency(s, s.left, runs[0].start + 0.1, 0.5), 440, 5);

  Begin("{WAIT 400}x");
  const int64_t cut = Timed({"toca \"c:\\sons\\longo.wav\""}, &r);
  EXPECT_EQ(r.outcome, Interp::Outcome::Normal);
  EXPECT_LT(cut, 2500) << "a key ends the playback of three seconds";
  EXPECT_EQ(Keyboard::QueueCount(), 0) << "and is consumed";
  EXPECT_EQ(Mci::OpenCount(), 0);

  s = HeardMci();
  runs = LoudRuns(s, s.left);
  ASSERT_LE(runs.size(), 1u);
  if (!runs.empty()) EXPECT_LT(runs[0].Length(), 2.0) << "cut short by the key";
}

TEST_F(SoundCommandsTest, TocaWithAmpersandGoesOnAtOnce) {
  Make("meu tom.ogg", Tone(550, 2.0) + " -c:a libvorbis");
  Interp::RunResult r;
  Timed({"toca \"c:\\sons\\meu tom.ogg\" &"}, &r);
  EXPECT_EQ(r.outcome, Interp::Outcome::Normal);
  EXPECT_EQ(Mci::OpenCount(), 1) << "a name with a blank plays too";
  std::string answer;
  Mci::SendString("status \"c:\\sons\\meu tom.ogg\" mode", answer);
  EXPECT_EQ(answer, "playing") << "the script went on while the sound plays";
  const int64_t until = Messages::NowMs() + 6000;
  while (Mci::OpenCount() > 0 && Messages::NowMs() < until) Console::ConsoleDelay(20);
  EXPECT_EQ(Mci::OpenCount(), 0) << "closed once played";
  // A file that cannot play is silent; the command still succeeds once it read its file.
  EXPECT_TRUE(Line("toca \"c:\\sons\\nada.mp3\""));
  EXPECT_TRUE(Line("toca \"c:\\sons\\nada.mp3\" &"));
  EXPECT_FALSE(Line("toca"));
  EXPECT_FALSE(Line("toca \"a.wav\" \"b.wav\""));
  const Sound s = HeardMci();
  const auto runs = LoudRuns(s, s.left);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NEAR(runs[0].Length(), 2.0, 0.1);
}

TEST_F(SoundCommandsTest, MensagemFindsTheWaveInAnyLetterCaseAndAKeyCutsItShort) {
  std::vector<uint8_t> samples(11025 / 2);  // half a second of a square wave
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 20) % 2 ? 200 : 56;
  const std::vector<uint8_t> image = WaveImage(11025, 8, 1, samples);
  std::filesystem::create_directories(DriveC() / "sons");
  std::ofstream(DriveC() / "sons" / "inicio.wav", std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  Interp::RunResult r;
  const int64_t took = Timed({"mensagem \"c:\\sons\\inicio\"", "mensagem \"c:\\Sons\\Inicio.Wav\"",
                              "mensagem \"x.wav\"", "mensagem \"c:\\sons\\ação\""},
                             &r);
  EXPECT_EQ(r.outcome, Interp::Outcome::Normal) << "a missing file is silent";
  EXPECT_GE(took, 950) << "each message is waited for";
  const std::vector<std::string> expected = {"wav: C:\\SONS\\INICIO.WAV", "wav: C:\\SONS\\INICIO.WAV", "wav: X.WAV",
                                             "wav: C:\\SONS\\AÇÃO.WAV"};
  std::vector<std::string> wavs;
  for (const std::string& e : Events())
    if (e.starts_with("wav: ")) wavs.push_back(e);
  EXPECT_EQ(wavs, expected);
  const Capture c = HeardWave();
  EXPECT_EQ(c.rate, 11025);
  EXPECT_GE(c.data.size(), 2 * samples.size()) << "played twice";
  EXPECT_LT(c.data.size(), 2 * samples.size() + 600);

  EXPECT_FALSE(Line("mensagem"));

  // A long message and a key after 300 ms.
  std::vector<uint8_t> longer(11025 * 3, 0);
  for (std::size_t i = 0; i < longer.size(); ++i) longer[i] = (i / 20) % 2 ? 200 : 56;
  const std::vector<uint8_t> longImage = WaveImage(11025, 8, 1, longer);
  std::ofstream(DriveC() / "sons" / "LONGA.WAV", std::ios::binary)
      .write(reinterpret_cast<const char*>(longImage.data()), static_cast<std::streamsize>(longImage.size()));
  Begin("{WAIT 300}x");
  EXPECT_LT(Timed({"mensagem \"c:\\sons\\longa\""}), 1000);
  EXPECT_EQ(Keyboard::QueueCount(), 1) << "the key stays for the script";
  const Capture cut = HeardWave();
  EXPECT_LT(cut.data.size(), longer.size() / 3);
}

TEST_F(SoundCommandsTest, MciGivesItsAnswerToTheVariable) {
  Make("musica.wav", Tone(440, 1.0));
  Interp::RunResult r;
  Timed({"mci $abre \"open c:\\sons\\musica.wav alias musica\"", "mci $toca \"play musica\"",
         "mci $m \"status musica mode\"", "mci $pos \"status musica length\"", "mci $nada \"dance musica\"",
         "mci $fim \"close musica\""},
        &r);
  EXPECT_EQ(r.outcome, Interp::Outcome::Normal);
  EXPECT_EQ(Var("$ABRE"), "1");
  EXPECT_EQ(Var("$TOCA"), "");
  EXPECT_EQ(Var("$M"), "playing");
  EXPECT_EQ(Var("$POS"), "1000");
  EXPECT_EQ(Var("$NADA"), "");
  EXPECT_EQ(Var("$FIM"), "");
  EXPECT_FALSE(Line("mci $r"));
  EXPECT_FALSE(Line("mci $r \"status musica mode\" \"x\""));
  EXPECT_FALSE(Line("mci \"status musica mode\""));
  EXPECT_TRUE(Line("mci r \"status musica mode\""));
  EXPECT_EQ(Var("r"), "");
}

TEST_F(SoundCommandsTest, MidiInEveryForm) {
  ASSERT_TRUE(std::filesystem::exists("/usr/share/sounds/sf2/FluidR3_GM.sf2")) << "the General MIDI sound font is needed";
  EXPECT_FALSE(Line("midi nl 1 60 100")) << "not open yet";
  EXPECT_FALSE(Line("midi termina"));
  EXPECT_FALSE(Line("midi pane"));
  EXPECT_FALSE(Line("midi"));
  EXPECT_TRUE(Line("midi inicia"));
  EXPECT_TRUE(SoundCommands::MidiIsOpen());
  EXPECT_FALSE(Line("midi inicia")) << "already open";
  for (const char* bad : {"midi nl 0 36 100", "midi nl 17 36 100", "midi nl 1 128 100", "midi nl 1 60 128",
                          "midi nl 1 60", "midi nl 1 60 100 5", "midi nl", "midi nl dez 60 100", "midi xx 1 2",
                          "midi tt 1 128", "midi tt 1", "midi nd 1", "midi nd 1 200"})
    EXPECT_FALSE(Line(bad)) << bad;
  EXPECT_TRUE(Line("midi nl 10 36 100")) << "percussion";
  EXPECT_EQ(MidiOut::LastMessage(), 0x99u + 36 * 256 + 100 * 65536);
  EXPECT_TRUE(Line("MIDI TT 1 40"));
  EXPECT_EQ(MidiOut::LastMessage(), 0xC0u + 40 * 256);
  EXPECT_TRUE(Line("midi nl 1 (50+10) 100")) << "operands are values";
  EXPECT_EQ(MidiOut::LastMessage(), 0x90u + 60 * 256 + 100 * 65536);
  Console::ConsoleDelay(400);
  EXPECT_TRUE(Line("midi nd 1 60"));
  EXPECT_EQ(MidiOut::LastMessage(), 0x90u + 60 * 256);
  EXPECT_TRUE(Line("midi pane"));
  EXPECT_EQ(MidiOut::LastMessage(), 0x9Fu + 127 * 256) << "the last note off of the last channel";
  EXPECT_TRUE(Line("midi termina"));
  EXPECT_FALSE(SoundCommands::MidiIsOpen());
  EXPECT_FALSE(Line("midi termina"));
  EXPECT_EQ(Console::RowText(1), "") << "no program change was refused";

  const Sound s = Channels(CaptureReader::ReadCapture(WaveOut::CaptureMidiPath(capture_)));
  ASSERT_EQ(s.rate, 44100);
  EXPECT_GT(Rms(s, s.left, 0, s.Seconds()), 100) << "the notes sounded";
}

TEST_F(SoundCommandsTest, KeysStillSilenceSpeechWhileAnAddressIsSlowToOpen) {
  Make("tom.ogg", Tone(440, 0.5) + " -c:a libvorbis");
  HttpFileServer silent((DriveC() / "sons" / "tom.ogg").string(), HttpFileServer::Behaviour::NeverAnswer);
  // Speech still going on (queued in the sound queue) when the open starts.
  std::vector<uint8_t> speech(11025 * 4);
  for (std::size_t i = 0; i < speech.size(); ++i) speech[i] = (i / 20) % 2 ? 200 : 56;
  const std::vector<uint8_t> image = WaveImage(11025, 8, 1, speech);
  Begin("{WAIT 500}x");
  SoundQueue::WaveFlags().asynchronous = true;
  SoundQueue::PlayImage(image.data(), image.size());
  ASSERT_TRUE(SoundQueue::WaveIsPlaying());
  Interp::RunResult r;
  const int64_t took = Timed({"mci $r \"open mpegvideo!" + silent.Url("tom.ogg") + " alias musica\""}, &r);
  SoundQueue::WaveFlags().asynchronous = false;
  EXPECT_EQ(r.outcome, Interp::Outcome::Normal);
  EXPECT_EQ(Var("$R"), "") << "the open gave up";
  EXPECT_LT(took, 15000);
  EXPECT_EQ(Keyboard::QueueCount(), 1) << "the key is there for the script";
  const Capture c = HeardWave();
  EXPECT_LT(c.data.size(), 11025u * 3 / 2) << "silenced when the key came, not at the end of the wait";
}

}  // namespace
