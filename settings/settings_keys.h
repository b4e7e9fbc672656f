// Every key of Auris.ini the runtime reads, with its default and parse rules, as typed
// values for the parts that use them. Field names follow the key names.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Settings {

// The ranges of the number keys without one of their own. A value outside its range is
// taken as the key's default, as for the keys whose ranges the settings define (colours
// 0..15, VELOCIDADE 1..5, TEMPOESPERAPROGVOLTAR 0..1000, AMPLIACAO 0..10).
inline constexpr int kMaxCellPixels = 200;         // LARGURALETRA, ALTURALETRA (PESOLETRA: 0..1000)
inline constexpr int kMaxTimeoutRede = 60000000;   // TIMEOUT_REDE, 0..
inline constexpr int kMaxDiphoneBytes = 65535;     // CORTEFON, SOBRAFON: a diphone's longest length
inline constexpr int kMaxInterPal = 22050;         // INTERPAL: two seconds of silence at 11025 Hz
inline constexpr int kMaxPauseMs = 10000;          // PAUSAPONTO, PAUSAVIRG, PAUSADOISPONTOS
// SERVFALA: VOZ 0..1000, VELOCIDADE and TOM -10..1000, TIPOSAPI 0..99.

// Parse rules shared by the keys.
// A decimal integer: an optional sign and digits, nothing else, within int range.
std::optional<int> ParseInt(std::string_view text);
// Flags decided by the first letter: S (either case) for yes.
bool IsYes(std::string_view text);
// Flags that are on when present and not beginning with N (either case).
bool IsNotNo(std::string_view text);

// Section VIDEO, read directly when the console window is created.
struct VideoSettings {
  std::array<uint8_t, 16> tabCores;  // colour number -> palette entry
  bool coresFixas = false;           // scripts cannot change colours
  bool lento = false;                // scroll by copying pixels
  int corFundo = 0;                  // background colour 0..15
  int corLetra = 15;                 // text colour 0..15
  std::string fonte;                 // font face
  // Cell size in pixels; nullopt when absent or empty (then taken from the work area,
  // see LarguraLetraFor / AlturaLetraFor). 0 (a value that is no number) lets the font
  // choose, as a font request of size 0 does.
  std::optional<int> larguraLetra;
  std::optional<int> alturaLetra;
  int pesoLetra = 700;               // font weight
  bool cantoTela = true;             // true: normal window; false: maximised
};

// The remap table of a TABCORES text: entries up to the first that is not a plain decimal
// number 0..15, the identity after it.
std::array<uint8_t, 16> ParseTabCores(std::string_view text);
VideoSettings ReadVideoSettings();
// The cell size when the settings leave it to the work area: width / 1024 × 13 and
// height / 734 × 28, rounded.
int LarguraLetraFor(const VideoSettings& video, int workAreaWidth);
int AlturaLetraFor(const VideoSettings& video, int workAreaHeight);

// Section BRAILLE, key MODO (read directly): the braille input mode at start, 0..3.
int ReadBrailleModo();

// Section AURIS.
struct AurisSettings {
  bool legado = false;               // keep looking up empty values in the legacy file
  std::string pgmAuris;              // program-group folder for "@\" (as written, expanded)
  std::string progHtm;               // program that opens web addresses
  int tempoEsperaProgVoltar = 1000;  // ms to wait once the console is in front again, 0..1000
  int timeoutRede = 20000;           // network time-out: one readiness wait, microseconds
  bool verificaSsl = true;           // TLS peers must show a trusted certificate for their name
};
AurisSettings ReadAurisSettings();
// The program for documents of an extension (key "PROG." + extension); empty for EXE and
// COM, which are never opened through another program.
std::string ReadProg(std::string_view extension);
// The extension ReadProg is asked for: the three characters after the first full stop of
// a document name, in capitals.
std::string DocumentExtension(std::string_view documentName);

// Section TRADUTOR.
struct TradutorSettings {
  int velocidade = 3;       // speech speed 1..5
  std::string dirLetras;    // letters folder, ending in "\"
  bool sapi = false;        // speak through the server of SERVFALA
};
TradutorSettings ReadTradutorSettings();
// The readers that bypass ReadSetting: the diphone synthesizer's letters folder (no
// default, empty when absent), the diphone databases folder (ending in "\") and the audio
// output device name.
std::string ReadDirLetrasDirect();
std::string ReadDirDifones();
std::string ReadSaidaDeAudio();

// Section SERVFALA.
struct ServFalaSettings {
  int voz = 0;         // voice number, 1-based
  int velocidade = 0;  // rate; above 10 becomes 0 unless tipoSapi is 4
  int tom = 0;         // pitch
  int tipoSapi = 0;    // 3 Sonora, 4 SAPI 4, 54 SAPI 5 (5.4 library), other SAPI 5
};
ServFalaSettings ReadServFalaSettings();

// Section SINTETIZADOR, the keys of one speech speed (1..5; another number reads speed 3).
struct SintetizadorSettings {
  std::string difones = "DIFONES2";  // diphone database name, at most 8 characters
  int corteFon = 0;                  // bytes cut per diphone
  int sobraFon = 0;                  // minimum diphone length, bytes
  int interPal = 0;                  // gap between words, bytes of silence
  bool cortaFala = false;            // period-dropping time compression
  bool rapidinho = false;            // playback at 1.5 × the rate
  int pausaPonto = 250;              // ms after a full stop
  int pausaVirg = 150;               // ms after a comma
  int pausaDoisPontos = 200;         // ms after a colon or parenthesis
};
SintetizadorSettings ReadSintetizadorSettings(int speed);

// Section BAIXAVISAO, the low-vision magnifier.
struct BaixaVisaoSettings {
  int ampliacao = 0;  // magnification 0 (off) .. 10
  int corLetra = 14;
  int corFundo = 6;
  int corCursor = 3;
};
BaixaVisaoSettings ReadBaixaVisaoSettings();

// Section SONORATTS, the built-in engine's data.
struct SonoraTtsSettings {
  std::string mbrolaDb = "br4";  // voice database name
  std::string dir;               // folder of the data files, ending in "\"
  std::string base = "portug";   // base name of the data files
};
SonoraTtsSettings ReadSonoraTtsSettings();

// Section FONIX, the interpreter's start-up.
struct FonixSettings {
  std::string dirFonix;                       // words folder of the runtime's own sounds
  std::string dirDefault = "c:\\orbis\\scripts";
};
FonixSettings ReadFonixSettings();

}  // namespace Settings
