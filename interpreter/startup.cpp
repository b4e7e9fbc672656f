// Program entry: the start-up order (settings, speech, console, title), the run, the
// closing report, and the end-of-run files of headless runs.
#include "interpreter/startup.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "console/console.h"
#include "settings/settings.h"
#include "interpreter/run.h"
#include "interpreter/state.h"
#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "platform/events/termination.h"
#include "platform/headless/transcript.h"
#include "platform/audio/waveout.h"
#include "speech/speech.h"
#include "speech/diphone_data.h"
#include "speech/speech_data.h"
#include "tts/sonora_data.h"

namespace Interp {

bool SplitProgram(std::string_view bytes, std::vector<std::string>& lines, std::string& error) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const std::string text = Cp1252::FromFileText(bytes);
  // Lines end in LF or CR LF; a file without any LF ends its lines in CR alone.
  const char lineEnd = text.find('\n') == std::string::npos ? '\r' : '\n';
  lines.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(lineEnd, start);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    std::size_t stop = end;
    if (lineEnd == '\n' && stop > start && text[stop - 1] == '\r') --stop;
    if (lines.size() == static_cast<std::size_t>(kMaxLines)) {
      error = "o programa tem mais de " + std::to_string(kMaxLines) + " linhas";
      return false;
    }
    lines.emplace_back(text, start, stop - start);
    start = last ? text.size() : end + 1;
  }
  return true;
}

int RunMain(std::string_view programName, std::string_view programFolder, const std::vector<std::string>& lines,
            std::vector<std::string> commandLine, const std::function<void()>& beforeRun) {
  // Every output the environment names is checked before anything runs.
  std::string error;
  if (!WaveOut::CheckChoice(error)) {
    std::fprintf(stderr, "fonix: %s\n", error.c_str());
    return kExitUsage;
  }
  if (const char* path = std::getenv("FONIX_TRANSCRIPT"); path && *path && !Transcript::Open(path)) {
    std::fprintf(stderr, "fonix: não foi possível criar o arquivo de eventos %s\n", path);
    return kExitUsage;
  }
  if (!Console::OpenScreenFile(error) || !Console::OpenDevice(error)) {
    std::fprintf(stderr, "fonix: %s\n", error.c_str());
    Transcript::Close();
    return kExitUsage;
  }
  int status = kExitNormal;
  bool ended = false;
  RunResult result{Outcome::Normal, 0};
  try {
    // Sounds finish from the first message on: a key handled while the run is being set up
    // (a braille mode change and its two tones) needs the sound queue's completions.
    Speech::ConnectSoundQueue();
    ResetInterpreter();
    St().commandLine = std::move(commandLine);
    Paths::EnsureDriveC();
    SpeechData::InstallSpeechData();
    SpeechData::InstallDiphoneData();
    Sonora::InstallSonoraData();
    Settings::SetProgramFolder(std::string(programFolder));
    Speech::InitSpeech(0, Settings::ReadSetting("FONIX", "DIRFONIX"));
    Console::ConsoleClear();
    Console::ConsoleSetTitle(programName);
    for (std::size_t n = 0; n < lines.size(); ++n) StoreLine(lines[n], static_cast<int>(n + 1));
    if (beforeRun) beforeRun();
    result = RunProgram();
    ended = true;
    ReportEnd(result);
    if (result.outcome == Outcome::Normal) Console::ExitStep();
    status = result.outcome == Outcome::Normal ? kExitNormal : kExitError;
  } catch (const ProgramExit& exit) {
    // Closing the window while the error report waits for Enter still ends in error.
    status = ended && result.outcome == Outcome::Error ? kExitError : exit.status;
  } catch (const std::bad_alloc&) {
    // Out of memory outside any command (the run itself reports its own): an error end.
    std::fprintf(stderr, "fonix: memória insuficiente\n");
    if (!ended) result = {Outcome::Error, 0};
    ended = true;
    status = kExitError;
  }
  const bool screenWritten = Console::Shutdown();
  if (ended) {
    Transcript::Event("end", result.outcome == Outcome::Normal ? std::string("normal")
                                                                 : "error " + std::to_string(result.line));
  } else {
    // Ended before the run: the window was closed, or the voice could not start.
    Transcript::Event("end", status == kExitClosed ? "closed" : "error 0");
  }
  const bool transcriptWritten = Transcript::Close();
  if (!screenWritten) std::fprintf(stderr, "fonix: não foi possível gravar o arquivo de tela %s\n", std::getenv("FONIX_SCREEN"));
  if (!transcriptWritten)
    std::fprintf(stderr, "fonix: não foi possível gravar o arquivo de eventos %s\n", std::getenv("FONIX_TRANSCRIPT"));
  // A run whose files are missing has not succeeded, whatever the program did.
  if ((!screenWritten || !transcriptWritten) && status == kExitNormal) status = kExitUsage;
  // Ended by a stop signal: the files are written, now the signal takes its course.
  Termination::Finish();
  return status;
}

}  // namespace Interp
