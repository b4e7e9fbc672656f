// Speech start-up and close, the choice between a speech server and the built-in path,
// interruption, and the write-and-speak operations.
#include "speech/speech.h"

#include <cstring>

#include "console/console.h"
#include "console/keyboard.h"
#include "console/magnifier.h"
#include "settings/settings.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/headless/transcript.h"
#include "platform/wave/wave_header.h"
#include "speech/diphone_play.h"
#include "speech/diphone_voice.h"
#include "speech/speech_server.h"
#include "speech/speech_state.h"
#include "speech/text_walk.h"
#include "audio/sound_queue.h"

namespace Speech {
namespace {

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

void LoadTimings() {
  State& s = St();
  s.timing = Settings::ReadSintetizadorSettings(s.speed);
  SoundQueue::WaveFlags().fastRate = s.timing.rapidinho;
  SoundQueue::WaveFlags().speechCutting = s.timing.cortaFala;
}

// The click: 64 random bytes in 128..187, then silence; made once.
void MakeClick() {
  State& s = St();
  WriteWaveHeader(s.click.data(), 256);
  uint32_t seed = 0x2F6E2B1u;
  for (int i = 0; i < 256; ++i) {
    seed = seed * 1103515245u + 12345u;
    s.click[44 + i] = i < 64 ? static_cast<uint8_t>(128 + (seed >> 16) % 60) : 128;
  }
}

// The voice data cannot be opened: the user is told, Enter ends the program.
[[noreturn]] void FailStart(int code) {
  Console::StdoutWrite(std::string("Erro de inicialização: "_cp) + std::to_string(code) + "\r\n");
  Console::StdoutWrite("Banco de dados de voz: " + St().timing.difones + "\r\n");
  DiphoneDone();
  try {
    Keyboard::ConsoleReadLine(256);
  } catch (const ProgramExit&) {
  }
  Console::ConsoleDone(1);
}

}  // namespace

State& St() {
  static State state;
  return state;
}

void ResetSpeech() {
  St() = State{};
  DiphonePlay::Reset();
}

void WriteWaveHeader(uint8_t* out, uint32_t dataBytes) { WaveHeader::Write(out, 11025, 1, 8, dataBytes); }

bool KeyWaiting() { return Keyboard::ConsoleKeyPressed(); }

void InitSpeech(int speed, std::string_view wordsFolder) {
  ConnectSoundQueue();
  State& s = St();
  const Settings::BaixaVisaoSettings lowVision = Settings::ReadBaixaVisaoSettings();
  Magnifier::MagnifierSetColours(lowVision.corLetra, lowVision.corFundo, lowVision.corCursor);
  if (lowVision.ampliacao != 0) {
    Console::ConsoleInit();
    Magnifier::MagnifierStart(1, lowVision.ampliacao);
  }
  const Settings::AurisSettings auris = Settings::ReadAurisSettings();
  Settings::SetLegacySwitch(auris.legado);
  if (speed <= 0) speed = Settings::ReadTradutorSettings().velocidade;
  s.speed = speed >= 1 && speed <= 5 ? speed : 3;
  LoadTimings();
  if (const int code = DiphoneInit(); code != 0) FailStart(code);
  s.wordsFolder = WithBackslash(std::string(wordsFolder));
  s.lettersFolder = Settings::ReadTradutorSettings().dirLetras;
  LoadTimings();
  s.serverActive = false;
  if (Settings::ReadTradutorSettings().sapi) {
    const Settings::ServFalaSettings server = Settings::ReadServFalaSettings();
    s.serverActive = OpenSpeechServer(server.voz, server.velocidade, server.tom, "", server.tipoSapi);
  }
  if (!s.clickMade) MakeClick();
  s.clickMade = true;
}

void CloseSpeech() {
  WaitForSilence();
  StopSpeech();
  State& s = St();
  if (s.serverActive) {
    CloseSpeechServer();
    s.serverActive = false;
  }
  DiphoneDone();
}

int Speed() { return St().speed; }

void Speak(std::string_view text) {
  Transcript::Event("say", text);
  State& s = St();
  s.silent = false;
  if (s.serverActive) {
    WaitForSilence();
    if (KeyWaiting()) return;
    ServerSpeak(text);
    s.serverMayStillSpeak = true;
    return;
  }
  WalkText(text);
}

void StopSpeech() {
  State& s = St();
  // One stop is recorded however many times an interruption is noticed.
  if (!s.silent) Transcript::Event("stop");
  s.silent = true;
  SoundQueue::WaveStop();
  s.stop = true;
  if (s.serverActive && (s.server->stopsWhenSilent || ServerIsSpeaking(false))) ServerStop();
  Messages::Message stopped;
  stopped.kind = Messages::Kind::SpeechStopped;
  Messages::Post(stopped);
}

bool IsSpeaking() {
  if (KeyWaiting()) {
    StopSpeech();
    return false;
  }
  const State& s = St();
  return SoundQueue::WaveIsPlaying() || (s.serverActive && ServerIsSpeaking(false));
}

void WaitForSilence() {
  while (IsSpeaking()) {
    Messages::WaitMessage(10);
    Messages::PumpMessages();
  }
}

void WaitForServer() {
  State& s = St();
  if (!s.serverMayStillSpeak) return;
  while (s.serverActive && ServerIsSpeaking(true) && !KeyWaiting()) Messages::WaitMessage(10);
  s.serverMayStillSpeak = false;
}

void WriteAndSpeak(std::string_view text) {
  Console::StdoutWrite(text);
  Speak(text);
}

void WriteLineAndSpeak(std::string_view text) {
  Console::StdoutWrite(text);
  Console::StdoutWrite("\r\n");
  Speak(text);
}

void WriteNumberAndSpeak(long long number) { WriteAndSpeak(std::to_string(number)); }

uint8_t ReadKeyAndSpeak() {
  const uint8_t key = Keyboard::ConsoleReadKey();
  StopSpeech();
  SpeakChar(key);
  return key;
}

}  // namespace Speech
