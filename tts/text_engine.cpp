// Runs the text stages of the engine and loads the data files they need.
#include "tts/text_engine.h"

#include "platform/text/cp1252.h"
#include "tts/abbreviations.h"
#include "tts/exceptions.h"
#include "tts/letter_to_sound.h"
#include "tts/phrases.h"
#include "tts/preprocess.h"
#include "tts/prosody.h"
#include "tts/prosody_tables.h"
#include "tts/rules.h"
#include "tts/text_classes.h"

namespace Sonora {

DataFiles DataFilesIn(const std::string& folder, const std::string& base) {
  std::string dir = folder;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  const std::string stem = dir + (base.empty() ? std::string("portug") : base);
  return {stem + ".nrl", stem + ".exc", stem + ".abr", stem + ".pro", stem + ".dfn"};
}

void ResetTextData() {
  ResetRules();
  ResetExceptions();
  ResetAbbreviations();
  ResetProsody();
}

bool LoadTextData(const DataFiles& files, std::string& error) {
  ResetTextData();
  error.clear();
  if (!LoadRules(files.rules) || !LoadExceptions(files.exceptions)) {
    error = "Erro na base de dados de português"_cp;
    return false;
  }
  if (!LoadAbbreviations(files.abbreviations)) {
    error = "Erro no arquivo de abreviaturas";
    return false;
  }
  if (!LoadProsody(files.prosody) || !LoadDiphoneList(files.diphones)) {
    error = "Erro no arquivo de prosódia"_cp;
    return false;
  }
  return true;
}

std::vector<std::string> TextToPhonemeLines(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty()) return {};
  std::string words = PreprocessText(trimmed);
  // A text that ends without a mark is a statement: it ends on the falling pattern of a
  // full stop, as it would be read aloud.
  const std::string_view body = Trim(words);
  const bool addStop = !body.empty() && std::string_view(".!?,;:)").find(body.back()) == std::string_view::npos;
  if (addStop) words += '.';
  std::vector<std::string> lines = TokensToPhonemes(ChoosePatterns(Tokenize(words)));
  // The added stop gives its pattern only: its pause would just be silence at the end.
  if (addStop)
    for (std::size_t k = lines.size(); k > 0; --k)
      if (lines[k - 1] == "_.") {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(k - 1));
        break;
      }
  return lines;
}

std::vector<std::string> TextToMbrolaLines(std::string_view text, double pitchFactor, double durationFactor) {
  return ApplyProsody(TextToPhonemeLines(text), pitchFactor, durationFactor);
}

}  // namespace Sonora
