// The variable table and the name list.
#include "interpreter/variables.h"

#include <algorithm>
#include <array>
#include <map>

#include "interpreter/lists.h"
#include "platform/cp1252.h"
#include "speech/speech.h"

namespace Variables {
namespace {

struct State {
  std::array<std::string, 256> slots;
  std::map<std::string, int, std::less<>> codes;
  bool refused = false;  // a text did not fit during the current command
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

bool TextFits(std::size_t size, std::size_t replaced) {
  State& s = S();
  std::size_t held = Lists::TotalBytes();
  for (const std::string& slot : s.slots) held += slot.size();
  const std::size_t after = held - std::min(replaced, held) + size;
  if (size <= kMaxTextLength && after <= kMaxDataLength) return true;
  if (!s.refused) Speech::WriteLineAndSpeak("Texto longo demais para a memória"_cp);
  s.refused = true;
  return false;
}

bool TakeTextRefused() {
  const bool refused = S().refused;
  S().refused = false;
  return refused;
}

const std::string& GetVariable(int code) { return S().slots[static_cast<uint8_t>(code)]; }

void SetVariable(int code, std::string text) {
  std::string& slot = S().slots[static_cast<uint8_t>(code)];
  if (text.size() > slot.size() && !TextFits(text.size(), slot.size())) return;
  slot = std::move(text);
}

std::string& VariableSlot(int code) { return S().slots[static_cast<uint8_t>(code)]; }

void ClearVariables() {
  State& s = S();
  for (std::string& slot : s.slots) std::string().swap(slot);  // memory given back too
  s.codes.clear();
  s.refused = false;
}

int NameCount() { return static_cast<int>(S().codes.size()); }

}  // namespace Variables
