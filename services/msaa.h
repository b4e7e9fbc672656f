// The accessibility watcher: focus and foreground events of other programs kept in a ring
// of 100, taken one at a time, and the properties of the accessible item last read (from
// an event or from a screen point).
#pragma once

#include <string>

namespace Msaa {

inline constexpr int kRingSize = 100;

struct Item {
  std::string name, roleText, stateText, value;  // Windows-1252
  int roleCode = 0;
  long left = 0, top = 0, width = 0, height = 0;
};

bool MsaaStart();
void MsaaStop();
// Takes the next recorded event and reads its object; false when none is recorded or the
// object cannot be had (the fields keep their values then).
bool MsaaNextEvent();
// Reads the object at a screen point and keeps it as the current object.
bool MsaaFromPoint(long x, long y);
const Item& CurrentItem();
// How many recorded events wait to be taken.
int Pending();

// Records an event as the platform would (tests of the ring): `tag` stands for the object.
void RecordForTest(unsigned event, int tag);
// The tag of the entry MsaaNextEvent would take next, -1 when the ring looks empty.
int PeekTagForTest();
void ResetMsaa();

}  // namespace Msaa
