// The User-Agent header MCI sends for http(s) media. Video sites may refuse a stream to a
// client that does not present itself as the downloader that resolved the address did.
#pragma once

#include <string>

namespace MciAgent {

// FONIX_USER_AGENT when set; else what the application's downloader
// (c:\clipora-light\youtube-dl.exe) reports with --dump-user-agent, asked once per run;
// else a common browser's.
std::string UserAgent();
// Tests: ask again at the next use.
void ResetAgent();

}  // namespace MciAgent
