// The edge gains both voice builders level their units with: a phone's level is the median
// of the units' edges that lie in it, and an edge's gain brings it to that level, within limits.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace EdgeGains {

// One edge of a unit: the phone it lies in (empty for a pause) and its level (RMS).
template <typename T>
struct Edge {
  std::string phone;
  T level;
};

template <typename T>
struct Limits {
  T quiet;  // an edge or a phone quieter than this (a closure, a pause) keeps its loudness
  T minGain, maxGain;
};

// Each phone's level: the median of the edges in it.
template <typename T>
std::map<std::string, T> Targets(const std::vector<Edge<T>>& edges) {
  std::map<std::string, std::vector<T>> levels;
  for (const Edge<T>& e : edges)
    if (!e.phone.empty()) levels[e.phone].push_back(e.level);
  std::map<std::string, T> target;
  for (auto& [phone, v] : levels) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    target[phone] = v[v.size() / 2];
  }
  return target;
}

// The gain that brings the edge to its phone's level; -1 for an edge in a pause, a quiet edge
// or one in a quiet phone.
template <typename T>
T Gain(const Edge<T>& e, const std::map<std::string, T>& target, const Limits<T>& limits) {
  if (e.phone.empty()) return -1;
  const auto t = target.find(e.phone);
  if (t == target.end() || e.level < limits.quiet || t->second < limits.quiet) return -1;
  return std::clamp(t->second / e.level, limits.minGain, limits.maxGain);
}

}  // namespace EdgeGains
