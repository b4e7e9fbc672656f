// The registry of windows that videos draw into.
#include "platform/media/video_windows.h"

#include <map>
#include <mutex>

#include "platform/events/messages.h"

namespace VideoWindows {
namespace {

struct State {
  std::mutex lock;
  std::map<uint64_t, int> sinks;  // handle -> video sinks drawing into it
};

State& S() {
  static State state;
  return state;
}

}  // namespace

void Started(uint64_t handle) {
  std::lock_guard<std::mutex> hold(S().lock);
  ++S().sinks[handle];
}

void Stopped(uint64_t handle) {
  {
    std::lock_guard<std::mutex> hold(S().lock);
    auto it = S().sinks.find(handle);
    if (it == S().sinks.end()) return;
    if (--it->second <= 0) S().sinks.erase(it);
  }
  Messages::Post(Messages::Message{});
}

bool Showing(uint64_t handle) {
  std::lock_guard<std::mutex> hold(S().lock);
  return S().sinks.count(handle) != 0;
}

void ResetVideoWindows() {
  std::lock_guard<std::mutex> hold(S().lock);
  S().sinks.clear();
}

}  // namespace VideoWindows
