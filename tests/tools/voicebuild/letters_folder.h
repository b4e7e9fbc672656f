// Where the build wrote the letters folder, and the names the speech parts ask it for.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

inline std::filesystem::path LettersFolder() { return VOICEBUILD_LETTERS_DIR; }

// The recorded words that are not characters, numbers or tones, as the speech parts name them.
inline const std::vector<std::string>& NamedWords() {
  static const std::vector<std::string> names = {
      "_unknown", "_zero", "_MENOS", "_FON9", "_DEL", "_APFCPO", "_APICPO", "_CPOAPA", "_FALACI",
      "_FALDLG", "_VELOC", "_SEMBAT", "_SEMENER", "_hora", "_horas", "_minuto", "_minutos",
      "_Domingo", "_Segunda", "_Terca", "_Quarta", "_Quinta", "_Sexta", "_Sabado", "_primeir", "_de",
      "_Janeiro", "_Feverei", "_Marco", "_Abril", "_Maio", "_Junho", "_Julho", "_Agosto",
      "_Setembr", "_Outubro", "_Novembr", "_Dezembr", "_e", "_uma", "_duas"};
  return names;
}

// The character codes a character file exists for.
inline std::vector<int> SpokenCharacterCodes() {
  std::vector<int> codes = {0, 12};
  for (int c = 32; c <= 255; ++c) codes.push_back(c);
  return codes;
}
