// The command table, in the order the keywords are compared.
#include "interpreter/dispatcher.h"

#include <string>

#include "interpreter/commands.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "platform/cp1252.h"
#include "speech/speech.h"

namespace Dispatcher {
namespace {

using Commands::Handler;

struct Entry {
  std::string_view keyword;
  Handler handler;
};

constexpr Handler kLater = Commands::NotAvailable;

const Entry kTable[] = {
    {"MIDI", kLater},           {"DEBUG", Commands::Debug},     {"SEJA", Commands::Seja},
    {"TELA", Commands::Tela},   {"COR", Commands::Cor},         {"FUNDO", Commands::Fundo},
    {"ABRE", kLater},           {"FECHA", kLater},              {"INTERNET", kLater},
    {"CONECTA", kLater},        {"ATIVASSL", kLater},           {"SERVE", kLater},
    {"OBSERVA", kLater},        {"ESCREVE", Commands::Escreve}, {"BIPA", Commands::Bipa},
    {"SOMA", Commands::Soma},   {"SUBTRAI", Commands::Subtrai}, {"MULTIPLICA", Commands::Multiplica},
    {"DIVIDE", Commands::Divide}, {"CONCATENA", Commands::Concatena}, {"COPIA", Commands::Copia},
    {"SOLETRA", Commands::Soletra}, {"LISTA", Commands::Lista}, {"FALAHORA", Commands::Falahora},
    {"TITULO", Commands::Titulo}, {"TÍTULO"_cp, Commands::Titulo}, {"DELETA", Commands::Deleta},
    {"SUBSTITUI", Commands::Substitui}, {"TOCA", kLater},     {"FALA", Commands::Fala},
    {"MCI", kLater},            {"LÊ"_cp, Commands::Le},        {"LE", Commands::Le},
    {"CHECA", kLater},          {"REMOVE", kLater},             {"RENOMEIA", kLater},
    {"REPLICA", kLater},        {"CMD", kLater},                {"ESPERA", kLater},
    {"ENVIACMD", kLater},       {"DIGITA", kLater},             {"ACIONA", kLater},
    {"CLICA", kLater},          {"CAPTURA", kLater},            {"TRANSFERE", Commands::Transfere},
    {"JANELA", kLater},         {"DESVIA", Commands::Desvia},   {"SE", Commands::Se},
    {"SENAO", Commands::Senao}, {"SENÃO"_cp, Commands::Senao},  {"ENQUANTO", Commands::Enquanto},
    {"REPETE", Commands::Repete}, {"FIM", Commands::Fim},       {"EXECUTA", kLater},
    {"EXISTEPROG", kLater},     {"ALARME", kLater},             {"GRAVABYTES", kLater},
    {"ESCREVEBYTE", kLater},    {"LEBYTE", kLater},             {"LIMPABYTES", kLater},
    {"FECHABIN", kLater},       {"CRIABIN", kLater},            {"TAMARQ", kLater},
    {"HTAMARQ", kLater},        {"DIR", kLater},                {"BUSCA", kLater},
    {"TERMINA", Commands::Termina}, {"CHAMA", Commands::Chama}, {"RETORNA", Commands::Retorna},
    {"RANDOMIZA", Commands::Randomiza}, {"IP", kLater},         {"MSAA", kLater},
    {"MENU", Commands::Menu},   {"IMAGEM", kLater},             {"SENSOR", kLater},
    {"ANSIPARAUTF8", kLater},   {"UTF8PARAANSI", kLater},       {"HTTP", kLater},
    {"TRAZDAREDE", kLater},     {"HANDLE", kLater},             {"MENSAGEM", kLater},
    {"CODBASE64", kLater},      {"REMOVEQUOTED", kLater},       {"ADQUOTED", kLater},
    {"CODARQBASE64", kLater},   {"DECODARQBASE64", kLater},     {"DECODBASE64", kLater},
};
static_assert(std::size(kTable) == 87);

}  // namespace

bool Dispatch(std::string_view word, std::string_view args) {
  args = Text::Trim(args);
  Interp::State& s = Interp::St();
  if (s.debug) {
    std::string trace(word);
    trace += ' ';
    trace += args;
    Speech::WriteLineAndSpeak(trace);
  }
  s.commandWord.assign(word);
  for (char& c : s.commandWord) c = Text::FoldChar(c);
  for (const Entry& e : kTable)
    if (e.keyword == s.commandWord) return e.handler(args);
  Speech::WriteLineAndSpeak(std::string("Comando inválido: "_cp) + s.commandWord);
  return false;
}

}  // namespace Dispatcher
