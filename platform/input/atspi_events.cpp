// Accessibility on AT-SPI 2: focus ("object:state-changed:focused") and window activation
// ("window:activate") events of other programs delivered from the event loop, which runs
// the accessibility bus's GLib work while listening; objects read into MSAA terms.
#include <atspi/atspi.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/input/accessibility.h"
#include "platform/text/cp1252.h"
#include "platform/events/messages.h"

namespace Accessibility {

Object::Object(void* object) : object_(object) {}
Object::Object(const Object& other) : object_(other.object_ ? g_object_ref(other.object_) : nullptr) {}
Object& Object::operator=(const Object& other) {
  if (this != &other) *this = Object(other);
  return *this;
}
Object::Object(Object&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
Object& Object::operator=(Object&& other) noexcept {
  if (this != &other) {
    if (object_) g_object_unref(object_);
    object_ = other.object_;
    other.object_ = nullptr;
  }
  return *this;
}
Object::~Object() {
  if (object_) g_object_unref(object_);
}

namespace {

constexpr int kPumpEveryMs = 20;
constexpr int kMaxDepth = 64;
constexpr int kCallTimeoutMs = 800;

struct State {
  int initialised = -1;  // -1 not tried, 0 no bus, 1 connected
  AtspiEventListener* listener = nullptr;
  Sink sink = nullptr;
  int source = -1;
  int64_t nextPumpMs = 0;
};

State& S() {
  static State state;
  return state;
}

// Whether a bus can be reached without starting one: without an address libdbus would
// launch a session bus of its own, which would outlive the program.
bool BusAddressKnown() {
  for (const char* name : {"AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st{};
  return runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

bool Connected() {
  State& s = S();
  if (s.initialised < 0) {
    s.initialised = 0;
    if (BusAddressKnown() && atspi_init() == 0) {
      s.initialised = 1;
      atspi_set_timeout(kCallTimeoutMs, kCallTimeoutMs);
    }
  }
  return s.initialised == 1;
}

void OnEvent(AtspiEvent* event, void*) {
  State& s = S();
  if (event && s.sink && event->source && event->type) {
    const std::string type = event->type;
    unsigned number = 0;
    if (type.starts_with("object:state-changed:focused") && event->detail1 == 1) number = kObjectFocus;
    else if (type.starts_with("window:activate")) number = kSystemForeground;
    if (number != 0) s.sink(number, Object(g_object_ref(event->source)));
  }
  if (event) g_boxed_free(atspi_event_get_type(), event);
}

std::string FromUtf8(gchar* text) {
  if (!text) return {};
  std::string out = Cp1252::FromUtf8(text);
  g_free(text);
  return out;
}

bool Showing(AtspiAccessible* object) {
  AtspiStateSet* states = atspi_accessible_get_state_set(object);
  if (!states) return false;
  const bool showing = atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
  g_object_unref(states);
  return showing;
}

bool Contains(AtspiAccessible* object, long x, long y) {
  AtspiComponent* component = atspi_accessible_get_component_iface(object);
  if (!component) return false;
  GError* error = nullptr;
  const bool inside = atspi_component_contains(component, static_cast<gint>(x), static_cast<gint>(y),
                                               ATSPI_COORD_TYPE_SCREEN, &error);
  if (error) g_error_free(error);
  g_object_unref(component);
  return inside;
}

}  // namespace

void Pump() {
  if (S().initialised != 1) return;
  for (int i = 0; i < 1000 && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
}

void Listen(Sink sink) {
  State& s = S();
  s.sink = sink;
  if (!Connected() || s.listener) return;
  s.listener = atspi_event_listener_new(OnEvent, nullptr, nullptr);
  GError* error = nullptr;
  for (const char* type : {"object:state-changed:focused", "window:activate"}) {
    atspi_event_listener_register(s.listener, type, &error);
    if (error) {
      g_error_free(error);
      error = nullptr;
    }
  }
  Messages::Source source;
  source.dueInMs = [] { return static_cast<int>(std::max<int64_t>(0, S().nextPumpMs - Messages::NowMs())); };
  source.drain = [] {
    S().nextPumpMs = Messages::NowMs() + kPumpEveryMs;
    Pump();
  };
  s.source = Messages::AddSource(std::move(source));
}

void StopListening() {
  State& s = S();
  s.sink = nullptr;
  if (s.source >= 0) Messages::RemoveSource(s.source);
  s.source = -1;
  if (!s.listener) return;
  for (const char* type : {"object:state-changed:focused", "window:activate"})
    atspi_event_listener_deregister(s.listener, type, nullptr);
  g_object_unref(s.listener);
  s.listener = nullptr;
}

bool Read(const Object& handle, Properties& out) {
  auto* object = static_cast<AtspiAccessible*>(handle.get());
  if (!object || !Connected()) return false;
  atspi_accessible_clear_cache(object);
  GError* error = nullptr;
  const AtspiRole role = atspi_accessible_get_role(object, &error);
  if (error) {  // the object (or its program) is gone
    g_error_free(error);
    return false;
  }
  Properties p;
  p.role = MsaaRole(role);
  if (AtspiComponent* component = atspi_accessible_get_component_iface(object)) {
    if (AtspiRect* r = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr)) {
      p.left = r->x;
      p.top = r->y;
      p.width = r->width;
      p.height = r->height;
      g_free(r);
    }
    g_object_unref(component);
  }
  p.name = FromUtf8(atspi_accessible_get_name(object, nullptr));
  if (AtspiStateSet* states = atspi_accessible_get_state_set(object)) {
    p.checked = atspi_state_set_contains(states, ATSPI_STATE_CHECKED);
    p.unavailable = !atspi_state_set_contains(states, ATSPI_STATE_SENSITIVE) &&
                    !atspi_state_set_contains(states, ATSPI_STATE_ENABLED) &&
                    !atspi_state_set_contains(states, ATSPI_STATE_DEFUNCT);
    g_object_unref(states);
  }
  // An edit's value is its text; a slider's or spin button's its number.
  if (p.role == 42 || p.role == 46) {
    if (AtspiText* text = atspi_accessible_get_text_iface(object)) {
      p.value = FromUtf8(atspi_text_get_text(text, 0, -1, nullptr));
      g_object_unref(text);
    }
  } else if (AtspiValue* value = atspi_accessible_get_value_iface(object)) {
    GError* valueError = nullptr;
    const double current = atspi_value_get_current_value(value, &valueError);
    if (valueError) {
      g_error_free(valueError);
    } else {
      char number[64];
      std::snprintf(number, sizeof number, "%g", current);
      p.value = number;
    }
    g_object_unref(value);
  }
  out = std::move(p);
  return true;
}

Object AtPoint(long x, long y) {
  if (!Connected()) return Object();
  AtspiAccessible* desktop = atspi_get_desktop(0);
  if (!desktop) return Object();
  // The showing top-level window under the point, the active one first.
  AtspiAccessible* found = nullptr;
  bool foundActive = false;
  const gint apps = atspi_accessible_get_child_count(desktop, nullptr);
  for (gint a = 0; a < apps && !foundActive; ++a) {
    AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, a, nullptr);
    if (!app) continue;
    const gint windows = atspi_accessible_get_child_count(app, nullptr);
    for (gint w = 0; w < windows && !foundActive; ++w) {
      AtspiAccessible* window = atspi_accessible_get_child_at_index(app, w, nullptr);
      if (!window) continue;
      if (Showing(window) && Contains(window, x, y)) {
        AtspiStateSet* states = atspi_accessible_get_state_set(window);
        const bool active = states && atspi_state_set_contains(states, ATSPI_STATE_ACTIVE);
        if (states) g_object_unref(states);
        if (!found || active) {
          if (found) g_object_unref(found);
          found = static_cast<AtspiAccessible*>(g_object_ref(window));
          foundActive = active;
        }
      }
      g_object_unref(window);
    }
    g_object_unref(app);
  }
  g_object_unref(desktop);
  if (!found) return Object();
  // Down to the deepest object at the point.
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    AtspiComponent* component = atspi_accessible_get_component_iface(found);
    if (!component) break;
    AtspiAccessible* child = atspi_component_get_accessible_at_point(
        component, static_cast<gint>(x), static_cast<gint>(y), ATSPI_COORD_TYPE_SCREEN, nullptr);
    g_object_unref(component);
    if (!child || child == found) {
      if (child) g_object_unref(child);
      break;
    }
    g_object_unref(found);
    found = child;
  }
  return Object(found);
}

}  // namespace Accessibility
