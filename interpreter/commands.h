// Every command handler the dispatcher can call. A handler receives the trimmed argument
// text and reports success; a failure ends the run.
#pragma once

#include <string_view>

namespace Commands {

using Handler = bool (*)(std::string_view args);

// Program store and run driver.
bool Debug(std::string_view args);
// Control flow.
bool Desvia(std::string_view args);
bool Chama(std::string_view args);
bool Retorna(std::string_view args);
bool Termina(std::string_view args);
bool Se(std::string_view args);
bool Senao(std::string_view args);
bool Enquanto(std::string_view args);
bool Repete(std::string_view args);
bool Fim(std::string_view args);
// Text and arithmetic.
bool Seja(std::string_view args);
bool Soma(std::string_view args);
bool Subtrai(std::string_view args);
bool Multiplica(std::string_view args);
bool Divide(std::string_view args);
bool Concatena(std::string_view args);
bool Copia(std::string_view args);
bool Deleta(std::string_view args);
bool Substitui(std::string_view args);
bool Randomiza(std::string_view args);
// Console and speech.
bool Escreve(std::string_view args);
bool Le(std::string_view args);
bool Fala(std::string_view args);
bool Soletra(std::string_view args);
bool Bipa(std::string_view args);
bool Falahora(std::string_view args);
bool Titulo(std::string_view args);
bool Cor(std::string_view args);
bool Fundo(std::string_view args);
bool Tela(std::string_view args);
bool Lista(std::string_view args);
// Menus and the clipboard.
bool Menu(std::string_view args);
bool Transfere(std::string_view args);
// A command whose part of the runtime is not built yet.
bool NotAvailable(std::string_view args);

}  // namespace Commands
