// The accessibility watcher: a ring of the last 100 focus and foreground events, each with
// its object, written by the platform's listener from the event loop and read by the
// script; the item fields filled from an object read.
#include "services/msaa.h"

#include <array>

#include "platform/input/accessibility.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"

namespace Msaa {
namespace {


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
  Accessibility::Object lastObject;  // the last recorded event's object (held: compared by identity)
  unsigned lastEvent = 0;
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

// The same change is often reported twice in a row (the toolkit's focus-in and the
// window's, or a repeat from the server): an event for the object the last one named, with
// nothing between them, changes nothing and is not kept.
void OnEvent(unsigned event, const Accessibility::Object& object) {
  State& s = S();
  if (object.get() == s.lastObject.get() && event == s.lastEvent) return;
  s.lastObject = object;
  s.lastEvent = event;
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
  State& s = S();
  s.current = Accessibility::Object();
  s.lastObject = Accessibility::Object();
  s.lastEvent = 0;
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
