// The diphone voice's database and rule files, generated and copied at build time, put
// into the diphone folder of drive C (c:\orbis\som\difones) on first start.
#pragma once

#include <string>

namespace SpeechData {

// The Linux folder holding DIFONES2.IND/.DIF, regras.rgr and portug.exc:
// FONIX_DIPHONE_DATA when set, else the installation's share/fonix/difones beside the
// executable, else the folder the build wrote them to.
std::string DiphoneFolder();

// Makes c:\orbis\som\difones hold those files (each a link; files already there, a user's
// own database for instance, are kept). False when the generated folder is missing or
// the diphone folder could not be made.
bool InstallDiphoneData();

}  // namespace SpeechData
