// The command table, in the order the keywords are compared.
#include "interpreter/dispatcher.h"

#include <array>
#include <cstdint>
#include <string>

#include "interpreter/commands.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "platform/text/cp1252.h"
#include "speech/speech.h"

namespace Dispatcher {
namespace {

using Commands::Handler;

struct Entry {
  std::string_view keyword;
  Handler handler;
};

constexpr Entry kTable[] = {
    {"MIDI", Commands::Midi}, {"DEBUG", Commands::Debug}, {"SEJA", Commands::Seja},
    {"TELA", Commands::Tela}, {"COR", Commands::Cor}, {"FUNDO", Commands::Fundo},
    {"ABRE", Commands::Abre}, {"FECHA", Commands::Fecha}, {"INTERNET", Commands::Internet},
    {"CONECTA", Commands::Conecta}, {"ATIVASSL", Commands::Ativassl}, {"SERVE", Commands::Serve},
    {"OBSERVA", Commands::Observa}, {"ESCREVE", Commands::Escreve}, {"BIPA", Commands::Bipa},
    {"SOMA", Commands::Soma}, {"SUBTRAI", Commands::Subtrai}, {"MULTIPLICA", Commands::Multiplica},
    {"DIVIDE", Commands::Divide}, {"CONCATENA", Commands::Concatena}, {"COPIA", Commands::Copia},
    {"SOLETRA", Commands::Soletra}, {"LISTA", Commands::Lista}, {"FALAHORA", Commands::Falahora},
    {"TITULO", Commands::Titulo}, {"TÍTULO"_cp, Commands::Titulo}, {"DELETA", Commands::Deleta},
    {"SUBSTITUI", Commands::Substitui}, {"TOCA", Commands::Toca}, {"FALA", Commands::Fala},
    {"MCI", Commands::Mci}, {"LÊ"_cp, Commands::Le}, {"LE", Commands::Le},
    {"CHECA", Commands::Checa}, {"REMOVE", Commands::Remove}, {"RENOMEIA", Commands::Renomeia},
    {"REPLICA", Commands::Replica}, {"CMD", Commands::Cmd}, {"ESPERA", Commands::Espera},
    {"ENVIACMD", Commands::Enviacmd}, {"DIGITA", Commands::Digita}, {"ACIONA", Commands::Aciona},
    {"CLICA", Commands::Clica}, {"CAPTURA", Commands::Captura}, {"TRANSFERE", Commands::Transfere},
    {"JANELA", Commands::Janela}, {"DESVIA", Commands::Desvia}, {"SE", Commands::Se},
    {"SENAO", Commands::Senao}, {"SENÃO"_cp, Commands::Senao}, {"ENQUANTO", Commands::Enquanto},
    {"REPETE", Commands::Repete}, {"FIM", Commands::Fim}, {"EXECUTA", Commands::Executa},
    {"EXISTEPROG", Commands::Existeprog}, {"ALARME", Commands::Alarme}, {"GRAVABYTES", Commands::Gravabytes},
    {"ESCREVEBYTE", Commands::Escrevebyte}, {"LEBYTE", Commands::Lebyte}, {"LIMPABYTES", Commands::Limpabytes},
    {"FECHABIN", Commands::Fechabin}, {"CRIABIN", Commands::Criabin}, {"TAMARQ", Commands::Tamarq},
    {"HTAMARQ", Commands::Htamarq}, {"DIR", Commands::Dir}, {"BUSCA", Commands::Busca},
    {"TERMINA", Commands::Termina}, {"CHAMA", Commands::Chama}, {"RETORNA", Commands::Retorna},
    {"RANDOMIZA", Commands::Randomiza}, {"IP", Commands::Ip}, {"MSAA", Commands::Msaa},
    {"MENU", Commands::Menu}, {"IMAGEM", Commands::Imagem}, {"SENSOR", Commands::Sensor},
    {"ANSIPARAUTF8", Commands::Ansiparautf8}, {"UTF8PARAANSI", Commands::Utf8paraansi}, {"HTTP", Commands::Http},
    {"TRAZDAREDE", Commands::Trazdarede}, {"HANDLE", Commands::Handle}, {"MENSAGEM", Commands::Mensagem},
    {"CODBASE64", Commands::Codbase64}, {"REMOVEQUOTED", Commands::Removequoted}, {"ADQUOTED", Commands::Adquoted},
    {"CODARQBASE64", Commands::Codarqbase64}, {"DECODARQBASE64", Commands::Decodarqbase64}, {"DECODBASE64", Commands::Decodbase64},
};
static_assert(std::size(kTable) == 87);

// Where a keyword starts its search in the lookup index: its first and last byte and
// its length.
constexpr std::size_t Slot(std::string_view word) {
  return (static_cast<uint8_t>(word.front()) * 31u + static_cast<uint8_t>(word.back()) * 7u + word.size()) & 255u;
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

}  // namespace

// The handler of a folded keyword. The table is indexed once (a small open-addressed
// table of positions), so a line compares its word with one or two keywords instead of
// walking all of them; the keywords are all different, so the answer is the one a walk of
// the table in its order gives.
Handler FindHandler(std::string_view word) {
  static_assert(std::size(kTable) < 255);
  static constexpr auto index = [] {
    std::array<uint8_t, 256> slots{};  // position in kTable + 1; 0: free
    for (std::size_t i = 0; i < std::size(kTable); ++i) {
      std::size_t slot = Slot(kTable[i].keyword);
      while (slots[slot] != 0) slot = (slot + 1) & 255u;
      slots[slot] = static_cast<uint8_t>(i + 1);
    }
    return slots;
  }();
  if (word.empty()) return nullptr;
  for (std::size_t slot = Slot(word); index[slot] != 0; slot = (slot + 1) & 255u) {
    const Entry& e = kTable[index[slot] - 1];
    if (SameWord(e.keyword, word)) return e.handler;
  }
  return nullptr;
}

namespace {

bool Call(std::string_view word, std::string_view folded, Handler handler, std::string_view args) {
  Interp::State& s = Interp::St();
  if (s.debug) {
    std::string trace(word);
    trace += ' ';
    trace += args;
    Speech::WriteLineAndSpeak(trace);
  }
  s.commandWord = folded;
  if (handler) return handler(args);
  Speech::WriteLineAndSpeak(std::string("Comando inválido: "_cp) + std::string(folded));
  return false;
}

}  // namespace

bool Dispatch(std::string_view word, std::string_view args) {
  std::string folded(word);
  for (char& c : folded) c = Text::FoldChar(c);
  return Call(word, folded, FindHandler(folded), Text::Trim(args));
}

bool Dispatch(const LineScan::Scanned& line, std::string_view args) {
  return Call(line.word, line.folded, line.handler, args);
}

}  // namespace Dispatcher
