// Number words joined into one buffer of recorded sound, and the time and date sentences.
#include "speech/recorded_numbers.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/text/cp1252.h"
#include "platform/events/messages.h"
#include "platform/files/paths.h"
#include "platform/headless/transcript.h"
#include "platform/system/wall_clock.h"
#include "speech/number_reading.h"
#include "speech/speech.h"
#include "speech/speech_state.h"
#include "audio/sound_queue.h"

namespace Speech {
namespace {

constexpr std::size_t kBufferData = 30000;

// The file name of a number word: "ã" and "õ" lose their tilde, "dezessete" is
// "dezeset", and the name is cut to eight characters with its "_".
std::string WordFileName(std::string word) {
  for (char& c : word) {
    if (c == "ã"_cp[0]) c = 'a';
    else if (c == "õ"_cp[0]) c = 'o';
  }
  if (word == "dezessete") word = "dezeset";
  std::string name = "_" + word;
  if (name.size() > 8) name.resize(8);
  return name;
}

// The samples of a recorded word file (after its 44-byte header); empty when missing.
std::vector<uint8_t> WordData(const std::string& name) {
  std::vector<uint8_t> data;
  std::FILE* f = std::fopen(Paths::ToHost(St().lettersFolder + name + ".wav").c_str(), "rb");
  if (!f) return data;
  if (std::fseek(f, 44, SEEK_SET) == 0) {
    uint8_t block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) data.insert(data.end(), block, block + n);
  }
  std::fclose(f);
  return data;
}

// The speech manager's buffer of 44 + kBufferData bytes, filled after its first 44.
struct Buffer {
  std::vector<uint8_t>& bytes;
  std::size_t fill = 0;

  void Play() {
    if (fill == 0) return;
    SoundQueue::PlaySamples(bytes.data() + 44, fill, 11025, 1, 8);
    while (SoundQueue::WaveIsPlaying()) Messages::WaitMessage(10);
    fill = 0;
  }
};

}  // namespace

std::string NumberWords(long long value) {
  return CardinalNumberWords(value < 0 ? 0 : static_cast<uint64_t>(value));
}

void SayNumberWords(const std::string& words, bool feminine) {
  std::vector<std::string> names;
  for (std::size_t start = 0; start < words.size();) {
    const std::size_t end = std::min(words.find(' ', start), words.size());
    if (end > start) names.push_back(WordFileName(words.substr(start, end - start)));
    start = end + 1;
  }
  if (feminine && !names.empty()) {
    if (names.back() == "_um") names.back() = "_uma";
    else if (names.back() == "_dois") names.back() = "_duas";
  }
  std::vector<uint8_t>& bytes = St().wordsBuffer;
  if (bytes.empty()) bytes.resize(44 + kBufferData);  // 30000 bytes of sound, allocated once
  Buffer buffer{bytes};
  for (const std::string& name : names) {
    if (KeyWaiting()) break;
    Transcript::Event("word", name);
    const std::vector<uint8_t> data = WordData(name);
    if (data.empty()) continue;
    if (buffer.fill + data.size() > kBufferData) buffer.Play();
    const std::size_t n = std::min(data.size(), kBufferData);
    std::copy(data.begin(), data.begin() + static_cast<long>(n), buffer.bytes.begin() + 44 + static_cast<long>(buffer.fill));
    buffer.fill += n;
  }
  if (!KeyWaiting()) buffer.Play();
  buffer.fill = 0;
}

void SayTime(int hours, int minutes) {
  SayNumberWords(NumberWords(hours), true);
  SpeakWordFile(hours < 2 ? "_hora" : "_horas");
  if (minutes == 0) return;
  SayNumberWords(NumberWords(minutes), false);
  SpeakWordFile(minutes < 2 ? "_minuto" : "_minutos");
}

void SayCurrentTime() {
  const std::tm local = WallClock::LocalNow();
  SayTime(local.tm_hour, local.tm_min);
}

void SayDate(int day, int month, int year) {
  static constexpr const char* kWeekdays[] = {"Domingo", "Segunda", "Terca", "Quarta", "Quinta", "Sexta", "Sabado"};
  static constexpr const char* kMonths[] = {"Janeiro", "Fevereiro", "Marco",    "Abril",   "Maio",     "Junho",
                                            "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};
  std::tm date{};
  date.tm_mday = day;
  date.tm_mon = month - 1;
  date.tm_year = year - 1900;
  date.tm_hour = 12;
  std::mktime(&date);  // fills in the weekday
  SpeakWordFile(std::string("_") + kWeekdays[date.tm_wday]);
  if (day == 1) SpeakWordFile("_primeir");
  else SayNumberWords(NumberWords(day), false);
  SpeakWordFile("_de");
  if (month >= 1 && month <= 12) SpeakWordFile("_" + std::string(kMonths[month - 1]).substr(0, 7));
  SpeakWordFile("_de");
  if (year >= 2000) {
    SayNumberWords(NumberWords(2000), false);
    if (year > 2000) SpeakWordFile("_e");
  }
  if (year % 100 != 0) SayNumberWords(NumberWords(year % 100), false);
}

void SayToday() {
  const std::tm local = WallClock::LocalNow();
  SayDate(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
}

}  // namespace Speech
