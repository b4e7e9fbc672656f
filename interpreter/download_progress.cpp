// The progress report's texts and their formatting: percentages and sizes in general
// notation with three significant digits, totals by whole units.
#include "interpreter/download_progress.h"

#include <cmath>
#include <cstdio>

#include "platform/text/decimal_separator.h"
#include "speech/speech.h"

namespace DownloadProgress {
namespace {

constexpr int64_t kKiB = 1024;
constexpr int64_t kMiB = kKiB * 1024;
constexpr int64_t kGiB = kMiB * 1024;

}  // namespace

std::string General3(double value, char decimalPoint) {
  if (!std::isfinite(value)) return "0";
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  char text[64];
  if (magnitude < 0.0001) {
    return "0";
  } else if (magnitude >= 999.5) {
    // Three significant digits of a number this large would need an exponent; the whole
    // number says it better.
    std::snprintf(text, sizeof text, "%.0f", magnitude);
  } else {
    std::snprintf(text, sizeof text, "%.3g", magnitude);
  }
  std::string out = negative ? "-" : "";
  for (const char* p = text; *p; ++p) out += *p == '.' ? decimalPoint : *p;
  return out;
}

std::vector<std::string> ProgressTexts(int64_t written, int64_t contentLength, int64_t resume, bool stream,
                                       std::string_view fileName, char decimalPoint) {
  std::vector<std::string> texts;
  const auto s = static_cast<double>(written);
  if (stream) {
    texts.push_back(std::to_string(written) + " bytes escritos em disco.");
  } else {
    texts.push_back("Recebidos: ");
    const int64_t total = contentLength + resume;
    const double percent = total > 0 ? s / static_cast<double>(total) * 100.0 : 0.0;
    std::string of = General3(percent, decimalPoint) + "% de ";
    if (total >= kGiB) of += std::to_string(total / kGiB) + "GB.";
    else if (total >= kMiB) of += std::to_string(total / kMiB) + "MB.";
    else if (total < kKiB) of += std::to_string(total) + "Bytes.";
    else of += std::to_string(total / kKiB) + "KB.";
    texts.push_back(of);
  }
  if (written >= kGiB) texts.push_back(General3(s / kGiB, decimalPoint) + " GigaBytes gravados.");
  else if (written >= kMiB) texts.push_back(General3(s / kMiB, decimalPoint) + " MegaBytes gravados.");
  else if (written >= kKiB) texts.push_back(General3(s / kKiB, decimalPoint) + " KBytes gravados.");
  else texts.push_back(General3(s, decimalPoint) + " Bytes gravados.");
  texts.push_back("Arquivo: " + std::string(fileName));
  return texts;
}

void SpeakProgress(int64_t written, int64_t contentLength, int64_t resume, bool stream, std::string_view fileName) {
  for (const std::string& text :
       ProgressTexts(written, contentLength, resume, stream, fileName, Locale::DecimalSeparator()))
    Speech::Speak(text);
  Speech::Speak("");
}

}  // namespace DownloadProgress
