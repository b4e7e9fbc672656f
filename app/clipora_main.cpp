// clipora-light: runs the embedded Clipora-light program, after making its application
// folder and joining (or starting) its local search service. Started under the name
// clipora-servico, the same executable is that service.
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_folder.h"
#include "app/embedded_program.h"
#include "app/service/service_client.h"
#include "app/service/service_server.h"
#include "interpreter/startup.h"
#include "platform/text/cp1252.h"
#include "platform/files/paths.h"
#include "platform/processes/processes.h"
#include "speech/speech.h"

namespace {

// What the program reads at its start: the search service's address (written by the
// service client, which owns the file's lock) and the user's download folder. Run with the
// speech up, so that a wait for another instance's start is told.
void JoinService() {
  std::error_code ec;
  const std::string driveC = std::filesystem::canonical(Paths::DriveRoot('c'), ec).string();
  const std::string environment = Paths::ToHost("c:\\clipora-light\\ambiente");
  if (ec || environment.empty()) return;
  const std::string downloads = "downloads=" + AppFolder::DownloadFolder() + "\r\n";
  ServiceClient::StartOrJoin(Processes::ExecutablePath(), driveC, environment, downloads, [] {
    Speech::WriteLineAndSpeak("Aguarde: outro Clipora-light está iniciando o serviço de busca."_cp);
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 0 && std::filesystem::path(argv[0]).filename() == "clipora-servico")
    return LocalService::ServiceMain(argc, argv);
  AppFolder::Install();
  std::vector<std::string> lines;
  std::string error;
  Interp::SplitProgram(EmbeddedProgram::Text(), lines, error);
  std::vector<std::string> commandLine{"clipora-light"};
  for (int i = 1; i < argc; ++i) commandLine.push_back(Cp1252::FromUtf8(argv[i]));
  return Interp::RunMain("clipora-light", "c:\\clipora-light", lines, std::move(commandLine), JoinService);
}
