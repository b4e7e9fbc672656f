// The accessibility interface of the desktop (MSAA on Windows; AT-SPI 2 here): focus and
// foreground events of other programs, the accessible object at a screen point, and an
// object's name, role, state, value and location in MSAA terms. Without an accessibility
// bus listening succeeds and no event ever comes; objects are never found.
#pragma once

#include <memory>
#include <string>

namespace Accessibility {

// An accessible object of another program, held while this handle lives.
class Object {
 public:
  Object() = default;
  explicit Object(void* object);  // takes over one reference
  Object(const Object& other);
  Object& operator=(const Object& other);
  Object(Object&& other) noexcept;
  Object& operator=(Object&& other) noexcept;
  ~Object();
  void* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  void* object_ = nullptr;
};

// MSAA's event numbers of the two events kept.
inline constexpr unsigned kSystemForeground = 3;
inline constexpr unsigned kObjectFocus = 0x8005;

struct Properties {
  std::string name;       // Windows-1252
  int role = 0;           // MSAA role code
  bool checked = false;   // STATE_SYSTEM_CHECKED
  bool unavailable = false;  // STATE_SYSTEM_UNAVAILABLE
  std::string value;
  long left = 0, top = 0, width = 0, height = 0;
};

using Sink = void (*)(unsigned event, const Object& object);

// Starts delivering focus and foreground events to `sink` while the event loop runs.
void Listen(Sink sink);
void StopListening();
// Reads an object's properties; false when the object is gone (then `out` is untouched).
bool Read(const Object& object, Properties& out);
// The deepest object at a screen point; an empty object when none is found.
Object AtPoint(long x, long y);
// Runs the accessibility bus's pending work (the event loop does this while listening).
void Pump();

// The MSAA role code of an AT-SPI role and the Portuguese name of an MSAA role code.
int MsaaRole(int atspiRole);
std::string RoleText(int msaaRole);  // Windows-1252

}  // namespace Accessibility
