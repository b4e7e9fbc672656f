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
// Channels, files, folders, the byte buffer and text encodings.
bool Abre(std::string_view args);
bool Fecha(std::string_view args);
bool Checa(std::string_view args);
bool Remove(std::string_view args);
bool Renomeia(std::string_view args);
bool Replica(std::string_view args);
bool Dir(std::string_view args);
bool Busca(std::string_view args);
bool Tamarq(std::string_view args);
bool Htamarq(std::string_view args);
bool Criabin(std::string_view args);
bool Escrevebyte(std::string_view args);
bool Lebyte(std::string_view args);
bool Gravabytes(std::string_view args);
bool Limpabytes(std::string_view args);
bool Fechabin(std::string_view args);
bool Codbase64(std::string_view args);
bool Decodbase64(std::string_view args);
bool Codarqbase64(std::string_view args);
bool Decodarqbase64(std::string_view args);
bool Removequoted(std::string_view args);
bool Adquoted(std::string_view args);
bool Utf8paraansi(std::string_view args);
bool Ansiparautf8(std::string_view args);
// Programs, windows and waits.
bool Executa(std::string_view args);
bool Existeprog(std::string_view args);
bool Cmd(std::string_view args);
bool Enviacmd(std::string_view args);
bool Janela(std::string_view args);
bool Espera(std::string_view args);
bool Alarme(std::string_view args);
// LE CONSOLE: the variable after "CONSOLE " gets what the child process printed.
bool LeConsole(std::string_view args);
// Network: connections, addresses, web downloads.
bool Internet(std::string_view args);
bool Conecta(std::string_view args);
bool Ativassl(std::string_view args);
bool Serve(std::string_view args);
bool Observa(std::string_view args);
bool Ip(std::string_view args);
bool Http(std::string_view args);
bool Handle(std::string_view args);
bool Trazdarede(std::string_view args);
// Sound besides speech.
bool Toca(std::string_view args);
bool Mensagem(std::string_view args);
bool Mci(std::string_view args);
bool Midi(std::string_view args);
// Menus and the clipboard.
bool Menu(std::string_view args);
bool Transfere(std::string_view args);
// Desktop automation: typing, keys, clicks, the pointer, titles and fields, accessibility
// events, the sensor board.
bool Digita(std::string_view args);
bool Aciona(std::string_view args);
bool Clica(std::string_view args);
bool Captura(std::string_view args);
bool Msaa(std::string_view args);
bool Sensor(std::string_view args);
// LE MOUSE / LE RATO: what follows the word.
bool LeMouse(std::string_view args);
// Forgets the sensor port, the input and accessibility state (tests).
void ResetAutomation();
// The picture over the console's text.
bool Imagem(std::string_view args);
// A command whose part of the runtime is not built yet.
bool NotAvailable(std::string_view args);

}  // namespace Commands
