// The accessibility watcher: a ring of the last 100 focus and foreground events, each with
// its object, written by the platform's listener from the event loop and read by the
// script; the item fields filled from an object read.
#include "services/msaa.h"

#include <array>

#include "platform/accessibility.h"
#include "platform/cp1252.h"
#include "platform/messages.h"

namespace Msaa {
namespace {

// The same focus change often comes twice in a row (a toolkit reports the window's focus
// and then the widget's, or the server repeats it): a repeat this soon is one change.
constexpr int64_t kRepeatMs = 100;

struct Entry {
  unsigned event = 0;
  Accessibility::Object object;
  int tag = -1;  // tests only
};

struct State {
  std::array<Entry, kRingSize> ring;
  int write = 0, read = 0;
  Item item;
  Accessibility::Object current;
  void* lastObject = nullptr;  // identity of the last recorded event's object
  unsigned lastEvent = 0;
  int64_t lastAtMs = 0;
};

State& S() {
  static State state;
  return state;
}

// Writes at the write index and advances it: past 100 unread entries the oldest are
// overwritten, and with exactly 100 unread the ring looks empty.
void Record(unsigned event, Accessibility::Object object, int tag) {
  State& s = S();
  Entry& e = s.ring[static_cast<std::size_t>(s.write)];
  e.event = event;
  e.object = std::move(object);
  e.tag = tag;
  s.write = (s.write + 1) % kRingSize;
}

void OnEvent(unsigned event, const Accessibility::Object& object) {
  State& s = S();
  const int64_t now = Messages::NowMs();
  if (object.get() == s.lastObject && event == s.lastEvent && now - s.lastAtMs < kRepeatMs) return;
  s.lastObject = object.get();
  s.lastEvent = event;
  s.lastAtMs = now;
  Record(event, object, -1);
}

void Fill(const Accessibility::Properties& p) {
  Item& item = S().item;
  item = Item{};
  item.roleCode = p.role;
  item.roleText = Accessibility::RoleText(p.role);
  if (item.roleText.size() > 200) item.roleText.resize(200);
  item.left = p.left;
  item.top = p.top;
  item.width = p.width;
  item.height = p.height;
  item.name = p.name;
  if (p.unavailable) item.stateText = "indisponível"_cp;
  else if (p.checked) item.stateText = "marcado";
  item.value = p.value;
}

}  // namespace

bool MsaaStart() {
  Accessibility::Listen(OnEvent);
  return true;
}

void MsaaStop() {
  Accessibility::StopListening();
  S().current = Accessibility::Object();
}

bool MsaaNextEvent() {
  State& s = S();
  if (s.read == s.write) return false;
  Entry& entry = s.ring[static_cast<std::size_t>(s.read)];
  s.read = (s.read + 1) % kRingSize;
  Accessibility::Object object = std::move(entry.object);
  entry = Entry{};
  Messages::PumpMessages();
  Accessibility::Properties p;
  if (!Accessibility::Read(object, p)) return false;
  Fill(p);
  Messages::PumpMessages();
  return true;
}

bool MsaaFromPoint(long x, long y) {
  Accessibility::Object object = Accessibility::AtPoint(x, y);
  Accessibility::Properties p;
  if (!object || !Accessibility::Read(object, p)) return false;
  Fill(p);
  S().current = std::move(object);
  return true;
}

const Item& CurrentItem() { return S().item; }

int Pending() { return (S().write - S().read + kRingSize) % kRingSize; }

void RecordForTest(unsigned event, int tag) { Record(event, Accessibility::Object(), tag); }

int PeekTagForTest() {
  const State& s = S();
  return s.read == s.write ? -1 : s.ring[static_cast<std::size_t>(s.read)].tag;
}

void ResetMsaa() {
  Accessibility::StopListening();
  S() = State{};
}

}  // namespace Msaa
