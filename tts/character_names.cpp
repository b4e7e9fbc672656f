// The spoken names of the Windows-1252 characters. The accents of "zéro", "séte", "nóve"
// and the leading blank of " sê" and " dê" are deliberate: they steer the pronunciation
// when the names are read back through the letter-to-sound rules.
#include "tts/character_names.h"

#include <array>

#include "platform/text/cp1252.h"

namespace Sonora {
namespace {

// Codes 32..126.
constexpr std::array<std::string_view, 95> kAscii = {
    "espaço"_cp, "exclamação"_cp, "aspas"_cp, "sustenido"_cp, "cifrão"_cp, "porcento"_cp,
    "é comercial"_cp, "apóstrofo"_cp, "abre parênteses"_cp, "fecha parênteses"_cp,
    "asterisco"_cp, "mais"_cp, "vírgula"_cp, "traço"_cp, "ponto"_cp, "barra"_cp,
    "zéro"_cp, "um"_cp, "dois"_cp, "três"_cp, "quatro"_cp, "cinco"_cp, "seis"_cp, "séte"_cp,
    "oito"_cp, "nóve"_cp, "dois pontos"_cp, "ponto e vírgula"_cp, "menor que"_cp,
    "igual"_cp, "maior que"_cp, "interrogação"_cp, "arrôba"_cp,
    "a"_cp, "bê"_cp, " sê"_cp, " dê"_cp, "é"_cp, "éfe"_cp, "jê"_cp, "agá"_cp, "i"_cp,
    "jóta"_cp, "cá"_cp, "éle"_cp, "ême"_cp, "êne"_cp, "ó"_cp, "pê"_cp, "quê"_cp, "érre"_cp,
    "ésse"_cp, "tê"_cp, "u"_cp, "vê"_cp, "dábliu"_cp, "xis"_cp, "ípsilon"_cp, "zê"_cp,
    "abre colchete"_cp, "raiz"_cp, "fecha colchete"_cp, "circunflexo"_cp, "sublinhado"_cp,
    "crase"_cp,
    "a"_cp, "bê"_cp, " sê"_cp, " dê"_cp, "é"_cp, "éfe"_cp, "jê"_cp, "agá"_cp, "i"_cp,
    "jota"_cp, "cá"_cp, "éle"_cp, "ême"_cp, "ene"_cp, "ó"_cp, "pê"_cp, "quê"_cp, "érre"_cp,
    "ésse"_cp, "tê"_cp, "u"_cp, "vê"_cp, "dábliu"_cp, "xis"_cp, "ípsilon"_cp, "zê"_cp,
    "abre chave"_cp, "barra vertical"_cp, "fecha chave"_cp, "til"_cp};

// Codes 161..220.
constexpr std::array<std::string_view, 60> kHigh = {
    "exclamação reversa"_cp, "centavos de dólar"_cp, "libras"_cp, "símbolo de moeda"_cp,
    "iene"_cp, "barra interrompida"_cp, "parágrafo"_cp, "trema"_cp, "copyright"_cp,
    "ordinal feminino"_cp, "Aspas esquerdas"_cp, "negação"_cp, "hífen"_cp,
    "Marca registrada"_cp, "mácron"_cp, "grau"_cp, "mais ou menos"_cp,
    "elevado ao quadrado"_cp, "elevado ao cubo"_cp, "acento agudo"_cp, "mi"_cp, "pi"_cp,
    "ponto no meio"_cp, "cedilha"_cp, "expoente um"_cp, "ordinal masculino"_cp,
    "aspas direitas"_cp, "um quarto"_cp, "um meio"_cp, "três quartos"_cp,
    "interrogação reversa"_cp,
    "A grave"_cp, "A agudo"_cp, "A circunflexo"_cp, "A com til"_cp, "A com trema"_cp,
    "A bola"_cp, "A É"_cp, "Cê cedilha"_cp, "É grave"_cp, "É agudo"_cp, "É circunflexo"_cp,
    "É com trema"_cp, "I grave"_cp, "I agudo"_cp, "I circunflexo"_cp, "I com trema"_cp,
    "Dê cortado"_cp, "N com til"_cp, "Ó grave"_cp, "Ó agudo"_cp, "Ó circunflexo"_cp,
    "Ó com til"_cp, "Ó tremado"_cp, "vezes"_cp, "Ó cortado"_cp, "U grave"_cp, "U agudo"_cp,
    "U circunflexo"_cp, "U com trema"_cp};

// Every slot is filled: a missing entry would leave the tables' last names empty.
static_assert(!kAscii.back().empty() && !kHigh.back().empty());

}  // namespace

std::string_view CharacterName(unsigned char code) {
  if (code >= 32 && code <= 126) return kAscii[code - 32];
  if (code >= 161 && code <= 220) return kHigh[code - 161];
  if (code >= 224 && code <= 252) return kHigh[code - 32 - 161];
  return {};
}

}  // namespace Sonora
