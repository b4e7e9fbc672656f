// The variable table and the name list.
#include "interpreter/variables.h"

#include <algorithm>

#include "interpreter/lists.h"
#include "platform/text/cp1252.h"
#include "speech/speech.h"

namespace Variables {
namespace {

std::size_t MemoSlot(std::string_view name) {
  std::size_t h = name.size();
  for (char c : name) h = h * 31 + static_cast<uint8_t>(c);
  return h & 63u;
}

std::size_t Held() {
  State& s = theState;
  if (s.heldStale) {
    s.held = 0;
    for (const std::string& slot : s.slots) s.held += slot.size();
    s.heldStale = false;
  }
  return s.held;
}

// The slot after its text changed from `before` bytes.
void Recount(std::size_t before, const std::string& slot) {
  if (!theState.heldStale) theState.held = theState.held - before + slot.size();
}

// Whether `text` lies within `slot`'s own storage (it must be copied before the slot changes).
bool Within(std::string_view text, const std::string& slot) {
  const auto at = reinterpret_cast<uintptr_t>(text.data()), base = reinterpret_cast<uintptr_t>(slot.data());
  return !text.empty() && at >= base && at < base + slot.size();
}

}  // namespace

int VariableCodeForName(std::string_view foldedName) {
  State& s = theState;
  const std::size_t m = MemoSlot(foldedName);
  if (s.memoNames[m] == foldedName && !foldedName.empty()) return s.memoCodes[m];
  auto it = s.codes.find(foldedName);
  if (it == s.codes.end()) {
    const int position = static_cast<int>(s.codes.size());
    if (position >= kMaxNames) {
      // One more name would take the code of letter A: the command that mentions it fails.
      Speech::WriteLineAndSpeak("Muitas variáveis no programa (máximo 230)"_cp);
      return -1;
    }
    it = s.codes.emplace(std::string(foldedName), (91 + position) % 256).first;
  }
  s.memoNames[m].assign(foldedName);
  s.memoCodes[m] = it->second;
  return it->second;
}

bool TextFits(std::size_t size, std::size_t replaced) {
  State& s = theState;
  const std::size_t held = Lists::TotalBytes() + Held();
  const std::size_t after = held - std::min(replaced, held) + size;
  if (size <= kMaxTextLength && after <= kMaxDataLength) return true;
  if (!s.refused) Speech::WriteLineAndSpeak("Texto longo demais para a memória"_cp);
  s.refused = true;
  return false;
}

void SetVariable(int code, std::string text) {
  std::string& slot = theState.slots[static_cast<uint8_t>(code)];
  if (text.size() > slot.size() && !TextFits(text.size(), slot.size())) return;
  const std::size_t before = slot.size();
  slot = std::move(text);
  Recount(before, slot);
}

bool AssignVariable(int code, std::string_view text) {
  std::string& slot = theState.slots[static_cast<uint8_t>(code)];
  if (text.size() > slot.size() && !TextFits(text.size(), slot.size())) return false;
  const std::size_t before = slot.size();
  if (Within(text, slot)) {
    slot = std::string(text);
  } else {
    slot.assign(text);
  }
  Recount(before, slot);
  return true;
}

bool AppendToVariable(int code, std::string_view text) {
  std::string& slot = theState.slots[static_cast<uint8_t>(code)];
  if (!text.empty() && !TextFits(slot.size() + text.size(), slot.size())) return false;
  const std::size_t before = slot.size();
  if (Within(text, slot)) {
    const std::string copy(text);
    slot += copy;
  } else {
    slot += text;
  }
  Recount(before, slot);
  return true;
}

bool ReplaceVariableTail(int code, std::size_t from, std::string_view text) {
  std::string& slot = theState.slots[static_cast<uint8_t>(code)];
  from = std::min(from, slot.size());
  if (from + text.size() > slot.size() && !TextFits(from + text.size(), slot.size())) return false;
  const std::size_t before = slot.size();
  if (from + text.size() <= slot.capacity() && !Within(text, slot)) {
    // The common case (a counter's digits): written over the old tail in place.
    slot.resize(from + text.size());
    std::copy(text.begin(), text.end(), slot.begin() + static_cast<std::ptrdiff_t>(from));
  } else if (Within(text, slot)) {
    const std::string copy(text);
    slot.replace(from, std::string::npos, copy);
  } else {
    slot.replace(from, std::string::npos, text);
  }
  Recount(before, slot);
  return true;
}

void EraseFromVariable(int code, std::size_t position, std::size_t count) {
  std::string& slot = theState.slots[static_cast<uint8_t>(code)];
  if (position >= slot.size()) return;
  const std::size_t before = slot.size();
  slot.erase(position, count);
  Recount(before, slot);
}

std::string& VariableSlot(int code) {
  theState.heldStale = true;
  return theState.slots[static_cast<uint8_t>(code)];
}

void ClearVariables() {
  State& s = theState;
  for (std::string& slot : s.slots) std::string().swap(slot);  // memory given back too
  s.codes.clear();
  ++s.namesGeneration;
  s.held = 0;
  s.heldStale = false;
  s.refused = false;
  for (std::string& name : s.memoNames) name.clear();
}

int NameCount() { return static_cast<int>(theState.codes.size()); }

}  // namespace Variables
