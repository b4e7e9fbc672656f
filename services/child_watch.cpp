// One readiness set for every descriptor of the child processes, registered with the event
// loop as one source: the loop waits on the set's handle and runs the callbacks of
// what is ready. Callbacks may watch and unwatch descriptors while they run.
#include "services/child_watch.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/events/messages.h"

namespace ChildWatch {
namespace {

struct Entry {
  Processes::Handle fd;
  Callback callback;
};

struct Ticker {
  int intervalMs;
  int64_t nextMs;
  std::function<bool()> tick;
};

struct State {
  Readiness::Set set;
  int sourceId = 0;
  uint64_t nextToken = 1;
  std::map<uint64_t, Entry> entries;  // by token, the set's data of the descriptor
  std::map<Processes::Handle, uint64_t> tokenOfFd;
  std::vector<Ticker> tickers;
};

State& S() {
  static State state;
  return state;
}

int DueInMs() {
  const State& s = S();
  if (s.tickers.empty()) return -1;
  int64_t first = s.tickers.front().nextMs;
  for (const Ticker& t : s.tickers) first = std::min(first, t.nextMs);
  const int64_t left = first - Messages::NowMs();
  return left <= 0 ? 0 : static_cast<int>(left);
}

void RunTickers() {
  State& s = S();
  const int64_t now = Messages::NowMs();
  std::vector<Ticker> due;
  for (auto it = s.tickers.begin(); it != s.tickers.end();) {
    if (it->nextMs <= now) {
      due.push_back(std::move(*it));
      it = s.tickers.erase(it);
    } else {
      ++it;
    }
  }
  // A tick may add tickers of its own; those stay in the list beside the kept ones.
  for (Ticker& t : due) {
    if (t.tick()) {
      t.nextMs = Messages::NowMs() + t.intervalMs;
      S().tickers.push_back(std::move(t));
    }
  }
}

bool EnsureRegistered() {
  State& s = S();
  if (!s.set.Open()) return false;
  if (s.sourceId == 0) {
    Messages::Source source;
    source.fd = [] { return S().set.Waitable(); };
    source.dueInMs = [] { return DueInMs(); };
    source.drain = [] { RunReady(); };
    s.sourceId = Messages::AddSource(std::move(source));
  }
  return true;
}

}  // namespace

bool Watch(Processes::Handle fd, unsigned want, Callback callback) {
  if (fd < 0 || !EnsureRegistered()) return false;
  State& s = S();
  auto known = s.tokenOfFd.find(fd);
  if (known != s.tokenOfFd.end()) {
    if (!s.set.Change(fd, want, known->second)) return false;
    s.entries[known->second].callback = std::move(callback);
    return true;
  }
  const uint64_t token = s.nextToken++;
  if (!s.set.Add(fd, want, token)) return false;
  s.entries.emplace(token, Entry{fd, std::move(callback)});
  s.tokenOfFd.emplace(fd, token);
  return true;
}

void Unwatch(Processes::Handle fd) {
  State& s = S();
  auto known = s.tokenOfFd.find(fd);
  if (known == s.tokenOfFd.end()) return;
  s.set.Remove(fd);
  s.entries.erase(known->second);
  s.tokenOfFd.erase(known);
}

void AddTicker(int intervalMs, std::function<bool()> tick) {
  if (!EnsureRegistered()) return;
  S().tickers.push_back(Ticker{intervalMs, Messages::NowMs() + intervalMs, std::move(tick)});
}

void RunReady() {
  State& s = S();
  if (s.set.IsOpen()) {
    Readiness::Set::Event events[64];
    // Bounded rounds: a child that writes without pause cannot keep the loop here.
    for (int round = 0; round < 8; ++round) {
      const int n = s.set.ReadyNow(events, 64);
      if (n <= 0) break;
      for (int i = 0; i < n; ++i) {
        // Looked up again for each event: an earlier callback may have unwatched it.
        const uint64_t token = events[i].token;
        const unsigned happened = events[i].happened;
        auto it = S().entries.find(token);
        if (it == S().entries.end()) continue;
        Callback callback = it->second.callback;  // a copy: the callback may unwatch itself
        callback(happened);
      }
      if (n < 64) break;
    }
  }
  if (!s.tickers.empty() && DueInMs() == 0) RunTickers();
}

void ResetChildWatch() {
  State& s = S();
  if (s.sourceId != 0) Messages::RemoveSource(s.sourceId);
  s.set.Close();
  s = State{};
}

}  // namespace ChildWatch
