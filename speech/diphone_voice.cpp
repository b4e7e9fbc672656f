// Opening and closing the diphone voice: the letters and diphone folders are checked here,
// the database and its rules are opened by the synthesizer.
#include "speech/diphone_voice.h"

#include <string>

#include "settings/settings_keys.h"
#include "platform/files/paths.h"
#include "platform/headless/transcript.h"
#include "speech/diphone_play.h"
#include "speech/speech_state.h"

namespace Speech {
namespace {

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

int DiphoneInit() {
  DiphoneDone();
  // The recorded letters: without the key the voice would start with no letters at all, so
  // the usual folder stands in for it.
  std::string letters = Settings::ReadDirLetrasDirect();
  if (letters.empty()) letters = "c:\\orbis\\som\\letras";
  if (!Paths::IsFolder(letters)) return 1;
  const std::string folder = Settings::ReadDirDifones();
  if (!Paths::IsFolder(folder)) return 1;
  return DiphonePlay::Open(WithBackslash(folder), St().timing.difones, WithBackslash(letters));
}

void DiphoneDone() { DiphonePlay::Close(); }

void SayPhrase(std::string_view text) {
  Transcript::Event("phrase", text);
  DiphonePlay::SayPhrase(text);
}

}  // namespace Speech
