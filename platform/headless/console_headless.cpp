// The headless console device: no screen at all; keys come from the FONIX_KEYS script,
// each handed over when the console's key queue is empty and its wait has passed, and once
// the program has paused since the last key (or a moment has gone by), as a quick user
// presses the next key when the program has taken the last one and answered it: a key is
// never typed inside the program's own steps, such as between a key and its error tone.
// {UNTIL text} holds the next key until the program has said or written that text.
#include "platform/headless/console_headless.h"

#include <algorithm>
#include <string>

#include "platform/events/keys.h"
#include "platform/events/messages.h"
#include "platform/events/termination.h"
#include "platform/headless/transcript.h"
#include "platform/text/text_kit.h"

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
    ArmUntil();
    // Without a window to close, a stop signal closes the console.
    Termination::Catch();
  }
  ~Headless() override { Messages::RemoveSource(source_); }

  const char* Name() const override { return "headless"; }
  void DrawSpan(const ScreenView&, int, int, int) override {}
  void Redraw(const ScreenView&) override {}
  void MoveCursor(const ScreenView&) override {}
  void SetTitle(std::string_view) override {}
  // The band is told in the transcript: the cursor character's index and the band's text.
  void ShowBand(const ScreenView&, const Band& band) override {
    std::string text = band.text;
    text.resize(TextKit::TrimTrailingSpaces(text).size());
    std::string event = std::to_string(band.cursorIndex) + " " + text;
    if (bandShown_ && event == lastBand_) return;
    Transcript::Event("band", event);
    lastBand_ = std::move(event);
    bandShown_ = true;
  }
  void HideBand(const ScreenView&) override {
    if (!bandShown_) return;
    bandShown_ = false;
    Transcript::Event("band", "hide");
  }
  uint8_t Modifiers() const override { return mods_; }
  // A wait at the end of the script is waited out before the window closes.
  bool InputExhausted() const override { return next_ >= items_.size() && Messages::NowMs() >= notBefore_; }

 private:
  // True when the console takes a key now. While it does not (the last key is still queued),
  // the pauses and the time so far do not count: the next key waits for a pause after the
  // last one has been taken.
  bool Accepts() const {
    if (!accepts_ || accepts_()) return true;
    waitsAtKey_ = Messages::WaitCount();
    keyAt_ = Messages::NowMs();
    return false;
  }

  // Milliseconds until the next item may be delivered; -1 when it waits for the queue.
  int DueInMs() const {
    if (Termination::Requested() && !closed_) return 0;
    const int64_t now = Messages::NowMs();
    if (now < notBefore_) return static_cast<int>(notBefore_ - now);
    if (next_ >= items_.size()) return -1;
    if (items_[next_].type == KeyScript::Item::Type::Wait) return 0;
    if (items_[next_].type == KeyScript::Item::Type::Until) {
      if (Transcript::Seen() || untilDeadline_ < 0) return 0;
      return static_cast<int>(std::clamp<int64_t>(untilDeadline_ - now, 0, kUntilPollMs));
    }
    if (!Accepts()) return -1;
    if (Messages::WaitCount() > waitsAtKey_) return 0;
    return static_cast<int>(std::max<int64_t>(0, keyAt_ + kPatienceMs - now));
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
      if (item.type == KeyScript::Item::Type::Until) {
        if (untilDeadline_ < 0) untilDeadline_ = now + item.waitMs;
        if (!Transcript::Seen() && now < untilDeadline_) return;
        untilDeadline_ = -1;
        ++next_;
        ArmUntil();
        continue;
      }
      if (!Accepts()) return;
      if (Messages::WaitCount() <= waitsAtKey_ && now < keyAt_ + kPatienceMs) return;
      waitsAtKey_ = Messages::WaitCount();
      keyAt_ = now;
      mods_ = item.mods;
      for (const Messages::Message& m : KeyScript::ToMessages(item)) Messages::Post(m);
      ++next_;
      ArmUntil();
      return;
    }
  }

  // When the next key waits for a text ({UNTIL}, after any {WAIT}), the transcript is watched
  // for it from now on, the moment the key before it was typed.
  void ArmUntil() {
    std::size_t i = next_;
    while (i < items_.size() && items_[i].type == KeyScript::Item::Type::Wait) ++i;
    if (i < items_.size() && items_[i].type == KeyScript::Item::Type::Until) Transcript::Watch(items_[i].text);
  }

  std::vector<KeyScript::Item> items_;
  std::size_t next_ = 0;
  int64_t untilDeadline_ = -1;  // when the current {UNTIL} gives up; -1 before it is reached
  static constexpr int64_t kUntilPollMs = 20;
  int64_t notBefore_ = 0;
  // A program that polls for keys without ever pausing still gets them after this long.
  static constexpr int64_t kPatienceMs = 1000;
  mutable uint64_t waitsAtKey_ = 0;
  mutable int64_t keyAt_ = 0;
  uint8_t mods_ = 0;
  bool closed_ = false;  // the stop signal's Close was posted
  bool bandShown_ = false;
  std::string lastBand_;
  AcceptsKeys accepts_;
  int source_ = 0;
};

}  // namespace

std::unique_ptr<Backend> OpenHeadless(std::vector<KeyScript::Item> items, AcceptsKeys accepts) {
  return std::make_unique<Headless>(std::move(items), accepts);
}

}  // namespace ConsoleDevice
