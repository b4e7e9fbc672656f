// The variable table and the name list.
#include "interpreter/variables.h"

#include <array>
#include <map>

#include "platform/cp1252.h"
#include "speech/speech.h"

namespace Variables {
namespace {

struct State {
  std::array<std::string, 256> slots;
  std::map<std::string, int, std::less<>> codes;
};

State& S() {
  static State state;
  return state;
}

}  // namespace

int VariableCodeForName(std::string_view foldedName) {
  State& s = S();
  auto it = s.codes.find(foldedName);
  if (it != s.codes.end()) return it->second;
  const int position = static_cast<int>(s.codes.size());
  if (position >= kMaxNames) {
    // One more name would take the code of letter A: the command that mentions it fails.
    Speech::WriteLineAndSpeak("Muitas variáveis no programa (máximo 230)"_cp);
    return -1;
  }
  const int code = (91 + position) % 256;
  s.codes.emplace(std::string(foldedName), code);
  return code;
}

const std::string& GetVariable(int code) { return S().slots[static_cast<uint8_t>(code)]; }

void SetVariable(int code, std::string text) { S().slots[static_cast<uint8_t>(code)] = std::move(text); }

std::string& VariableSlot(int code) { return S().slots[static_cast<uint8_t>(code)]; }

void ClearVariables() {
  State& s = S();
  for (std::string& slot : s.slots) slot.clear();
  s.codes.clear();
}

int NameCount() { return static_cast<int>(S().codes.size()); }

}  // namespace Variables
