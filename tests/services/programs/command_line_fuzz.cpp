// Fuzz run of what takes text from scripts and bytes from children: command lines split
// and rewritten for sh, cmd's switches, and a child's output converted in pieces (every
// line end CR LF, the kept text bounded).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "services/child_output.h"
#include "services/child_registry.h"
#include "services/cmd_shell.h"
#include "services/program_names.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Paths of the fuzzed lines are looked up in a drive of the run's own, never the user's.
  setenv("FONIX_DRIVE_C", "/tmp/fonix-fuzz-drive-c", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      ProgramNames::SplitArguments(text);
      for (const std::string& a : ProgramNames::SplitArguments(text)) ProgramNames::HostArgument(a);
      break;
    case 1:
      CmdShell::ToShell(text.substr(0, 512));
      break;
    case 2:
      CmdShell::ShellArguments(text.substr(0, 512));
      ChildRegistry::ProgramKey(text);
      break;
    default: {
      ChildOutput::Stream stream;
      // Pieces cut where the input says, as reads of a pipe cut them.
      std::size_t at = 0;
      while (at < text.size()) {
        const std::size_t n = 1 + static_cast<uint8_t>(text[at]) % 7;
        ChildOutput::Append(stream, text.substr(at, n));
        at += n;
      }
      ChildOutput::Finish(stream);
      for (std::size_t i = 0; i < stream.kept.size(); ++i)
        if (stream.kept[i] == '\n' && (i == 0 || stream.kept[i - 1] != '\r')) __builtin_trap();
      if (stream.kept.size() > 2 * ChildOutput::kKeptBytes) __builtin_trap();
      while (!ChildOutput::Take(stream).empty() || !stream.kept.empty()) {
      }
      break;
    }
  }
  return 0;
}
