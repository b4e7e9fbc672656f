// The diphone voice on its files: the database and rule files of the diphone folder
// opened, and phrases played through the sound queue.
#pragma once

#include <string>
#include <string_view>

namespace DiphonePlay {

// Loads the index of base + ".IND" (Windows paths), opens base + ".DIF" and loads
// regras.rgr and portug.exc of `folder` (ending in "\"): 0, 1 for the database, 2 for a
// rule file that cannot be read.
int Open(const std::string& folder, const std::string& databaseName, const std::string& lettersFolder);
void Close();
// Closed, and the letters folder forgotten.
void Reset();

// Says a run of letters, blanks and codes 128..255 with the current speed's timing,
// waiting until it has been heard; a waiting key cuts it short.
void SayPhrase(std::string_view text);

}  // namespace DiphonePlay
