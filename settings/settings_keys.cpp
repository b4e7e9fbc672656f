// The keys of Auris.ini with their defaults and parse rules.
#include "settings/settings_keys.h"

#include <charconv>
#include <cmath>

#include "settings/settings.h"
#include "platform/files/paths.h"

namespace Settings {

std::optional<int> ParseInt(std::string_view text) {
  if (!text.empty() && text[0] == '+') {  // from_chars takes "-" only
    text.remove_prefix(1);
    if (!text.empty() && text[0] == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool IsYes(std::string_view text) { return !text.empty() && (text[0] == 'S' || text[0] == 's'); }

bool IsNotNo(std::string_view text) { return !text.empty() && text[0] != 'N' && text[0] != 'n'; }

namespace {

// A number that must lie in a range; anything else is `def`. Every number key has a range
// (settings_keys.h), so that no value can make the runtime wait or allocate without bound.
int InRange(std::string_view text, int low, int high, int def) {
  const auto v = ParseInt(text);
  return v && *v >= low && *v <= high ? *v : def;
}

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string Or(std::string value, std::string_view def) { return value.empty() ? std::string(def) : value; }

// Digits only: a sign, a blank or an empty entry is not a plain decimal number.
std::optional<int> PlainDecimal(std::string_view s) {
  if (s.empty()) return std::nullopt;
  int value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 255) return value;  // already too large for any use; stops overflow
  }
  return value;
}

}  // namespace

std::array<uint8_t, 16> ParseTabCores(std::string_view text) {
  std::array<uint8_t, 16> table{};
  for (int i = 0; i < 16; ++i) table[i] = static_cast<uint8_t>(i);
  for (std::size_t i = 0; i < 16 && !text.empty(); ++i) {
    const std::size_t comma = text.find(',');
    const std::string_view entry = text.substr(0, comma);
    // A palette has 16 entries: a larger number stops the table like any other bad entry.
    const auto value = PlainDecimal(entry);
    if (!value || *value > 15) break;
    table[i] = static_cast<uint8_t>(*value);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return table;
}

VideoSettings ReadVideoSettings() {
  VideoSettings v;
  v.tabCores = ParseTabCores(ReadDirect("VIDEO", "TABCORES", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"));
  v.coresFixas = IsYes(ReadDirect("VIDEO", "CORESFIXAS", "N"));
  v.lento = IsYes(ReadDirect("VIDEO", "LENTO", "N"));
  v.corFundo = InRange(ReadDirect("VIDEO", "CORFUNDO", "0"), 0, 15, 0);
  const std::string corLetra = ReadDirect("VIDEO", "CORLETRA", "15");
  v.corLetra = corLetra.empty() ? 7 : InRange(corLetra, 0, 15, 15);
  v.fonte = ReadDirect("VIDEO", "FONTE", "Lucida Console");
  // A cell size that is no number lets the font choose (0); one out of range is as absent.
  auto cell = [](const std::string& text) -> std::optional<int> {
    if (text.empty()) return std::nullopt;
    const auto n = ParseInt(text);
    if (!n) return 0;
    if (*n < 0 || *n > kMaxCellPixels) return std::nullopt;
    return *n;
  };
  v.larguraLetra = cell(ReadDirect("VIDEO", "LARGURALETRA", ""));
  v.alturaLetra = cell(ReadDirect("VIDEO", "ALTURALETRA", ""));
  v.pesoLetra = InRange(ReadDirect("VIDEO", "PESOLETRA", "700"), 0, 1000, 700);
  v.cantoTela = IsYes(ReadDirect("VIDEO", "CANTOTELA", "SIM"));
  return v;
}

int LarguraLetraFor(const VideoSettings& video, int workAreaWidth) {
  return video.larguraLetra ? *video.larguraLetra : static_cast<int>(std::lround(workAreaWidth / 1024.0 * 13));
}

int AlturaLetraFor(const VideoSettings& video, int workAreaHeight) {
  return video.alturaLetra ? *video.alturaLetra : static_cast<int>(std::lround(workAreaHeight / 734.0 * 28));
}

int ReadBrailleModo() {
  const std::string modo = ReadDirect("BRAILLE", "MODO", "0");
  return modo.empty() ? 0 : static_cast<unsigned char>(modo[0]) & 3;
}

AurisSettings ReadAurisSettings() {
  AurisSettings a;
  a.legado = IsYes(ReadSetting("AURIS", "LEGADO"));
  a.pgmAuris = ReadSetting("AURIS", "PGMAURIS");
  a.progHtm = ReadSetting("AURIS", "PROG.HTM");
  a.tempoEsperaProgVoltar = InRange(ReadSetting("AURIS", "TEMPOESPERAPROGVOLTAR"), 0, 1000, 1000);
  a.timeoutRede = InRange(ReadSetting("AURIS", "TIMEOUT_REDE"), 0, kMaxTimeoutRede, 20000);
  // On unless the key says no ("N", "Não").
  const std::string verifica = ReadSetting("AURIS", "VERIFICASSL");
  a.verificaSsl = verifica.empty() || IsNotNo(verifica);
  return a;
}

std::string ReadProg(std::string_view extension) {
  const std::string ext = Paths::FoldCase(extension);
  if (ext.empty() || ext == "EXE" || ext == "COM") return {};
  return ReadSetting("AURIS", "PROG." + ext);
}

std::string DocumentExtension(std::string_view documentName) {
  const std::size_t dot = documentName.find('.');
  if (dot == std::string_view::npos) return {};
  return Paths::FoldCase(documentName.substr(dot + 1, 3));
}

TradutorSettings ReadTradutorSettings() {
  TradutorSettings t;
  t.velocidade = InRange(ReadSetting("TRADUTOR", "VELOCIDADE"), 1, 5, 3);
  t.dirLetras = WithBackslash(Or(ReadSetting("TRADUTOR", "DIRLETRAS"), "c:\\orbis\\som\\letras"));
  t.sapi = IsNotNo(ReadSetting("TRADUTOR", "SAPI"));
  return t;
}

std::string ReadDirLetrasDirect() { return ReadDirect("TRADUTOR", "DIRLETRAS", ""); }

std::string ReadDirDifones() {
  return WithBackslash(Or(ReadDirect("TRADUTOR", "DIRDIFONES", "c:\\orbis\\som\\difones"), "c:\\orbis\\som\\difones"));
}

std::string ReadSaidaDeAudio() { return ReadDirect("TRADUTOR", "SAIDADEAUDIO", ""); }

ServFalaSettings ReadServFalaSettings() {
  ServFalaSettings s;
  s.voz = InRange(ReadSetting("SERVFALA", "VOZ"), 0, 1000, 0);
  s.velocidade = InRange(ReadSetting("SERVFALA", "VELOCIDADE"), -10, 1000, 0);
  s.tom = InRange(ReadSetting("SERVFALA", "TOM"), -10, 1000, 0);
  s.tipoSapi = InRange(ReadSetting("SERVFALA", "TIPOSAPI"), 0, 99, 0);
  if (s.tipoSapi != 4 && s.velocidade > 10) s.velocidade = 0;
  return s;
}

SintetizadorSettings ReadSintetizadorSettings(int speed) {
  if (speed < 1 || speed > 5) speed = 3;
  const std::string n(1, static_cast<char>('0' + speed));
  auto read = [&n](std::string_view word) { return ReadSetting("SINTETIZADOR", std::string(word) + n); };
  SintetizadorSettings s;
  s.difones = Or(read("DIFONES"), "DIFONES2").substr(0, 8);
  // The diphone voice's defaults: each faster level cuts more of the unstressed diphones
  // (never below SOBRAFON) and leaves less silence between words; level 1 cuts nothing.
  static constexpr int kCorteFon[5] = {0, 100, 200, 320, 450};
  static constexpr int kSobraFon[5] = {0, 500, 450, 400, 350};
  static constexpr int kInterPal[5] = {1500, 800, 400, 200, 0};
  // Absent keys and values out of range take them; a value that does not parse gives 0.
  auto timing = [&read](std::string_view key, int high, int def) {
    const std::string v = read(key);
    if (v.empty()) return def;
    const auto n = ParseInt(v);
    if (!n) return 0;
    return *n >= 0 && *n <= high ? *n : def;
  };
  s.corteFon = timing("CORTEFON", kMaxDiphoneBytes, kCorteFon[speed - 1]);
  s.sobraFon = timing("SOBRAFON", kMaxDiphoneBytes, kSobraFon[speed - 1]);
  s.interPal = timing("INTERPAL", kMaxInterPal, kInterPal[speed - 1]);
  s.cortaFala = IsNotNo(read("CORTAFALA"));
  s.rapidinho = IsNotNo(read("RAPIDINHO"));
  s.pausaPonto = InRange(read("PAUSAPONTO"), 0, kMaxPauseMs, 250);
  s.pausaVirg = InRange(read("PAUSAVIRG"), 0, kMaxPauseMs, 150);
  s.pausaDoisPontos = InRange(read("PAUSADOISPONTOS"), 0, kMaxPauseMs, 200);
  return s;
}

BaixaVisaoSettings ReadBaixaVisaoSettings() {
  BaixaVisaoSettings b;
  // Absent (or empty) leaves the magnifier off; anything else that is not 0..10 gives 3.
  const std::string ampliacao = ReadSetting("BAIXAVISAO", "AMPLIACAO");
  b.ampliacao = ampliacao.empty() ? 0 : InRange(ampliacao, 0, 10, 3);
  b.corLetra = InRange(ReadSetting("BAIXAVISAO", "CORLETRA"), 0, 15, 14);
  b.corFundo = InRange(ReadSetting("BAIXAVISAO", "CORFUNDO"), 0, 15, 6);
  b.corCursor = InRange(ReadSetting("BAIXAVISAO", "CORCURSOR"), 0, 15, 3);
  return b;
}

SonoraTtsSettings ReadSonoraTtsSettings() {
  SonoraTtsSettings s;
  s.mbrolaDb = Or(ReadSetting("SONORATTS", "MBROLA_DB"), "br4");
  s.dir = ReadSetting("SONORATTS", "DIR");
  // The voice database's fixed folder on drive C stands for its registry entry.
  if (s.dir.empty()) s.dir = Paths::IsFolder("c:\\orbis\\sonoratts\\br4") ? "c:\\orbis\\sonoratts\\" : "\\orbis\\sonoratts\\";
  s.dir = WithBackslash(s.dir);
  s.base = Or(ReadSetting("SONORATTS", "BASE"), "portug");
  return s;
}

FonixSettings ReadFonixSettings() {
  FonixSettings f;
  f.dirFonix = ReadSetting("FONIX", "DIRFONIX");
  f.dirDefault = Or(ReadSetting("FONIX", "DIRDEFAULT"), "c:\\orbis\\scripts");
  return f;
}

}  // namespace Settings
