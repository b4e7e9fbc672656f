// The headless console device: no screen at all; keys come from the FONIX_KEYS script,
// each handed over when the console's key queue is empty and its wait has passed.
#include "platform/console_headless.h"

#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/termination.h"

namespace ConsoleDevice {
namespace {

class Headless final : public Backend {
 public:
  Headless(std::vector<KeyScript::Item> items, AcceptsKeys accepts)
      : items_(std::move(items)), accepts_(accepts) {
    Messages::Source src;
    src.fd = [] { return -1; };
    src.dueInMs = [this] { return DueInMs(); };
    src.drain = [this] { Deliver(); };
    source_ = Messages::AddSource(std::move(src));
    // Without a window to close, a stop signal closes the console.
    Termination::Catch();
  }
  ~Headless() override { Messages::RemoveSource(source_); }

  const char* Name() const override { return "headless"; }
  void DrawSpan(const ScreenView&, int, int, int) override {}
  void Redraw(const ScreenView&) override {}
  void MoveCursor(const ScreenView&) override {}
  void SetTitle(std::string_view) override {}
  uint8_t Modifiers() const override { return mods_; }
  // A wait at the end of the script is waited out before the window closes.
  bool InputExhausted() const override { return next_ >= items_.size() && Messages::NowMs() >= notBefore_; }

 private:
  // Milliseconds until the next item may be delivered; -1 when it waits for the queue.
  int DueInMs() const {
    if (Termination::Requested() && !closed_) return 0;
    const int64_t now = Messages::NowMs();
    if (now < notBefore_) return static_cast<int>(notBefore_ - now);
    if (next_ >= items_.size()) return -1;
    if (items_[next_].type == KeyScript::Item::Type::Wait) return 0;
    return accepts_ && !accepts_() ? -1 : 0;
  }

  // One key per call, so that each key is handled before the next is typed.
  void Deliver() {
    if (Termination::Requested() && !closed_) {
      closed_ = true;
      Messages::Message m;
      m.kind = Messages::Kind::Close;
      Messages::Post(m);
      return;
    }
    while (next_ < items_.size()) {
      const int64_t now = Messages::NowMs();
      if (now < notBefore_) return;
      const KeyScript::Item& item = items_[next_];
      if (item.type == KeyScript::Item::Type::Wait) {
        notBefore_ = now + item.waitMs;
        ++next_;
        continue;
      }
      if (accepts_ && !accepts_()) return;
      mods_ = item.mods;
      for (const Messages::Message& m : KeyScript::ToMessages(item)) Messages::Post(m);
      ++next_;
      return;
    }
  }

  std::vector<KeyScript::Item> items_;
  std::size_t next_ = 0;
  int64_t notBefore_ = 0;
  uint8_t mods_ = 0;
  bool closed_ = false;  // the stop signal's Close was posted
  AcceptsKeys accepts_;
  int source_ = 0;
};

}  // namespace

std::unique_ptr<Backend> OpenHeadless(std::vector<KeyScript::Item> items, AcceptsKeys accepts) {
  return std::make_unique<Headless>(std::move(items), accepts);
}

}  // namespace ConsoleDevice
