// The network commands: INTERNET, CONECTA, ATIVASSL, SERVE, OBSERVA, IP, and the two
// helpers of web work, HTTP (percent-encoding) and HANDLE (the console window's handle).
#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/channels.h"
#include "interpreter/commands.h"
#include "interpreter/network_channels.h"
#include "interpreter/state.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/processes/processes.h"
#include "platform/text/cp1252.h"
#include "platform/text/text_kit.h"
#include "services/http_parse.h"
#include "services/sockets.h"
#include "services/tls.h"
#include "speech/speech.h"

namespace {

bool TakePrefix(std::string_view& args, std::string_view upperPrefix) {
  if (!Text::StartsWithFolded(args, upperPrefix)) return false;
  args.remove_prefix(upperPrefix.size());
  args = Text::Trim(args);
  return true;
}

// Says why a TLS connection was refused when its certificate was the reason.
void TellUntrusted(std::string_view host) {
  if (Tls::St().lastUntrusted) Speech::WriteLineAndSpeak(std::string("Certificado do servidor não confiável: "_cp) + std::string(host));
}

int Connect(std::string_view host, int port) {
  Tls::St().lastUntrusted = false;
  const auto p = static_cast<uint16_t>(port & 0xFFFF);
  return NetworkChannels::St().tlsMode ? Sockets::TcpConnectTls(host, p) : Sockets::TcpConnect(host, p);
}

}  // namespace

namespace Commands {

bool Internet(std::string_view args) {
  const std::string word = Text::Fold(args);
  if (word == "INICIA") {
    Sockets::NetStartup();
    return true;
  }
  if (word == "TERMINA") {
    Sockets::NetCleanup();
    return true;
  }
  return false;
}

bool Conecta(std::string_view args) {
  NetworkChannels::State& net = NetworkChannels::St();
  if (TakePrefix(args, "SSL ")) net.tlsMode = true;
  const bool statusMode = Values::TakeTrailingAmpersand(args);
  const auto fail = [statusMode](int status, std::string_view message) {
    if (statusMode) {
      Interp::St().statusCode = status;
      return true;
    }
    Speech::WriteLineAndSpeak(message);
    return false;
  };
  char digit;
  std::string host, portText;
  if (!Values::ReadChannelRef(args, digit) || args.empty() || !Values::ReadValue(args, host) ||
      !Values::ReadValue(args, portText))
    return fail(1, "Erro de conexao");
  net.lastHost = host;
  net.lastPortText = portText;
  const auto port = Values::NumericValue(portText);
  if (!port) return fail(2, "Erro na porta TCP/IP");
  net.lastPort = *port;
  const int socket = Connect(host, *port);
  if (socket < 0) {
    if (!statusMode) TellUntrusted(host);
    return fail(1, "Erro de conexao");
  }
  NetworkChannels::Attach(*Channels::Lookup(digit), socket);
  if (statusMode) Interp::St().statusCode = 0;
  return true;
}

bool Ativassl(std::string_view args) {
  char digit;
  if (!Values::ReadChannelRef(args, digit) || !args.empty()) return false;
  Channels::Channel& channel = *Channels::Lookup(digit);
  const NetworkChannels::State& net = NetworkChannels::St();
  Tls::St().lastUntrusted = false;
  const int socket = Sockets::TcpConnectTls(net.lastHost, static_cast<uint16_t>(net.lastPort & 0xFFFF));
  if (channel.open && channel.connection) {
    // The channel now talks TLS to the last target, reading and writing alike; its earlier
    // connection is closed rather than left open and unreachable.
    channel.lineReader.reset();
    Sockets::TcpClose(channel.socket);
    channel.socket = socket;
    if (socket >= 0) channel.lineReader = std::shared_ptr<LineReader::Reader>(LineReader::LineReaderCreate(socket));
  } else if (socket >= 0) {
    NetworkChannels::Attach(channel, socket);
  }
  return true;
}

bool Serve(std::string_view args) {
  char digit;
  std::string portText;
  if (!Values::ReadChannelRef(args, digit) || args.empty() || !Values::ReadValue(args, portText)) {
    Speech::WriteLineAndSpeak("Erro de conexao");
    return false;
  }
  const auto port = Values::NumericValue(portText);
  if (!port) {
    Speech::WriteLineAndSpeak("Erro na porta TCP/IP");
    return false;
  }
  const int listening = Sockets::TcpListen(static_cast<uint16_t>(*port & 0xFFFF));
  int socket = -1;
  if (listening >= 0) {
    socket = Sockets::TcpAccept(listening);
    Sockets::TcpClose(listening);
  }
  if (socket < 0) {
    Speech::WriteLineAndSpeak("Erro de conexao");
    return false;
  }
  NetworkChannels::Attach(*Channels::Lookup(digit), socket);
  return true;
}

bool Observa(std::string_view args) {
  // "OBSERVA ESC var": an Esc waiting among the keys is taken (the others stay), so that a
  // wait can be cancelled without losing what was typed ahead.
  const bool escape = TakePrefix(args, "ESC ");
  const bool keyboard = !escape && TakePrefix(args, "TECLADO ");
  char digit = ' ';
  if (!keyboard && !escape && !Values::ReadChannelRef(args, digit)) return false;
  int code;
  if (!Values::ReadVariableRef(args, code) || !args.empty()) return false;
  bool ready = false;
  if (escape) {
    ready = Keyboard::TakeEscape();
  } else if (keyboard) {
    ready = Keyboard::ConsoleKeyPressed();
  } else {
    const Channels::Channel& channel = *Channels::Lookup(digit);
    ready = channel.open && channel.connection && LineReader::LineReaderAvailable(NetworkChannels::ReaderOf(channel));
  }
  Variables::SetVariable(code, ready ? "1" : "0");
  return true;
}

bool Ip(std::string_view args) {
  bool peer;
  if (TakePrefix(args, "LOCAL ")) peer = false;
  else if (TakePrefix(args, "REMOTO ")) peer = true;
  else return false;
  char digit;
  int code;
  if (!Values::ReadChannelRef(args, digit) || !Values::ReadVariableRef(args, code) || !args.empty()) return false;
  const int socket = Channels::Lookup(digit)->socket;
  if (socket < 0) return false;
  std::string address;
  if (!(peer ? Sockets::PeerAddress(socket, address) : Sockets::LocalAddress(socket, address))) return false;
  Variables::SetVariable(code, address);
  return true;
}

bool Http(std::string_view args) {
  std::string_view operand = args;
  std::string value;
  if (!Values::ReadValue(operand, value)) return false;
  const std::string encoded = TextKit::PercentEncode(value);
  int code;
  if (!Values::ReadVariableRef(args, code)) return false;
  Variables::SetVariable(code, encoded);
  return true;
}

bool Handle(std::string_view args) {
  int code;
  if (!Values::ReadVariableRef(args, code) || !args.empty()) return false;
  Console::ConsoleInit();
  uint64_t handle = Console::WindowHandle();
  // Without a window the console is still one object for as long as the program runs:
  // the process's number stands for it.
  if (handle == 0) handle = static_cast<uint64_t>(Processes::CurrentId());
  Variables::SetVariable(code, std::to_string(handle));
  return true;
}

}  // namespace Commands
