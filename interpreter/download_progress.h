// The spoken progress report of a web download (Enter during TRAZDAREDE): how much of how
// much has arrived, how much is on disk, and the file's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace DownloadProgress {

// A number with three significant digits, trailing zeros dropped, the given decimal
// separator; never in exponent form (1000 and above are whole numbers, values too small
// to show are "0").
std::string General3(double value, char decimalPoint);

// The texts said one after the other. `written` is the size of the target file now,
// `contentLength` and `resume` those of the answer, `stream` an audio body without length.
std::vector<std::string> ProgressTexts(int64_t written, int64_t contentLength, int64_t resume, bool stream,
                                       std::string_view fileName, char decimalPoint);

// Says the report (Speak for each text, then an empty one).
void SpeakProgress(int64_t written, int64_t contentLength, int64_t resume, bool stream, std::string_view fileName);

}  // namespace DownloadProgress
