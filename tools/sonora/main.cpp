// sonora: runs the engine's text stages on a text and prints the MBROLA lines it would
// send (--pho) or each word with its phonemes (--phonemes). The text comes from the
// arguments, or from standard input when there is none; each input line is one text.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/text/cp1252.h"
#include "platform/files/data_places.h"
#include "tts/text_engine.h"

namespace {

constexpr const char* kUsage =
    "usage: sonora [--data DIR] (--pho | --phonemes) [TEXT...]\n"
    "  --pho       the MBROLA lines of the text\n"
    "  --phonemes  one line per word: the word, then its phonemes ('>' marks the stress)\n"
    "  --data DIR  folder of portug.nrl, .exc, .abr, .pro and .dfn\n"
    "Without TEXT, each line of standard input is one text.\n";

void PrintPho(const std::vector<std::string>& lines, std::string& out) {
  for (const std::string& line : lines) {
    out += Cp1252::ToUtf8(line);
    out += '\n';
  }
}

void PrintPhonemes(const std::vector<std::string>& lines, std::string& out) {
  std::string word, phonemes;
  bool inWord = false;
  for (const std::string& line : lines) {
    if (!line.empty() && line.front() == ';') {
      word = line.size() > 5 ? line.substr(5) : std::string();
      phonemes.clear();
      inWord = true;
    } else if (line.empty()) {
      if (inWord && !word.empty()) out += Cp1252::ToUtf8(word) + ":" + Cp1252::ToUtf8(phonemes) + '\n';
      inWord = false;
    } else if (inWord && line != "__") {
      phonemes += ' ';
      phonemes += line;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  // FONIX_SONORA_DATA, else the installed share/fonix/sonora, else the source tree's data/.
  std::string dataDir = DataPlaces::Find("FONIX_SONORA_DATA", "sonora", SONORA_DATA_DIR), mode;
  std::vector<std::string> texts;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--data" && i + 1 < argc) dataDir = argv[++i];
    else if (arg == "--pho" || arg == "--phonemes") mode = arg;
    else if (arg == "--help" || arg == "-h") { std::cout << kUsage; return 0; }
    else if (arg.starts_with("--")) { std::cerr << "sonora: unknown option " << arg << '\n' << kUsage; return 2; }
    else texts.push_back(Cp1252::FromUtf8(arg));
  }
  if (mode.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::string error;
  if (!Sonora::LoadTextData(Sonora::DataFilesIn(dataDir), error)) {
    std::cerr << "sonora: " << Cp1252::ToUtf8(error) << " (" << dataDir << ")\n";
    return 1;
  }
  if (texts.empty()) {
    const std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    const std::string text = Cp1252::FromFileText(input);
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      texts.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }
  std::string out;
  for (const std::string& text : texts) {
    if (mode == "--pho") PrintPho(Sonora::TextToMbrolaLines(text), out);
    else PrintPhonemes(Sonora::TextToPhonemeLines(text), out);
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
