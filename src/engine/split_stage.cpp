#include "engine/split_stage.h"

#include <algorithm>
#include <cassert>

#include "engine/products.h"

namespace sonvale::engine {

void divide_shares(RangeTables& ranges, std::int64_t split_on, std::int32_t range_end, int step,
                   int threads) {
  assert(threads >= 1 && threads < RangeTables::kEntries);
  assert(step > 0 && range_end % step == 0);
  const std::int64_t share = split_on / threads / step * step;
  for (int t = 0; t < threads; ++t) {
    ranges.start[t] = static_cast<std::int32_t>(t * share);
    ranges.end[t] = t < threads - 1 ? static_cast<std::int32_t>((t + 1) * share - step) : range_end;
    ranges.worker[t] = t;
  }
}

std::span<std::byte> scratch_slot(std::span<std::byte> scratch, int t, int threads) {
  std::size_t bytes = std::min(kScratchSlotBytes, scratch.size() / threads);
  bytes -= bytes % kScratchAlignment;
  return bytes == 0 ? std::span<std::byte>{} : scratch.subspan(t * bytes, bytes);
}

int split_threads(const PlaybackState& state) {
  return std::clamp<int>(state.processor_count.load(std::memory_order_relaxed), 1,
                         RangeTables::kEntries - 1);
}

}  // namespace sonvale::engine
