// Loading the prosody file: durations, key words and intonation patterns, each section
// found by its header, with the messages the user sees when the file is broken.
#include <algorithm>
#include <iostream>
#include <optional>

#include "platform/text/cp1252.h"
#include "platform/headless/transcript.h"
#include "tts/line_file.h"
#include "tts/prosody_tables.h"
#include "tts/text_classes.h"

namespace Sonora {
namespace {

void Report(std::string text) {
  if (!Prosody().quiet) {
    std::cerr << Cp1252::ToUtf8(text) << '\n';
    Transcript::Event("message", text);
  }
  Prosody().messages.push_back(std::move(text));
}

// The lines of one section: after the line whose trimmed text is the header, up to a
// line that opens another section; comments and empty lines left out. Nothing when the
// header is absent.
std::optional<std::vector<std::string_view>> Section(const std::vector<std::string>& lines, std::string_view header) {
  std::size_t i = 0;
  while (i < lines.size() && Trim(lines[i]) != header) ++i;
  if (i == lines.size()) return std::nullopt;
  std::vector<std::string_view> out;
  for (++i; i < lines.size(); ++i) {
    const std::string_view line = Trim(lines[i]);
    if (line.empty() || line.front() == ';' || line.front() == '*') continue;
    if (line.front() == '[') break;
    out.push_back(line);
  }
  return out;
}

bool ReadDurations(const std::vector<std::string>& lines) {
  const auto section = Section(lines, "[DURAÇÃO]"_cp);
  if (!section) {
    Report(std::string("Duração dos difones errada ou ausente"_cp));
    return false;
  }
  for (std::string_view line : *section) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      Report(std::string("Configuração da prosódia: fonema errado: "_cp) + std::string(line));
      return false;
    }
    int ms = 100;
    if (!ParseInt(Trim(line.substr(eq + 1)), ms)) {
      Report(std::string("Configuração da prosódia: fonema errado: "_cp) + std::string(line));
      ms = 100;
    }
    if (Prosody().durations.size() < kMaxDurations)
      Prosody().durations.emplace_back(std::string(Trim(line.substr(0, eq)).substr(0, 2)), ms);
  }
  return true;
}

bool ReadKeyWords(const std::vector<std::string>& lines) {
  const auto section = Section(lines, "[CHAVES]");
  if (!section) {
    Report(std::string("Prosódia: palavras chaves ausentes"_cp));
    return false;
  }
  auto& keyWords = Prosody().keyWords;
  for (std::string_view line : *section) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      Report(std::string("Configuração da prosódia: chave errada: "_cp) + std::string(line));
      return false;
    }
    // A class is always two characters wide: the token lines keep it at fixed columns.
    std::string cls = UpperText(Trim(line.substr(eq + 1)).substr(0, 2));
    cls.resize(2, ' ');
    if (keyWords.size() < kMaxKeyWords) keyWords.emplace_back(UpperText(Trim(line.substr(0, eq))), std::move(cls));
  }
  std::stable_sort(keyWords.begin(), keyWords.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return true;
}

// A pattern is kept three characters wide, digits only after an optional leading "?",
// so that the comment lines built from it keep their layout.
std::string NormalisePattern(std::string_view text) {
  std::string p(text.substr(0, 3));
  p.resize(3, '5');
  for (std::size_t k = 0; k < 3; ++k)
    if (!(p[k] >= '0' && p[k] <= '9') && !(k == 0 && p[k] == '?')) p[k] = '5';
  return p;
}

void ReadPitchTable(std::string_view values) {
  std::size_t digit = 0;
  while (digit < 10) {
    const std::size_t comma = values.find(',');
    int v = 0;
    if (ParseInt(Trim(values.substr(0, comma)), v) && v >= 0) Prosody().pitchTable[digit] = v;
    ++digit;
    if (comma == std::string_view::npos) break;
    values.remove_prefix(comma + 1);
  }
}

bool ReadPatterns(const std::vector<std::string>& lines) {
  const auto section = Section(lines, "[PROSÓDIA]"_cp);
  if (!section) {
    Report(std::string("Prosódia: especificações ausentes"_cp));
    return false;
  }
  for (std::string_view raw : *section) {
    const std::string line = UpperText(raw);
    const std::string_view view(line);
    if (view.starts_with("HERTZ=")) {
      int hz = 0;
      if (ParseInt(Trim(view.substr(6)), hz) && hz > 0) Prosody().basePitch = hz;
      continue;
    }
    if (view.starts_with("TABHERTZ=")) {
      ReadPitchTable(view.substr(9));
      continue;
    }
    const std::size_t eq = view.find('=');
    if (eq == std::string_view::npos) {
      Report(std::string("Configuração da prosódia: chave errada: "_cp) + std::string(raw));
      return false;
    }
    std::array<std::string, 3> classes;
    std::string_view fields = view.substr(0, eq);
    for (std::string& cls : classes) {
      const std::size_t bar = fields.find('|');
      cls = std::string(Trim(fields.substr(0, bar)).substr(0, 3));
      if (bar == std::string_view::npos) break;
      fields.remove_prefix(bar + 1);
    }
    if (Prosody().patterns.size() < kMaxPatterns)
      Prosody().patterns.push_back({classes[0], classes[1], classes[2], NormalisePattern(Trim(view.substr(eq + 1)))});
  }
  return true;
}

}  // namespace

ProsodyState& Prosody() {
  static ProsodyState state;
  return state;
}

void ResetProsody() {
  const bool quiet = Prosody().quiet;
  Prosody() = {};
  Prosody().quiet = quiet;
}

bool LoadProsody(const std::string& path) {
  auto& p = Prosody();
  p.durations.clear();
  p.keyWords.clear();
  p.patterns.clear();
  p.messages.clear();
  p.pitchTable = ProsodyState{}.pitchTable;
  p.basePitch = ProsodyState{}.basePitch;
  const auto lines = ReadLines(path);
  if (!lines) {
    Report(std::string("Configuração da prosódia não foi achada"_cp));
    return false;
  }
  return ReadDurations(*lines) && ReadKeyWords(*lines) && ReadPatterns(*lines);
}

int PhonemeDuration(std::string_view phoneme) {
  for (const auto& [name, ms] : Prosody().durations)
    if (name == phoneme) return ms;
  return 100;
}

std::string_view KeyWordClass(std::string_view upperWord) {
  const auto& keyWords = Prosody().keyWords;
  const auto it = std::lower_bound(keyWords.begin(), keyWords.end(), upperWord,
                                   [](const auto& entry, std::string_view w) { return entry.first < w; });
  if (it != keyWords.end() && it->first == upperWord) return it->second;
  return "XX";
}

}  // namespace Sonora
