#pragma once

#include <array>
#include <cstdint>

namespace sonvale::engine {

// The shares of a stage divided among threads: thread t computes input positions
// start[t] to end[t]. Indices 0 to 32 cover the largest processor count of 32.
struct RangeTables {
  static constexpr int kEntries = 33;
  std::array<std::int32_t, kEntries> start{};
  std::array<std::int32_t, kEntries> end{};
  std::array<std::int32_t, kEntries> worker{};  // thread number of worker t
};

}  // namespace sonvale::engine
