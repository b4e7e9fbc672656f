// The list table and the LISTA command.
#include "interpreter/lists.h"

#include <array>
#include <optional>

#include "interpreter/commands.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/text/cp1252.h"
#include "speech/speech.h"

namespace Lists {
namespace {

struct List {
  std::string name;
  std::vector<std::string> items;
  std::size_t bytes = 0;  // of the items, as ItemBytes counts them
};

struct State {
  std::array<std::optional<List>, kMaxLists> slots;
  std::size_t totalBytes = 0;
};

State& S() {
  static State state;
  return state;
}

std::array<std::optional<List>, kMaxLists>& Slots() { return S().slots; }

// An item costs its text and the string that holds it, so that a list of empty texts is
// bounded too.
std::size_t ItemBytes(const std::string& item) { return item.size() + sizeof(std::string); }

std::optional<List>* FindSlot(std::string_view name) {
  for (auto& slot : Slots())
    if (slot && slot->name == name) return &slot;
  return nullptr;
}

void Free(std::optional<List>& slot) {
  S().totalBytes -= slot->bytes;
  slot.reset();
}

bool Add(List& list, std::string item) {
  const std::size_t cost = ItemBytes(item);
  if (!Variables::TextFits(list.bytes + cost, list.bytes)) return false;
  list.items.push_back(std::move(item));
  list.bytes += cost;
  S().totalBytes += cost;
  return true;
}

void Erase(List& list, std::vector<std::string>::iterator it) {
  const std::size_t cost = ItemBytes(*it);
  list.items.erase(it);
  list.bytes -= cost;
  S().totalBytes -= cost;
}

// Takes a subcommand word (folded) from the front of the text.
bool TakeWord(std::string_view& args, std::string_view word) {
  if (!Text::StartsWithFolded(args, word)) return false;
  args = Text::Trim(args.substr(word.size()));
  return true;
}

bool Create(const std::string& name) {
  if (FindSlot(name)) {
    Speech::WriteLineAndSpeak("A lista especificada já existe"_cp);
    return false;
  }
  for (auto& slot : Slots())
    if (!slot) {
      slot = List{name, {}};
      return true;
    }
  Speech::WriteLineAndSpeak("Muitas listas no programa (máximo 20)"_cp);
  return false;
}

}  // namespace

const std::vector<std::string>* FindList(std::string_view name) {
  auto* slot = FindSlot(name);
  return slot ? &(*slot)->items : nullptr;
}

void ClearLists() {
  for (auto& slot : Slots()) slot.reset();
  S().totalBytes = 0;
}

std::size_t TotalBytes() { return S().totalBytes; }

}  // namespace Lists

namespace Commands {

bool Lista(std::string_view args) {
  std::string name;
  if (!Values::ReadListRef(args, name)) return false;
  if (Lists::TakeWord(args, "CRIA")) return args.empty() && Lists::Create(name);
  auto* slot = Lists::FindSlot(name);
  if (!slot) return false;
  Lists::List& list = **slot;
  const std::vector<std::string>& items = list.items;
  if (Lists::TakeWord(args, "APAGA")) {
    if (!args.empty()) return false;
    Lists::Free(*slot);
    return true;
  }
  if (Lists::TakeWord(args, "TAMANHO")) {
    int code;
    if (!Values::ReadVariableRef(args, code)) return false;
    Variables::SetVariable(code, std::to_string(items.size()));
    return true;
  }
  if (Lists::TakeWord(args, "ITEM")) {
    std::string_view positionText;
    std::string scratch;
    int code;
    if (!Values::ReadValueView(args, positionText, scratch)) return false;
    const auto position = Values::NumericValue(positionText);
    if (!position || !Values::ReadVariableRef(args, code)) return false;
    if (*position < 0 || static_cast<std::size_t>(*position) >= items.size()) return false;
    Variables::AssignVariable(code, items[static_cast<std::size_t>(*position)]);
    return true;
  }
  if (Lists::TakeWord(args, "ADICIONA")) {
    std::string value;
    if (!Values::ReadValue(args, value)) return false;
    return Lists::Add(list, std::move(value));
  }
  if (Lists::TakeWord(args, "DELETA")) {
    std::string value;
    if (!Values::ReadValue(args, value)) return false;
    const std::string folded = Text::Fold(value);
    for (auto it = list.items.begin(); it != list.items.end(); ++it)
      if (Text::EqualsFolded(*it, folded)) {
        Lists::Erase(list, it);
        return true;
      }
    return false;
  }
  return false;
}

}  // namespace Commands
